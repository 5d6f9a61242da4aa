#pragma once
// What the software raster offers beyond the GDI calls: object counts for leak checks, the
// font record behind a font handle, a switch that makes object creation fail, and extra
// bitmap "resources". Linux only; tests and the X11 layer's checks read these.

#include <cstddef>

#include "graphics/platform/Gdi.h"

namespace platform {
namespace raster {

// Objects created and deleted since the process started. Stock objects are not counted;
// a DeleteObject that fails (object still selected, or unknown) counts as nothing.
struct ObjectCounts {
    long pensCreated, pensDeleted;
    long brushesCreated, brushesDeleted;
    long fontsCreated, fontsDeleted;
    long bitmapsCreated, bitmapsDeleted;
    long dcsCreated, dcsDeleted;

    long livePens() const { return pensCreated - pensDeleted; }
    long liveBrushes() const { return brushesCreated - brushesDeleted; }
    long liveFonts() const { return fontsCreated - fontsDeleted; }
    long liveBitmaps() const { return bitmapsCreated - bitmapsDeleted; }
    long liveDcs() const { return dcsCreated - dcsDeleted; }
};
ObjectCounts objectCounts();

// The font record an HFONT was created from; false for anything else.
bool getLogFont(HGdiObj font, LogFontRec* out);

// While set, CreatePenIndirect, CreateBrushIndirect and CreateFontIndirectA fail (answer null).
void failObjectCreation(bool fail);

// A .bmp file image (8-bit palettised or 24-bit) answered by LoadBitmapA for `resourceId`
// before the embedded resources; empty bytes remove the registration.
void registerTestBitmapResource(int resourceId, const unsigned char* data, size_t size);

}  // namespace raster
}  // namespace platform
