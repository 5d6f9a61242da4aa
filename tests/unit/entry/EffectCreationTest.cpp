// What main answers: the record of a new effect, or null when the host is missing or too old,
// or when a construction step cannot allocate; then whatever had been built is deleted.

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "core/VocoderProgram.h"
#include "editor/VocoderEditor.h"
#include "host/ModuleState.h"
#include "plugin/EffectCreation.h"
#include "plugin/VocoderEffect.h"
#include "plugin/VstEditor.h"
#include "unit/controls/ControlTestSupport.h"

namespace {

// Every allocation of this program passes here, so that a test can count what is still held
// and refuse the n-th non-throwing one.
long liveAllocations = 0;
int nothrowCalls = 0;
int refuseNothrowCall = 0;  // 0: refuse none
size_t refuseNothrowSize = 0;  // 0: refuse none; else the first non-throwing one of this size
size_t nothrowSizes[3] = {0, 0, 0};

void* allocate(size_t size) {
    void* pointer = std::malloc(size ? size : 1);
    if (pointer) ++liveAllocations;
    return pointer;
}

void* allocateNothrow(size_t size) {
    ++nothrowCalls;
    if (nothrowCalls <= 3) nothrowSizes[nothrowCalls - 1] = size;
    if (nothrowCalls == refuseNothrowCall) return nullptr;
    if (refuseNothrowSize != 0 && size == refuseNothrowSize) {
        refuseNothrowSize = 0;
        return nullptr;
    }
    return allocate(size);
}

void release(void* pointer) {
    if (!pointer) return;
    --liveAllocations;
    std::free(pointer);
}

}  // namespace

void* operator new(size_t size) {
    void* pointer = allocate(size);
    if (!pointer) throw std::bad_alloc();
    return pointer;
}
void* operator new[](size_t size) {
    void* pointer = allocate(size);
    if (!pointer) throw std::bad_alloc();
    return pointer;
}
void* operator new(size_t size, const std::nothrow_t&) noexcept { return allocateNothrow(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return allocateNothrow(size); }
void operator delete(void* pointer) noexcept { release(pointer); }
void operator delete[](void* pointer) noexcept { release(pointer); }
void operator delete(void* pointer, size_t) noexcept { release(pointer); }
void operator delete[](void* pointer, size_t) noexcept { release(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { release(pointer); }
void operator delete[](void* pointer, const std::nothrow_t&) noexcept { release(pointer); }

namespace {

intptr_t VSTCALLBACK currentHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}
intptr_t VSTCALLBACK versionZeroHost(AEffect*, int32_t, int32_t, intptr_t, void*, float) {
    return 0;
}

void closeEffect(AEffect* record) {
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
}

TEST(EffectCreation, TheFirstThreeStepsAreTheEffectItsProgramsAndItsEditor) {
    useOwnModule();
    outOfMemory = 0;
    nothrowCalls = 0;
    refuseNothrowCall = 0;
    AEffect* record = createEffectRecord(&currentHost);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->magic, kEffectMagic);
    EXPECT_EQ(nothrowSizes[0], sizeof(VocoderEffect));
    EXPECT_EQ(nothrowSizes[1], VocoderCore::kProgramCount * sizeof(VocoderProgram));
    EXPECT_EQ(nothrowSizes[2], sizeof(VocoderEditor));
    closeEffect(record);
}

TEST(EffectCreation, AFailedStepAnswersNullAndLeavesNothingAllocated) {
    useOwnModule();
    for (int step = 1; step <= 3; ++step) {
        outOfMemory = 0;
        nothrowCalls = 0;
        refuseNothrowCall = step;
        const long before = liveAllocations;
        AEffect* record = createEffectRecord(&currentHost);
        const long after = liveAllocations;
        refuseNothrowCall = 0;
        EXPECT_EQ(record, nullptr) << "step " << step;
        EXPECT_EQ(after, before) << "step " << step << ": allocations left behind";
    }
    // The last step, the editor's VST 2.x adapter around the panel.
    outOfMemory = 0;
    refuseNothrowSize = sizeof(VstEditor);
    const long beforeAdapter = liveAllocations;
    AEffect* withoutAdapter = createEffectRecord(&currentHost);
    const long afterAdapter = liveAllocations;
    EXPECT_EQ(refuseNothrowSize, 0u);
    EXPECT_EQ(withoutAdapter, nullptr);
    EXPECT_EQ(afterAdapter, beforeAdapter) << "adapter step: allocations left behind";

    // A refused editor or program table is remembered: later effects are refused too.
    AEffect* later = createEffectRecord(&currentHost);
    EXPECT_EQ(later, nullptr);
    if (later) closeEffect(later);
    outOfMemory = 0;

    // Without a failure the effect lives until effClose, which frees all of it.
    const long before = liveAllocations;
    AEffect* record = createEffectRecord(&currentHost);
    ASSERT_NE(record, nullptr);
    EXPECT_GT(liveAllocations, before);
    closeEffect(record);
    EXPECT_EQ(liveAllocations, before);
}

TEST(EffectCreation, AMissingOrVersionZeroHostGetsNullAndNothingIsBuilt) {
    outOfMemory = 0;
    nothrowCalls = 0;
    EXPECT_EQ(createEffectRecord(nullptr), nullptr);
    EXPECT_EQ(createEffectRecord(&versionZeroHost), nullptr);
    EXPECT_EQ(nothrowCalls, 0);
}

}  // namespace
