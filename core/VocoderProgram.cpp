#include "core/VocoderProgram.h"

#include <cstring>

VocoderProgram::VocoderProgram() {
    for (int32_t slot = 0; slot < kParameterSlots; ++slot)
        values[slot] = findParameter(slotParameter(slot))->defaultValue;
    std::memset(name, 0, sizeof name);
    std::strcpy(name, "Init");
}
