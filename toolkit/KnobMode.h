#pragma once
// The host's knob modes (effSetEditKnobMode): 0 and 1 are circular, 2 is linear. A knob drags
// in the other mode while Alt is held.

#include <cstdint>

const int32_t kLinearKnobMode = 2;
