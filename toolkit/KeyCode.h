#pragma once
// A key event as views receive it: the character, a virtual key code and the modifier bits,
// with the host's codes (e.g. 11 to 14 for the arrow keys, modifier bit 1 for shift). The
// editor copies the host's key record into this.

#include <cstdint>

struct KeyCode {
    int32_t character;
    uint8_t virt;
    uint8_t modifier;
};
