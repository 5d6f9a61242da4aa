#pragma once
// Whether this build carries the engine's four-entry (AVX) code beside the two-entry (SSE2)
// code: every 64-bit build does (the Linux plug-in and the 64-bit DLL) and chooses it at run
// time where the processor and the system have the registers; the 32-bit DLL does not.

#if defined(__x86_64__) && defined(__GNUC__)
#define OSTRAQUELLE_WIDE_CODE 1
#else
#define OSTRAQUELLE_WIDE_CODE 0
#endif
