// Software raster for GDI's lines, fills, blits and pixel access, with GDI's pixel rules:
// lines leave out their end pixel, FillRect leaves out the right and bottom edges, blits
// convert between colour and monochrome through the background and text colours.

#include <cstdlib>

#include "graphics/platform/raster/RasterState.h"

namespace platform {
namespace raster {

bool inside(const BitmapObject& target, int x, int y) {
    return x >= 0 && y >= 0 && x < target.width && y < target.height;
}

void plot(BitmapObject& target, int x, int y, ColorRef color) {
    if (!inside(target, x, y)) return;
    if (target.monochrome()) {
        // Nearest of black and white, as GDI maps colours onto a one-bit surface.
        const int sum = int(color & 0xFF) + int((color >> 8) & 0xFF) + int((color >> 16) & 0xFF);
        color = sum > 382 ? 0xFFFFFF : 0;
    }
    target.pixels[size_t(y) * target.width + x] = color & 0xFFFFFF;
}

bool readConverted(const DeviceContext& source, int x, int y, const DeviceContext& dest,
                   ColorRef* out) {
    const BitmapObject& from = *source.bitmap;
    if (!inside(from, x, y)) return false;
    ColorRef value = from.pixels[size_t(y) * from.width + x];
    const bool destMonochrome = dest.bitmap->monochrome();
    if (from.monochrome() && !destMonochrome) {
        value = value ? dest.bkColor : dest.textColor;
    } else if (!from.monochrome() && destMonochrome) {
        value = value == source.bkColor ? 0xFFFFFF : 0;
    }
    *out = value;
    return true;
}

int GDI_STDCALL transparentBlt(HDc destHandle, int x, int y, int width, int height,
                               HDc sourceHandle, int sourceX, int sourceY, int sourceWidth,
                               int sourceHeight, uint32_t key) {
    DeviceContext* dest = context(destHandle);
    DeviceContext* source = context(sourceHandle);
    // Stretching is not needed by this program and not offered by the raster.
    if (!dest || !source || width <= 0 || height <= 0 || width != sourceWidth ||
        height != sourceHeight)
        return 0;
    for (int row = 0; row < height; row++)
        for (int column = 0; column < width; column++) {
            const BitmapObject& from = *source->bitmap;
            if (!inside(from, sourceX + column, sourceY + row)) continue;
            const ColorRef raw = from.pixels[size_t(sourceY + row) * from.width + sourceX + column];
            if (raw == (key & 0xFFFFFF)) continue;
            ColorRef value;
            if (readConverted(*source, sourceX + column, sourceY + row, *dest, &value))
                plot(*dest->bitmap, x + column, y + row, value);
        }
    return 1;
}

}  // namespace raster

using namespace raster;

int MoveToEx(HDc handle, int x, int y, PointRec* previous) {
    DeviceContext* dc = context(handle);
    if (!dc) return 0;
    if (previous) *previous = dc->position;
    dc->position = PointRec{x, y};
    return 1;
}

int LineTo(HDc handle, int x, int y) {
    DeviceContext* dc = context(handle);
    if (!dc) return 0;
    const PenObject& pen = *dc->pen;
    const PointRec from = dc->position;
    dc->position = PointRec{x, y};
    if (pen.description.lopnStyle == kPsNull) return 1;

    // Bresenham from the current position, stopping before the end point. Where the ideal
    // line passes exactly half-way between two pixels, GDI steps the minor axis only when
    // that axis runs towards smaller coordinates; the same tie rule is kept here. Wider pens
    // paint a square around each point.
    const int thickness = pen.description.lopnWidth.x > 1 ? pen.description.lopnWidth.x : 1;
    const int before = (thickness - 1) / 2;
    const ColorRef color = pen.description.lopnColor & 0xFFFFFF;
    const int dx = x - from.x, dy = y - from.y;
    const bool xMajor = std::abs(dx) > std::abs(dy);
    const int major = xMajor ? std::abs(dx) : std::abs(dy);
    const int minor = xMajor ? std::abs(dy) : std::abs(dx);
    const int majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const int bias = minorStep < 0 ? 1 : 0;
    int alongMajor = xMajor ? from.x : from.y;
    int alongMinor = xMajor ? from.y : from.x;
    int error = 2 * minor - major;
    for (int step = 0; step < major; step++) {
        const int px = xMajor ? alongMajor : alongMinor;
        const int py = xMajor ? alongMinor : alongMajor;
        for (int oy = 0; oy < thickness; oy++)
            for (int ox = 0; ox < thickness; ox++)
                plot(*dc->bitmap, px - before + ox, py - before + oy, color);
        if (error + bias > 0) {
            alongMinor += minorStep;
            error += 2 * minor - 2 * major;
        } else {
            error += 2 * minor;
        }
        alongMajor += majorStep;
    }
    return 1;
}

int FillRect(HDc handle, const RectRec* rect, HBrush brushHandle) {
    DeviceContext* dc = context(handle);
    Object* found = object(brushHandle);
    if (!dc || !rect || !found || found->kind != Kind::Brush) return 0;
    const BrushObject& brush = *static_cast<BrushObject*>(found);
    if (brush.description.lbStyle == kBsNull) return 1;
    for (int y = rect->top; y < rect->bottom; y++)
        for (int x = rect->left; x < rect->right; x++)
            plot(*dc->bitmap, x, y, brush.description.lbColor);
    return 1;
}

int BitBlt(HDc destHandle, int x, int y, int width, int height, HDc sourceHandle, int sourceX,
           int sourceY, uint32_t rop) {
    DeviceContext* dest = context(destHandle);
    DeviceContext* source = context(sourceHandle);
    if (!dest || !source) return 0;
    if (rop != kSrcCopy && rop != kSrcInvert && rop != kSrcAnd && rop != kSrcPaint) return 0;
    BitmapObject& to = *dest->bitmap;
    for (int row = 0; row < height; row++)
        for (int column = 0; column < width; column++) {
            const int tx = x + column, ty = y + row;
            if (!inside(to, tx, ty)) continue;
            ColorRef value;
            // Pixels whose source lies outside the source surface leave the destination alone.
            if (!readConverted(*source, sourceX + column, sourceY + row, *dest, &value)) continue;
            const ColorRef old = to.pixels[size_t(ty) * to.width + tx];
            if (rop == kSrcInvert) value ^= old;
            if (rop == kSrcAnd) value &= old;
            if (rop == kSrcPaint) value |= old;
            plot(to, tx, ty, value);
        }
    return 1;
}

ColorRef GetPixel(HDc handle, int x, int y) {
    DeviceContext* dc = context(handle);
    if (!dc || !inside(*dc->bitmap, x, y)) return 0xFFFFFFFF;
    return dc->bitmap->pixels[size_t(y) * dc->bitmap->width + x];
}

ColorRef SetPixel(HDc handle, int x, int y, ColorRef color) {
    DeviceContext* dc = context(handle);
    if (!dc || !inside(*dc->bitmap, x, y)) return 0xFFFFFFFF;
    plot(*dc->bitmap, x, y, color);
    return GetPixel(handle, x, y);
}

}  // namespace platform
