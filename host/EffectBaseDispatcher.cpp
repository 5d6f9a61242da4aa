// Opcodes 0 to 24: each becomes one call of a named operation with typed arguments.
// The host chooses the thread; the dispatcher takes no lock.

#include <cmath>
#include <cstdint>

#include "host/EditorBase.h"
#include "host/EffectBase.h"
#include "host/PinnedConversion.h"

namespace {
// The VU answer is scaled to 16-bit full scale and truncated toward zero; values beyond the
// integer range (or NaN) are pinned so the conversion stays defined.
intptr_t scaleVu(float vu) { return pinnedInt32(static_cast<double>(vu) * 32767.0); }
}  // namespace

intptr_t EffectBase::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt) {
    switch (opcode) {
        case effOpen: open(); return 0;
        case effClose: close(); return 0;
        case effSetProgram:
            // Out-of-range programs never reach the effect.
            if (value >= 0 && value < numPrograms) setProgram(static_cast<int32_t>(value));
            return 0;
        case effGetProgram: return getProgram();
        case effSetProgramName: setProgramName(static_cast<char*>(ptr)); return 0;
        case effGetProgramName: getProgramName(static_cast<char*>(ptr)); return 0;
        case effGetParamLabel: getParameterLabel(index, static_cast<char*>(ptr)); return 0;
        case effGetParamDisplay: getParameterDisplay(index, static_cast<char*>(ptr)); return 0;
        case effGetParamName: getParameterName(index, static_cast<char*>(ptr)); return 0;
        case effGetVu: return scaleVu(getVu());
        case effSetSampleRate: setSampleRate(opt); return 0;
        case effSetBlockSize: setBlockSize(static_cast<int32_t>(value)); return 0;
        case effMainsChanged:
            if (value == 0)
                suspend();
            else
                resume();
            return 0;
        case effEditGetRect: return editor ? editor->getRect(static_cast<ERect**>(ptr)) : 0;
        case effEditOpen: return editor ? editor->open(ptr) : 0;
        case effEditClose:
            if (editor) editor->close();
            return 0;
        case effEditIdle:
            if (editor) editor->idle();
            return 0;
        case effIdentify: return 0x4E764566;  // 'NvEf'
        case effGetChunk: return getChunk(static_cast<void**>(ptr), index != 0);
        case effSetChunk: return setChunk(ptr, static_cast<int32_t>(value), index != 0);
        default: return 0;  // the unused editor opcodes and anything outside 0 to 24
    }
}
