#pragma once
// A picture from the library's bitmap resources, shared by reference counting. Whoever stores
// a Bitmap pointer retains it and releases it when dropping it; the creator holds the first
// reference. Drawing copies a rectangle of the bitmap, unscaled, either opaquely or with the
// key colour left out.

#include <cstdint>

#include "graphics/Color.h"
#include "graphics/Point.h"
#include "graphics/Rect.h"
#include "graphics/platform/Gdi.h"

class DrawContext;

class Bitmap {
public:
    // Loads resource `resourceId` (low 16 bits) of the module; a missing resource gives a
    // 0 x 0 bitmap that draws nothing.
    explicit Bitmap(int32_t resourceId);
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    void retain() { referenceCount++; }
    // At 0 the platform bitmap and the object are deleted; a count already at 0 or below is
    // left alone.
    void release();

    // Copies the area of rect's size at `offset` in the bitmap to rect's top-left.
    void draw(DrawContext* context, const Rect& rect, const Point& offset = Point());
    // Same, but pixels of exactly the key colour leave the destination unchanged.
    void drawTransparent(DrawContext* context, const Rect& rect, const Point& offset = Point());

    int32_t getResourceId() const { return resourceId; }
    int32_t getRefCount() const { return referenceCount; }
    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    Color getTransparentColor() const { return transparentColor; }
    platform::HBitmap getHandle() const { return handle; }

private:
    int32_t resourceId;
    int32_t referenceCount = 1;

public:
    // Read directly by the frame and the controls (a film strip divides the height).
    int32_t width = 0;
    int32_t height = 0;

private:
    Color transparentColor;
    platform::HBitmap handle = nullptr;

    ~Bitmap();
};

// Process-wide TransparentBlt of msimg32.dll, or null: then colour-keyed copies use the mask
// method. Rewritten by every frame construction, not cleared at frame destruction.
extern platform::TransparentBltProc transparentBltEntry;

// Called by each frame's construction before its window exists: clears the entry, loads
// "msimg32.dll" and, on NT platforms, stores its TransparentBlt. Answers the library handle
// (null if it did not load), which the frame frees with platform::FreeLibrary when it is destroyed.
platform::HModule obtainTransparentBlt();

// The colour-keyed copy from `source` at `sourceOffset` to `dest` at (left, top), w x h, with
// TransparentBlt when the entry is present and the mask method otherwise.
void transparentCopy(platform::HDc dest, int32_t left, int32_t top, int32_t width, int32_t height,
                     platform::HDc source, const Point& sourceOffset, platform::ColorRef key);
// The mask method alone (four plain blits through a monochrome mask).
void maskedCopy(platform::HDc dest, int32_t left, int32_t top, int32_t width, int32_t height,
                platform::HDc source, const Point& sourceOffset, platform::ColorRef key);
