// Key codes to key symbols as the X11 layer reads them from the server's keyboard mapping:
// Shift picks a key's second symbol, Caps Lock shifts letters only, and codes outside the
// mapping answer no symbol.

#include <gtest/gtest.h>

#include "graphics/platform/x11/X11Window.h"

// Last: Xlib's macros would clash with the headers above.
#include <X11/keysym.h>

namespace {

using platform::x11::KeyboardMap;
using platform::x11::keySymbolOf;

const uint16_t kShift = XCB_MOD_MASK_SHIFT, kLock = XCB_MOD_MASK_LOCK;

TEST(KeySymbols, ShiftAndCapsLockPickTheSymbolAsTheServerMapsIt) {
    KeyboardMap map;
    map.firstKeycode = 10;
    map.symbolsPerKey = 2;
    map.symbols = {XK_a, XK_A, XK_1, XK_exclam, XK_Up, 0, XK_b, 0};  // codes 10 to 13

    EXPECT_EQ(keySymbolOf(map, 10, 0), uint32_t(XK_a));
    EXPECT_EQ(keySymbolOf(map, 10, kShift), uint32_t(XK_A));
    EXPECT_EQ(keySymbolOf(map, 10, kLock), uint32_t(XK_A));
    EXPECT_EQ(keySymbolOf(map, 10, kShift | kLock), uint32_t(XK_a));
    EXPECT_EQ(keySymbolOf(map, 11, kShift), uint32_t(XK_exclam));
    EXPECT_EQ(keySymbolOf(map, 11, kLock), uint32_t(XK_1));    // Caps Lock leaves digits alone
    EXPECT_EQ(keySymbolOf(map, 12, kShift), uint32_t(XK_Up));  // no second symbol: the first
    EXPECT_EQ(keySymbolOf(map, 13, kShift), uint32_t(XK_B));   // a letter without its capital
}

TEST(KeySymbols, CodesOutsideTheMappingHaveNoSymbol) {
    KeyboardMap map;
    map.firstKeycode = 10;
    map.symbolsPerKey = 2;
    map.symbols = {XK_a, XK_A};
    EXPECT_EQ(keySymbolOf(map, 9, 0), 0u);
    EXPECT_EQ(keySymbolOf(map, 11, 0), 0u);
    EXPECT_EQ(keySymbolOf(map, 255, kShift), 0u);
    EXPECT_EQ(keySymbolOf(KeyboardMap{}, 10, 0), 0u);  // no mapping read
}

}  // namespace
