#pragma once
// Four-byte colour: red, green, blue and a fourth byte that is carried along but ignored by
// every drawing operation.

#include <cstdint>

struct Color {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t unused = 0;

    constexpr Color() = default;
    constexpr Color(uint8_t red, uint8_t green, uint8_t blue, uint8_t unused = 0)
        : red(red), green(green), blue(blue), unused(unused) {}

    // The platform form (COLORREF): red + 256 * green + 65536 * blue; the fourth byte is dropped.
    constexpr uint32_t toColorRef() const {
        return uint32_t(red) | (uint32_t(green) << 8) | (uint32_t(blue) << 16);
    }

    // Equal in the three bytes that drawing uses.
    constexpr bool sameRgb(const Color& other) const {
        return red == other.red && green == other.green && blue == other.blue;
    }

    constexpr bool operator==(const Color& other) const {
        return sameRgb(other) && unused == other.unused;
    }
    constexpr bool operator!=(const Color& other) const { return !(*this == other); }
};

// The named colours, fixed when the library is loaded and shared by all instances.
extern const Color kBlackColor;
extern const Color kWhiteColor;
extern const Color kGreyColor;
extern const Color kRedColor;
extern const Color kGreenColor;
extern const Color kBlueColor;
extern const Color kYellowColor;
extern const Color kMagentaColor;
extern const Color kCyanColor;
// The key colour every Bitmap starts with.
extern const Color kTransparentColor;
