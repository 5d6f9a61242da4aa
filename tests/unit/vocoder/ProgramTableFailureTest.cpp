// An effect whose program table cannot be allocated reports it through the process-wide
// flag, so that main discards it, and stays harmless until then.

#include <gtest/gtest.h>

#include <new>

#include "host/ModuleState.h"
#include "core/VocoderProgram.h"
#include "unit/vocoder/EffectFixture.h"

namespace {
bool failNextArrayAllocation = false;
}

// The effect allocates its program table with the non-throwing array form; this replacement
// lets a test make exactly that allocation fail. Everything else comes from the ordinary
// operator new[], so that the plain delete[] that frees it matches (a sanitizer checks the pair).
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    if (failNextArrayAllocation) {
        failNextArrayAllocation = false;
        return nullptr;
    }
    try {
        return ::operator new[](size);
    } catch (...) {
        return nullptr;
    }
}

void operator delete[](void* pointer, const std::nothrow_t&) noexcept {
    ::operator delete[](pointer);
}

TEST(ProgramTableFailure, SetsOutOfMemoryAndKeepsTheEffectSafe) {
    outOfMemory = 0;
    failNextArrayAllocation = true;
    EffectUnderTest fx;
    EXPECT_FALSE(failNextArrayAllocation);  // the table's allocation was the one refused
    EXPECT_EQ(outOfMemory, 1);
    // Nothing may crash before main discards the effect.
    fx.set(0, 0.5f);
    EXPECT_EQ(fx.get(0), 0.5f);
    fx.dispatch(effSetProgram, 0, 2);
    char name[32] = "kept";
    fx.dispatch(effSetProgramName, 0, 0, name);
    fx.dispatch(effGetProgramName, 0, 0, name);
    EXPECT_STREQ(name, "kept");
    EXPECT_EQ(fx.dispatch(effCopyProgram, 1), 0);
    EXPECT_EQ(fx.dispatch(effGetProgramNameIndexed, 1, 0, name), 0);
    outOfMemory = 0;  // the flag is process-wide: leave it as the other tests expect

    EffectUnderTest healthy;
    EXPECT_EQ(outOfMemory, 0);
}
