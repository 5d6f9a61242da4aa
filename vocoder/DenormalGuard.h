#pragma once
// Sets flush-to-zero and denormals-are-zero for the lifetime of the object and restores the
// caller's floating-point control state when it ends. Signal state that decays after loud
// input would otherwise sink into the denormal range, where x86 processors are many times
// slower, exactly while nothing is playing.

#include <cstdint>

class DenormalGuard {
public:
    DenormalGuard();
    ~DenormalGuard();
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

    // The current SSE control and status word (0 where there is none), for tests.
    static uint32_t currentControlWord();

private:
    uint32_t saved;
};
