#include "graphics/Bitmap.h"

#include "graphics/DrawContext.h"
#include "graphics/ModuleHandle.h"

platform::TransparentBltProc transparentBltEntry = nullptr;

Bitmap::Bitmap(int32_t resourceId) : resourceId(resourceId), transparentColor(kTransparentColor) {
    handle =
        platform::LoadBitmapA(static_cast<platform::HModule>(moduleInstance), resourceId & 0xFFFF);
    if (!handle) return;
    platform::BitmapRec description = {};
    if (platform::GetObjectA(handle, int(sizeof description), &description)) {
        width = description.bmWidth;
        height = description.bmHeight;
    }
}

Bitmap::~Bitmap() {
    if (handle) platform::DeleteObject(handle);
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
void copyFromMemoryContext(platform::HBitmap handle, DrawContext* context, Copy copy) {
    if (!handle || !context || !context->getDeviceContext()) return;
    platform::HDc dest = context->getDeviceContext();
    platform::HDc source = platform::CreateCompatibleDC(dest);
    if (!source) return;
    platform::HGdiObj previous = platform::SelectObject(source, handle);
    if (previous) {
        copy(dest, source);
        platform::SelectObject(source, previous);
    }
    platform::DeleteDC(source);
}

}  // namespace

void Bitmap::draw(DrawContext* context, const Rect& rect, const Point& offset) {
    copyFromMemoryContext(handle, context, [&](platform::HDc dest, platform::HDc source) {
        platform::BitBlt(dest, rect.left, rect.top, rect.width(), rect.height(), source, offset.x,
                         offset.y, platform::kSrcCopy);
    });
}

void Bitmap::drawTransparent(DrawContext* context, const Rect& rect, const Point& offset) {
    copyFromMemoryContext(handle, context, [&](platform::HDc dest, platform::HDc source) {
        transparentCopy(dest, rect.left, rect.top, rect.width(), rect.height(), source, offset,
                        transparentColor.toColorRef());
    });
}

void transparentCopy(platform::HDc dest, int32_t left, int32_t top, int32_t width, int32_t height,
                     platform::HDc source, const Point& sourceOffset, platform::ColorRef key) {
    if (width <= 0 || height <= 0) return;
    if (transparentBltEntry) {
        transparentBltEntry(dest, left, top, width, height, source, sourceOffset.x, sourceOffset.y,
                            width, height, key);
        return;
    }
    maskedCopy(dest, left, top, width, height, source, sourceOffset, key);
}

void maskedCopy(platform::HDc dest, int32_t left, int32_t top, int32_t width, int32_t height,
                platform::HDc source, const Point& sourceOffset, platform::ColorRef key) {
    platform::HDc maskDc = platform::CreateCompatibleDC(dest);
    if (!maskDc) return;
    // White background and black text make the one-bit mask expand to all ones where it is 1
    // and all zeros where it is 0 when it is copied onto the colour destination.
    const platform::ColorRef savedBack = platform::SetBkColor(dest, 0xFFFFFF);
    const platform::ColorRef savedText = platform::SetTextColor(dest, 0);
    platform::HBitmap mask = platform::CreateBitmap(width, height, 1, 1, nullptr);
    if (!mask) {
        // Without a mask the blits below would xor the picture into the destination and
        // leave it damaged; draw nothing instead.
        platform::SetBkColor(dest, savedBack);
        platform::SetTextColor(dest, savedText);
        platform::DeleteDC(maskDc);
        return;
    }
    platform::HGdiObj previousMask = platform::SelectObject(maskDc, mask);

    // Mask = 1 where the source has the key colour (the source's background colour).
    const platform::ColorRef savedSourceBack = platform::SetBkColor(source, key);
    platform::BitBlt(maskDc, 0, 0, width, height, source, sourceOffset.x, sourceOffset.y,
                     platform::kSrcCopy);
    platform::BitBlt(dest, left, top, width, height, source, sourceOffset.x, sourceOffset.y,
                     platform::kSrcInvert);
    platform::BitBlt(dest, left, top, width, height, maskDc, 0, 0, platform::kSrcAnd);
    platform::BitBlt(dest, left, top, width, height, source, sourceOffset.x, sourceOffset.y,
                     platform::kSrcInvert);
    platform::SetBkColor(source, savedSourceBack);

    platform::SelectObject(maskDc, previousMask);
    platform::DeleteObject(mask);
    platform::DeleteDC(maskDc);
    platform::SetBkColor(dest, savedBack);
    platform::SetTextColor(dest, savedText);
}

platform::HModule obtainTransparentBlt() {
    transparentBltEntry = nullptr;
    platform::HModule library = platform::LoadLibraryA("msimg32.dll");
    if (!library) return nullptr;
    platform::OsVersionInfoRec version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (platform::GetVersionExA(&version) &&
        version.dwPlatformId >= platform::kVerPlatformWin32Nt) {
        transparentBltEntry = reinterpret_cast<platform::TransparentBltProc>(
            platform::GetProcAddress(library, "TransparentBlt"));
    }
    return library;
}
