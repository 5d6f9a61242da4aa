// An effect whose editor object cannot be allocated reports it through the process-wide flag,
// so that main discards it.

#include <gtest/gtest.h>

#include <new>

#include "editor/VocoderEditor.h"
#include "host/ModuleState.h"
#include "plugin/VocoderEffect.h"
#include "unit/controls/ControlTestSupport.h"

namespace {
bool refuseEditor = false;
}

// The effect creates its editor with the non-throwing form; this replacement refuses exactly
// an allocation of the editor's size while armed. Everything else comes from the ordinary
// operator new, so that the plain delete that frees it matches (a sanitizer checks the pair).
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (refuseEditor && size == sizeof(VocoderEditor)) {
        refuseEditor = false;
        return nullptr;
    }
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}

void operator delete(void* pointer, const std::nothrow_t&) noexcept { ::operator delete(pointer); }

namespace {

TEST(EditorAllocation, FailureSetsOutOfMemoryAndLeavesTheEffectWithoutEditor) {
    useOwnModule();
    outOfMemory = 0;
    refuseEditor = true;
    VocoderEffect* effect = new VocoderEffect(nullptr);
    EXPECT_FALSE(refuseEditor);
    EXPECT_EQ(outOfMemory, 1);
    AEffect* record = effect->getAeffect();
    EXPECT_EQ(record->flags & effFlagsHasEditor, 0);
    record->setParameter(record, 3, 0.5f);  // no editor to tell: must not crash
    EXPECT_EQ(record->dispatcher(record, effEditOpen, 0, 0, nullptr, 0.0f), 0);
    delete effect;
    outOfMemory = 0;

    VocoderEffect healthy(nullptr);
    EXPECT_EQ(outOfMemory, 0);
    EXPECT_EQ(healthy.getAeffect()->flags & effFlagsHasEditor, effFlagsHasEditor);
}

}  // namespace
