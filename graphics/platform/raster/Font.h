#pragma once
// The raster's built-in bitmap font: 5 x 7 glyphs scaled to the requested character height.

#include <cstdint>

namespace platform {
namespace raster {

// Seven rows of five bits (bit 4 is the leftmost column) for a character.
const uint8_t* glyphRows(unsigned char character);

}  // namespace raster
}  // namespace platform
