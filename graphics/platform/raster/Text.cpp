// DrawTextA on the software raster: one line of text, placed by GDI's rules (left, centred or
// right; top, vertically centred or bottom), clipped to the rectangle unless DT_NOCLIP, and
// backed with the background colour in opaque mode. The glyphs come from the installed glyph
// source (outline fonts, anti-aliased) or the built-in bitmap font. Multi-line layout is not
// offered; text without DT_SINGLELINE is drawn as one line from the top.

#include <cstring>
#include <string>

#include "graphics/platform/raster/Font.h"
#include "graphics/platform/raster/RasterState.h"

namespace platform {
namespace {

struct Metrics {
    int height;   // character cell height in pixels
    int advance;  // cell width of every character
    bool bold;
    bool underline;
};

Metrics metricsOf(const raster::FontObject& font) {
    Metrics metrics;
    const int requested = font.description.lfHeight;
    metrics.height = requested < 0 ? -requested : (requested > 0 ? requested : 16);
    metrics.bold = font.description.lfWeight >= 600;
    metrics.underline = font.description.lfUnderline != 0;
    metrics.advance = (metrics.height * 2 + 2) / 3;
    if (metrics.advance < 3) metrics.advance = 3;
    if (metrics.bold) metrics.advance += 1;
    return metrics;
}

// Without DT_NOPREFIX a single '&' is dropped (it would underline the next character) and
// "&&" prints one '&'.
std::string visibleText(const char* text, int length, bool noPrefix) {
    if (noPrefix) return std::string(text, size_t(length));
    std::string shown;
    for (int i = 0; i < length; i++) {
        if (text[i] == '&') {
            if (i + 1 < length && text[i + 1] == '&') {
                shown += '&';
                i++;
            }
            continue;
        }
        shown += text[i];
    }
    return shown;
}

// Where a cell of the given size goes in the rectangle.
void placeCell(const RectRec& rect, uint32_t format, int width, int height, int* x, int* y) {
    *x = rect.left;
    if (format & kDtCenter) {
        *x = rect.left + (rect.right - rect.left - width) / 2;
    } else if (format & kDtRight) {
        *x = rect.right - width;
    }
    *y = rect.top;
    if (format & kDtSingleLine) {
        if (format & kDtVCenter) {
            *y = rect.top + (rect.bottom - rect.top - height) / 2;
        } else if (format & kDtBottom) {
            *y = rect.bottom - height;
        }
    }
}

uint8_t mix(uint32_t under, uint32_t over, int coverage) {
    return uint8_t((under * uint32_t(255 - coverage) + over * uint32_t(coverage) + 127) / 255);
}

// The text colour laid over each pixel in proportion to the glyphs' coverage of it.
ColorRef blend(ColorRef under, ColorRef over, int coverage) {
    if (coverage >= 255) return over;
    ColorRef result = 0;
    for (int shift = 0; shift < 24; shift += 8)
        result |= ColorRef(mix((under >> shift) & 0xFF, (over >> shift) & 0xFF, coverage)) << shift;
    return result;
}

}  // namespace

using namespace raster;

int DrawTextA(HDc handle, const char* text, int length, RectRec* rect, uint32_t format) {
    DeviceContext* dc = context(handle);
    if (!dc || !text || !rect) return 0;
    if (length < 0) length = int(std::strlen(text));
    const std::string shown = visibleText(text, length, (format & kDtNoPrefix) != 0);
    const bool clip = (format & kDtNoClip) == 0;
    BitmapObject& surface = *dc->bitmap;
    auto inRect = [&](int px, int py) {
        return !clip ||
               (px >= rect->left && px < rect->right && py >= rect->top && py < rect->bottom);
    };

    TextImage image;
    GlyphSource* source = glyphSource();
    if (source && source->layout(dc->font->description, shown, &image)) {
        int x, y;
        placeCell(*rect, format, image.width, image.height, &x, &y);
        for (int cy = 0; cy < image.height; cy++)
            for (int cx = 0; cx < image.width; cx++) {
                const int px = x + cx, py = y + cy;
                if (!inRect(px, py) || !inside(surface, px, py)) continue;
                if (dc->bkMode == kOpaque) plot(surface, px, py, dc->bkColor);
                const int coverage = image.coverage[size_t(cy) * image.width + cx];
                const ColorRef under = surface.pixels[size_t(py) * surface.width + px];
                if (coverage) plot(surface, px, py, blend(under, dc->textColor, coverage));
            }
        return image.height;
    }

    const Metrics metrics = metricsOf(*dc->font);
    const int textWidth = int(shown.size()) * metrics.advance;
    if (shown.empty()) return metrics.height;

    int x, y;
    placeCell(*rect, format, textWidth, metrics.height, &x, &y);
    auto paint = [&](int px, int py, ColorRef color) {
        if (inRect(px, py)) plot(surface, px, py, color);
    };

    if (dc->bkMode == kOpaque)
        for (int py = y; py < y + metrics.height; py++)
            for (int px = x; px < x + textWidth; px++) paint(px, py, dc->bkColor);

    const int inkWidth = metrics.advance - 1 - (metrics.bold ? 1 : 0);
    const int inkHeight = metrics.height > 2 ? metrics.height - 2 : 1;
    for (size_t i = 0; i < shown.size(); i++) {
        const uint8_t* rows = glyphRows(static_cast<unsigned char>(shown[i]));
        const int cellLeft = x + int(i) * metrics.advance;
        for (int cy = 0; cy < inkHeight; cy++) {
            const int glyphRow = cy * 7 / inkHeight;
            for (int cx = 0; cx < inkWidth; cx++) {
                const int glyphColumn = cx * 5 / inkWidth;
                if (!(rows[glyphRow] & (0x10 >> glyphColumn))) continue;
                paint(cellLeft + cx, y + 1 + cy, dc->textColor);
                if (metrics.bold) paint(cellLeft + cx + 1, y + 1 + cy, dc->textColor);
            }
        }
        if (metrics.underline)
            for (int cx = 0; cx < metrics.advance; cx++)
                paint(cellLeft + cx, y + metrics.height - 1, dc->textColor);
    }
    return metrics.height;
}

}  // namespace platform
