#pragma once
// What a host may put into a dispatcher call's value and pointer for a given opcode, so that
// random calls stay within what real hosts send: a host never hands a record of garbage, never
// a window that does not exist, and sizes that match the buffer they describe.

#include <cstdint>

#include "host/AEffect.h"

enum class PointerUse {
    record,  // a zeroed record or buffer for the plug-in to read or fill
    text,    // a terminated text the host wrote
    none,    // the host passes null (effEditOpen: a window is the editor suite's business)
};

inline PointerUse pointerUse(int32_t opcode) {
    switch (opcode) {
        case effSetProgramName:
        case effString2Parameter:
        case effCanDo: return PointerUse::text;
        case effEditOpen: return PointerUse::none;
        default: return PointerUse::record;
    }
}

// The value adjusted to the opcode: a pointer to `valueBuffer` where the value is a pointer
// too, a count that matches the buffer where it describes it.
inline intptr_t shapeValue(int32_t opcode, intptr_t value, void* valueBuffer, intptr_t bufferSize) {
    switch (opcode) {
        case effSetChunk: return value < 0 ? -value % (bufferSize + 1) : value % (bufferSize + 1);
        case effSetSpeakerArrangement:
        case effGetSpeakerArrangement: return reinterpret_cast<intptr_t>(valueBuffer);
        case effOfflineNotify:
        case effOfflinePrepare:
        case effOfflineRun: return value & 1;  // the number of records at ptr
        default: return value;
    }
}

// effClose ends the effect; random sequences leave it out.
inline bool endsEffect(int32_t opcode) { return opcode == effClose; }
