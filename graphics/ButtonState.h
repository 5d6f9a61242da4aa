#pragma once
// The mouse buttons and modifier keys that are down at the moment of a query. Bit 1 always
// means the user's primary button, whatever the system's button swap says.

#include <cstdint>

typedef int32_t ButtonState;

enum ButtonStateBits : int32_t {
    kLButton = 1,  // primary button
    kMButton = 2,
    kRButton = 4,  // secondary button
    kShift = 8,
    kControl = 16,
    kAlt = 32,
};

// "Unknown": what a view gets when there is no context to ask.
const ButtonState kButtonStateUnknown = -1;
