#pragma once
// Internals of the software raster: the objects behind the opaque handles. Pixels are
// kept in COLORREF form (0x00BBGGRR); a monochrome bitmap holds only 0 (black) and 0xFFFFFF.

#include <cstdint>
#include <vector>

#include "graphics/platform/Gdi.h"
#include "graphics/platform/raster/RasterControls.h"

namespace platform {
namespace raster {

enum class Kind { Pen, Brush, Font, Bitmap };

// The largest bitmap the raster makes, in pixels (256 MiB of them).
constexpr int64_t kMaxBitmapPixels = int64_t(1) << 26;

struct Object {
    explicit Object(Kind kind, bool stock = false) : kind(kind), stock(stock) {}
    virtual ~Object() = default;
    Kind kind;
    bool stock;
    int selections = 0;  // device contexts this object is selected into
};

struct PenObject : Object {
    explicit PenObject(const LogPenRec& description, bool stock = false)
        : Object(Kind::Pen, stock), description(description) {}
    LogPenRec description;
};

struct BrushObject : Object {
    explicit BrushObject(const LogBrushRec& description, bool stock = false)
        : Object(Kind::Brush, stock), description(description) {}
    LogBrushRec description;
};

struct FontObject : Object {
    explicit FontObject(const LogFontRec& description, bool stock = false)
        : Object(Kind::Font, stock), description(description) {}
    LogFontRec description;
};

struct BitmapObject : Object {
    BitmapObject(int width, int height, int bitsPerPixel, bool stock = false)
        : Object(Kind::Bitmap, stock),
          width(width),
          height(height),
          bitsPerPixel(bitsPerPixel),
          pixels(size_t(width) * size_t(height), 0) {}
    // A colour bitmap whose pixels stay in the checked .bmp file `encoded` (which outlives it)
    // until it is first selected into a device context, the only way to draw from or into it:
    // an effect whose editor never opens spends neither time nor memory on its pictures.
    BitmapObject(int width, int height, const unsigned char* encoded, size_t encodedSize)
        : Object(Kind::Bitmap),
          width(width),
          height(height),
          bitsPerPixel(32),
          encoded(encoded),
          encodedSize(encodedSize) {}
    bool monochrome() const { return bitsPerPixel == 1; }
    // Decodes the pixels if they are still encoded (BitmapLoader.cpp).
    void decodePixels();
    int width;
    int height;
    int bitsPerPixel;  // 1 or 32
    std::vector<ColorRef> pixels;
    const unsigned char* encoded = nullptr;
    size_t encodedSize = 0;
};

struct DeviceContext {
    BitmapObject* bitmap;
    PenObject* pen;
    BrushObject* brush;
    FontObject* font;
    int bkMode = kOpaque;
    ColorRef bkColor = 0xFFFFFF;
    ColorRef textColor = 0;
    PointRec position = {0, 0};
};

// Validated conversions from handles; null for anything that is not a live object.
Object* object(HGdiObj handle);
DeviceContext* context(HDc handle);
BitmapObject* bitmap(HGdiObj handle);

// The default 1 x 1 monochrome bitmap of a new memory device context.
BitmapObject* defaultBitmap();

// Registers a newly created object (counted) and answers its handle.
HGdiObj adopt(Object* created);

// Pixel access with GDI's colour rules: reading converts to the destination's kind (colour to
// monochrome: the source context's background colour becomes white, all else black;
// monochrome to colour: white becomes the destination's background colour, black its text
// colour). Answers false outside the source surface.
bool readConverted(const DeviceContext& source, int x, int y, const DeviceContext& dest,
                   ColorRef* out);
bool inside(const BitmapObject& target, int x, int y);
void plot(BitmapObject& target, int x, int y, ColorRef color);

// The raster's TransparentBlt, answered by GetProcAddress for msimg32.dll.
int GDI_STDCALL transparentBlt(HDc dest, int x, int y, int width, int height, HDc source,
                               int sourceX, int sourceY, int sourceWidth, int sourceHeight,
                               uint32_t key);

}  // namespace raster
}  // namespace platform
