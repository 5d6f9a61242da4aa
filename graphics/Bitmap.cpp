#include "graphics/Bitmap.h"

#include "graphics/DrawContext.h"
#include "host/ModuleState.h"

gdi::TransparentBltProc transparentBltEntry = nullptr;

Bitmap::Bitmap(int32_t resourceId)
    : resourceId(resourceId), transparentColor(kTransparentColor) {
    handle = gdi::LoadBitmapA(static_cast<gdi::HModule>(moduleInstance), resourceId & 0xFFFF);
    if (!handle) return;
    gdi::BitmapRec description = {};
    if (gdi::GetObjectA(handle, int(sizeof description), &description)) {
        width = description.bmWidth;
        height = description.bmHeight;
    }
}

Bitmap::~Bitmap() {
    if (handle) gdi::DeleteObject(handle);
}

void Bitmap::release() {
    if (referenceCount <= 0) return;
    if (--referenceCount == 0) delete this;
}

namespace {

// Runs `copy` (destination, source) with a memory context, compatible with the context's
// device context, that holds the bitmap. A bitmap that cannot be selected (another context
// holds it) copies nothing rather than garbage. The bitmap goes back out of the memory context
// before that is deleted, so that the bitmap itself stays deletable.
template <typename Copy>
void copyFromMemoryContext(gdi::HBitmap handle, DrawContext* context, Copy copy) {
    if (!handle || !context || !context->getDeviceContext()) return;
    gdi::HDc dest = context->getDeviceContext();
    gdi::HDc source = gdi::CreateCompatibleDC(dest);
    if (!source) return;
    gdi::HGdiObj previous = gdi::SelectObject(source, handle);
    if (previous) {
        copy(dest, source);
        gdi::SelectObject(source, previous);
    }
    gdi::DeleteDC(source);
}

}  // namespace

void Bitmap::draw(DrawContext* context, const Rect& rect, const Point& offset) {
    copyFromMemoryContext(handle, context, [&](gdi::HDc dest, gdi::HDc source) {
        gdi::BitBlt(dest, rect.left, rect.top, rect.width(), rect.height(), source, offset.x,
                    offset.y, gdi::kSrcCopy);
    });
}

void Bitmap::drawTransparent(DrawContext* context, const Rect& rect, const Point& offset) {
    copyFromMemoryContext(handle, context, [&](gdi::HDc dest, gdi::HDc source) {
        transparentCopy(dest, rect.left, rect.top, rect.width(), rect.height(), source, offset,
                        transparentColor.toColorRef());
    });
}

void transparentCopy(gdi::HDc dest, int32_t left, int32_t top, int32_t width, int32_t height,
                     gdi::HDc source, const Point& sourceOffset, gdi::ColorRef key) {
    if (width <= 0 || height <= 0) return;
    if (transparentBltEntry) {
        transparentBltEntry(dest, left, top, width, height, source, sourceOffset.x,
                            sourceOffset.y, width, height, key);
        return;
    }
    maskedCopy(dest, left, top, width, height, source, sourceOffset, key);
}

void maskedCopy(gdi::HDc dest, int32_t left, int32_t top, int32_t width, int32_t height,
                gdi::HDc source, const Point& sourceOffset, gdi::ColorRef key) {
    gdi::HDc maskDc = gdi::CreateCompatibleDC(dest);
    if (!maskDc) return;
    // White background and black text make the one-bit mask expand to all ones where it is 1
    // and all zeros where it is 0 when it is copied onto the colour destination.
    const gdi::ColorRef savedBack = gdi::SetBkColor(dest, 0xFFFFFF);
    const gdi::ColorRef savedText = gdi::SetTextColor(dest, 0);
    gdi::HBitmap mask = gdi::CreateBitmap(width, height, 1, 1, nullptr);
    if (!mask) {
        // Without a mask the blits below would xor the picture into the destination and
        // leave it damaged; draw nothing instead.
        gdi::SetBkColor(dest, savedBack);
        gdi::SetTextColor(dest, savedText);
        gdi::DeleteDC(maskDc);
        return;
    }
    gdi::HGdiObj previousMask = gdi::SelectObject(maskDc, mask);

    // Mask = 1 where the source has the key colour (the source's background colour).
    const gdi::ColorRef savedSourceBack = gdi::SetBkColor(source, key);
    gdi::BitBlt(maskDc, 0, 0, width, height, source, sourceOffset.x, sourceOffset.y,
                gdi::kSrcCopy);
    gdi::BitBlt(dest, left, top, width, height, source, sourceOffset.x, sourceOffset.y,
                gdi::kSrcInvert);
    gdi::BitBlt(dest, left, top, width, height, maskDc, 0, 0, gdi::kSrcAnd);
    gdi::BitBlt(dest, left, top, width, height, source, sourceOffset.x, sourceOffset.y,
                gdi::kSrcInvert);
    gdi::SetBkColor(source, savedSourceBack);

    gdi::SelectObject(maskDc, previousMask);
    gdi::DeleteObject(mask);
    gdi::DeleteDC(maskDc);
    gdi::SetBkColor(dest, savedBack);
    gdi::SetTextColor(dest, savedText);
}

gdi::HModule obtainTransparentBlt() {
    transparentBltEntry = nullptr;
    gdi::HModule library = gdi::LoadLibraryA("msimg32.dll");
    if (!library) return nullptr;
    gdi::OsVersionInfoRec version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (gdi::GetVersionExA(&version) && version.dwPlatformId >= gdi::kVerPlatformWin32Nt) {
        transparentBltEntry = reinterpret_cast<gdi::TransparentBltProc>(
            gdi::GetProcAddress(library, "TransparentBlt"));
    }
    return library;
}
