#pragma once
// Counts allocations, frees and lock calls made on the calling thread while a probe is armed,
// whichever library makes them (the plug-in, the C++ runtime it uses). Native builds only:
// the validator program itself defines the C allocation and lock functions there, which the
// dynamic linker then binds for the plug-in too; in a sanitizer build the sanitizer's own
// allocation hooks count instead and lock calls are not counted.

#include <cstdint>

struct RealtimeCounts {
    long allocations = 0;
    long frees = 0;
    long locks = 0;
};

// False when this build cannot count (Windows).
bool realtimeProbeAvailable();
// Whether lock calls are counted in this build.
bool realtimeProbeCountsLocks();
void armRealtimeProbe();
RealtimeCounts disarmRealtimeProbe();
