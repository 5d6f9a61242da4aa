// The drawing layer on Windows: every function forwards to the GDI32/USER32 call of its name.
// The records in Gdi.h share the Windows layouts, so they are passed through by casting.

#include <windows.h>

#include <cstddef>

#include "graphics/platform/Gdi.h"

namespace {
static_assert(sizeof(platform::PointRec) == sizeof(POINT), "POINT layout");
static_assert(sizeof(platform::RectRec) == sizeof(RECT), "RECT layout");
static_assert(sizeof(platform::LogPenRec) == sizeof(LOGPEN), "LOGPEN layout");
static_assert(sizeof(platform::LogBrushRec) == sizeof(LOGBRUSH), "LOGBRUSH layout");
static_assert(sizeof(platform::LogFontRec) == sizeof(LOGFONTA), "LOGFONTA layout");
static_assert(offsetof(platform::LogFontRec, lfFaceName) == offsetof(LOGFONTA, lfFaceName),
              "LOGFONTA layout");
static_assert(sizeof(platform::BitmapRec) == sizeof(BITMAP), "BITMAP layout");
static_assert(offsetof(platform::BitmapRec, bmBits) == offsetof(BITMAP, bmBits), "BITMAP layout");
static_assert(sizeof(platform::OsVersionInfoRec) == sizeof(OSVERSIONINFOEXA) &&
                  sizeof(platform::OsVersionInfoRec) == 156,
              "OSVERSIONINFOEXA layout");

HDC win(platform::HDc dc) { return reinterpret_cast<HDC>(dc); }
HGDIOBJ win(platform::HGdiObj object) { return reinterpret_cast<HGDIOBJ>(object); }
platform::HGdiObj ours(HGDIOBJ object) { return reinterpret_cast<platform::HGdiObj>(object); }
}  // namespace

namespace platform {

HDc CreateCompatibleDC(HDc dc) { return reinterpret_cast<HDc>(::CreateCompatibleDC(win(dc))); }
int DeleteDC(HDc dc) { return ::DeleteDC(win(dc)); }
HGdiObj SelectObject(HDc dc, HGdiObj object) { return ours(::SelectObject(win(dc), win(object))); }
HGdiObj GetCurrentObject(HDc dc, uint32_t kind) { return ours(::GetCurrentObject(win(dc), kind)); }
HGdiObj GetStockObject(int which) { return ours(::GetStockObject(which)); }
int DeleteObject(HGdiObj object) { return ::DeleteObject(win(object)); }
int GetObjectA(HGdiObj object, int size, void* out) { return ::GetObjectA(win(object), size, out); }

HPen CreatePenIndirect(const LogPenRec* pen) {
    return reinterpret_cast<HPen>(::CreatePenIndirect(reinterpret_cast<const LOGPEN*>(pen)));
}

HBrush CreateBrushIndirect(const LogBrushRec* brush) {
    return reinterpret_cast<HBrush>(
        ::CreateBrushIndirect(reinterpret_cast<const LOGBRUSH*>(brush)));
}

HFont CreateFontIndirectA(const LogFontRec* font) {
    return reinterpret_cast<HFont>(::CreateFontIndirectA(reinterpret_cast<const LOGFONTA*>(font)));
}

HBitmap CreateBitmap(int width, int height, uint32_t planes, uint32_t bitsPerPixel,
                     const void* bits) {
    return reinterpret_cast<HBitmap>(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}

HBitmap CreateCompatibleBitmap(HDc dc, int width, int height) {
    return reinterpret_cast<HBitmap>(::CreateCompatibleBitmap(win(dc), width, height));
}

HBitmap LoadBitmapA(HModule instance, int resourceId) {
    return reinterpret_cast<HBitmap>(::LoadBitmapA(reinterpret_cast<HINSTANCE>(instance),
                                                   MAKEINTRESOURCEA(resourceId & 0xFFFF)));
}

int SetBkMode(HDc dc, int mode) { return ::SetBkMode(win(dc), mode); }
int GetBkMode(HDc dc) { return ::GetBkMode(win(dc)); }
ColorRef SetBkColor(HDc dc, ColorRef color) { return ::SetBkColor(win(dc), color); }
ColorRef GetBkColor(HDc dc) { return ::GetBkColor(win(dc)); }
ColorRef SetTextColor(HDc dc, ColorRef color) { return ::SetTextColor(win(dc), color); }
ColorRef GetTextColor(HDc dc) { return ::GetTextColor(win(dc)); }

int MoveToEx(HDc dc, int x, int y, PointRec* previous) {
    return ::MoveToEx(win(dc), x, y, reinterpret_cast<POINT*>(previous));
}

int LineTo(HDc dc, int x, int y) { return ::LineTo(win(dc), x, y); }

int FillRect(HDc dc, const RectRec* rect, HBrush brush) {
    return ::FillRect(win(dc), reinterpret_cast<const RECT*>(rect),
                      reinterpret_cast<HBRUSH>(brush));
}

int DrawTextA(HDc dc, const char* text, int length, RectRec* rect, uint32_t format) {
    return ::DrawTextA(win(dc), text, length, reinterpret_cast<RECT*>(rect), format);
}

int BitBlt(HDc dest, int x, int y, int width, int height, HDc source, int sourceX, int sourceY,
           uint32_t rop) {
    return ::BitBlt(win(dest), x, y, width, height, win(source), sourceX, sourceY, rop);
}

ColorRef GetPixel(HDc dc, int x, int y) { return ::GetPixel(win(dc), x, y); }
ColorRef SetPixel(HDc dc, int x, int y, ColorRef color) { return ::SetPixel(win(dc), x, y, color); }

HDc createRasterDC(int width, int height) {
    // A 32-bit DIB section rather than a screen-compatible bitmap, so that what is drawn and
    // read back does not depend on the display's depth.
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    if (!dc) return nullptr;
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) {
        ::DeleteDC(dc);
        return nullptr;
    }
    ::SelectObject(dc, bitmap);
    ::PatBlt(dc, 0, 0, width, height, BLACKNESS);
    return reinterpret_cast<HDc>(dc);
}

void deleteRasterDC(HDc dc) {
    if (!dc) return;
    HGDIOBJ bitmap = ::GetCurrentObject(win(dc), OBJ_BITMAP);
    ::DeleteDC(win(dc));  // deselects the bitmap, which can then be deleted
    ::DeleteObject(bitmap);
}

}  // namespace platform
