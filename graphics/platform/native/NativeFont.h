#pragma once
// The stand-in's one fixed bitmap font: 5 x 7 glyphs scaled to the requested character height.

#include <cstdint>

namespace gdi {
namespace stand_in {

// Seven rows of five bits (bit 4 is the leftmost column) for a character.
const uint8_t* glyphRows(unsigned char character);

}  // namespace stand_in
}  // namespace gdi
