#pragma once
// Where DrawTextA takes its glyphs from: the raster's built-in bitmap font (5 x 7 glyphs scaled
// to the requested character height), or a glyph source that a window layer installs (the X11
// layer installs FreeType's outline fonts when the first editor opens). Tests keep the
// built-in font, so their pixel expectations do not depend on the fonts of the machine.

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/platform/Gdi.h"

namespace platform {
namespace raster {

// Seven rows of five bits (bit 4 is the leftmost column) for a character.
const uint8_t* glyphRows(unsigned char character);

// One line of text as a glyph source lays it out: the cell is `width` x `height` pixels with
// the baseline `ascent` pixels below its top; coverage holds width * height values 0..255
// (row by row), how much of each pixel the glyphs cover.
struct TextImage {
    int width = 0;
    int height = 0;
    int ascent = 0;
    std::vector<uint8_t> coverage;
};

class GlyphSource {
public:
    virtual ~GlyphSource() = default;
    // Lays out `text` in the font described; false when the source cannot (DrawTextA then
    // uses the built-in font).
    virtual bool layout(const LogFontRec& font, const std::string& text, TextImage* out) = 0;
};

// Installs the glyph source DrawTextA uses from now on (not owned; null: the built-in font).
// Answers the one it replaces.
GlyphSource* setGlyphSource(GlyphSource* source);
GlyphSource* glyphSource();

}  // namespace raster
}  // namespace platform
