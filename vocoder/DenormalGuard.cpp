#include "vocoder/DenormalGuard.h"

#if defined(__SSE2__) || defined(_M_X64) || defined(__x86_64__)
#include <xmmintrin.h>
#define OSTRAQUELLE_HAS_MXCSR 1
#else
#define OSTRAQUELLE_HAS_MXCSR 0
#endif

namespace {
const uint32_t kFlushToZero = 0x8000;
const uint32_t kDenormalsAreZero = 0x0040;
}  // namespace

#if OSTRAQUELLE_HAS_MXCSR

DenormalGuard::DenormalGuard() : saved(_mm_getcsr()) {
    _mm_setcsr(saved | kFlushToZero | kDenormalsAreZero);
}

// The whole word is restored, status flags included, so the caller finds its state exactly
// as it left it.
DenormalGuard::~DenormalGuard() { _mm_setcsr(saved); }

uint32_t DenormalGuard::currentControlWord() { return _mm_getcsr(); }

#else

DenormalGuard::DenormalGuard() : saved(0) {}
DenormalGuard::~DenormalGuard() {}
uint32_t DenormalGuard::currentControlWord() { return 0; }

#endif
