#pragma once
// The slice of the Windows 2-D graphics, cursor and key interfaces the editor uses, behind one
// set of declarations. On Windows (platform/win32) each function forwards to the USER32, GDI32
// or KERNEL32 call of the same name; on Linux the drawing calls are a software raster that
// keeps GDI's pixel rules (platform/raster), and the cursor, key and library calls come from
// the window layer (platform/x11, or the test double in tests/platform_double), so toolkit and
// editor code compiles and behaves the same everywhere. Handles are opaque; records mirror the
// Windows layouts.
//
// Names of constants carry a k prefix so that this header can live beside <windows.h>, whose
// macros (TRANSPARENT, SRCCOPY, ...) would otherwise collide.

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define GDI_STDCALL __stdcall
#else
#define GDI_STDCALL
#endif

namespace platform {

// ---- Handles -----------------------------------------------------------------------------
struct GdiObjectTag {};
struct PenTag : GdiObjectTag {};
struct BrushTag : GdiObjectTag {};
struct FontTag : GdiObjectTag {};
struct BitmapTag : GdiObjectTag {};
struct DcTag {};
struct WndTag {};
struct ModuleTag {};

typedef GdiObjectTag* HGdiObj;  // any pen, brush, font or bitmap
typedef PenTag* HPen;
typedef BrushTag* HBrush;
typedef FontTag* HFont;
typedef BitmapTag* HBitmap;
typedef DcTag* HDc;          // device context
typedef WndTag* HWnd;        // window
typedef ModuleTag* HModule;  // loaded library or the module instance
typedef uint32_t ColorRef;   // red + 256 * green + 65536 * blue

// ---- Records (layouts of POINT, RECT, LOGPEN, LOGBRUSH, LOGFONTA, BITMAP, OSVERSIONINFOEXA) -----
struct PointRec {
    int32_t x;
    int32_t y;
};

struct RectRec {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct LogPenRec {
    uint32_t lopnStyle;
    PointRec lopnWidth;
    ColorRef lopnColor;
};

struct LogBrushRec {
    uint32_t lbStyle;
    ColorRef lbColor;
    uintptr_t lbHatch;
};

struct LogFontRec {
    int32_t lfHeight;
    int32_t lfWidth;
    int32_t lfEscapement;
    int32_t lfOrientation;
    int32_t lfWeight;
    uint8_t lfItalic;
    uint8_t lfUnderline;
    uint8_t lfStrikeOut;
    uint8_t lfCharSet;
    uint8_t lfOutPrecision;
    uint8_t lfClipPrecision;
    uint8_t lfQuality;
    uint8_t lfPitchAndFamily;
    char lfFaceName[32];
};

struct BitmapRec {
    int32_t bmType;
    int32_t bmWidth;
    int32_t bmHeight;
    int32_t bmWidthBytes;
    uint16_t bmPlanes;
    uint16_t bmBitsPixel;
    void* bmBits;
};

// The extended version record (156 bytes), so that a size field of 156 never lets the system
// write past the record.
struct OsVersionInfoRec {
    uint32_t dwOSVersionInfoSize;
    uint32_t dwMajorVersion;
    uint32_t dwMinorVersion;
    uint32_t dwBuildNumber;
    uint32_t dwPlatformId;
    char szCSDVersion[128];
    uint16_t wServicePackMajor;
    uint16_t wServicePackMinor;
    uint16_t wSuiteMask;
    uint8_t wProductType;
    uint8_t wReserved;
};

// ---- Constants -----------------------------------------------------------------------------
const int kTransparent = 1;  // background modes
const int kOpaque = 2;

const uint32_t kPsSolid = 0;
const uint32_t kPsNull = 5;
const uint32_t kBsSolid = 0;
const uint32_t kBsNull = 1;

const int kWhiteBrush = 0;  // stock objects
const int kBlackBrush = 4;
const int kNullBrush = 5;
const int kWhitePen = 6;
const int kBlackPen = 7;
const int kNullPen = 8;
const int kSystemFont = 13;

const uint32_t kObjPen = 1;  // GetCurrentObject kinds
const uint32_t kObjBrush = 2;
const uint32_t kObjFont = 6;
const uint32_t kObjBitmap = 7;

const uint32_t kSrcCopy = 0x00CC0020;
const uint32_t kSrcPaint = 0x00EE0086;
const uint32_t kSrcAnd = 0x008800C6;
const uint32_t kSrcInvert = 0x00660046;

const uint32_t kDtLeft = 0x0;  // DrawTextA formats
const uint32_t kDtCenter = 0x1;
const uint32_t kDtRight = 0x2;
const uint32_t kDtVCenter = 0x4;
const uint32_t kDtBottom = 0x8;
const uint32_t kDtSingleLine = 0x20;
const uint32_t kDtNoClip = 0x100;
const uint32_t kDtNoPrefix = 0x800;

const int32_t kFwNormal = 400;
const int32_t kFwBold = 700;
const uint8_t kAnsiCharset = 0;
const uint8_t kOutStringPrecis = 1;
const uint8_t kClipStrokePrecis = 2;
const uint8_t kDefaultQuality = 0;
const uint8_t kVariablePitch = 2;
const uint8_t kFfSwiss = 0x20;
const uint8_t kFfDecorative = 0x50;

const int kVkLButton = 0x01;  // virtual keys
const int kVkRButton = 0x02;
const int kVkMButton = 0x04;
const int kVkShift = 0x10;
const int kVkControl = 0x11;
const int kVkMenu = 0x12;

const int kSmSwapButton = 23;
const uint32_t kVerPlatformWin32Nt = 2;

// ---- Device contexts and objects (GDI32) ---------------------------------------------------
HDc CreateCompatibleDC(HDc dc);
int DeleteDC(HDc dc);
HGdiObj SelectObject(HDc dc, HGdiObj object);
HGdiObj GetCurrentObject(HDc dc, uint32_t kind);
HGdiObj GetStockObject(int which);
int DeleteObject(HGdiObj object);
int GetObjectA(HGdiObj object, int size, void* out);

HPen CreatePenIndirect(const LogPenRec* pen);
HBrush CreateBrushIndirect(const LogBrushRec* brush);
HFont CreateFontIndirectA(const LogFontRec* font);
HBitmap CreateBitmap(int width, int height, uint32_t planes, uint32_t bitsPerPixel,
                     const void* bits);
HBitmap CreateCompatibleBitmap(HDc dc, int width, int height);
// Loads bitmap resource `resourceId` (an integer resource name, low 16 bits) of `instance`,
// converted to the display's format. Null when there is no such resource.
HBitmap LoadBitmapA(HModule instance, int resourceId);

int SetBkMode(HDc dc, int mode);  // answers the previous mode
int GetBkMode(HDc dc);
ColorRef SetBkColor(HDc dc, ColorRef color);  // answers the previous colour
ColorRef GetBkColor(HDc dc);
ColorRef SetTextColor(HDc dc, ColorRef color);
ColorRef GetTextColor(HDc dc);

// ---- Drawing ---------------------------------------------------------------------------------
int MoveToEx(HDc dc, int x, int y, PointRec* previous);
int LineTo(HDc dc, int x, int y);                         // the end pixel is not painted
int FillRect(HDc dc, const RectRec* rect, HBrush brush);  // right and bottom exclusive
int DrawTextA(HDc dc, const char* text, int length, RectRec* rect, uint32_t format);
int BitBlt(HDc dest, int x, int y, int width, int height, HDc source, int sourceX, int sourceY,
           uint32_t rop);
ColorRef GetPixel(HDc dc, int x, int y);  // 0xFFFFFFFF outside the surface
ColorRef SetPixel(HDc dc, int x, int y, ColorRef color);

// TransparentBlt of msimg32.dll, obtained at run time through LoadLibraryA/GetProcAddress.
typedef int(GDI_STDCALL* TransparentBltProc)(HDc dest, int x, int y, int width, int height,
                                             HDc source, int sourceX, int sourceY, int sourceWidth,
                                             int sourceHeight, uint32_t key);

// ---- Library loading (KERNEL32) --------------------------------------------------------------
HModule LoadLibraryA(const char* name);
void* GetProcAddress(HModule module, const char* name);
int FreeLibrary(HModule module);
int GetVersionExA(OsVersionInfoRec* info);

// ---- Cursor, keys, window geometry (USER32) -------------------------------------------------
int16_t GetAsyncKeyState(int virtualKey);  // negative while the key is down
int16_t GetKeyState(int virtualKey);
int GetSystemMetrics(int index);
int GetCursorPos(PointRec* where);              // screen coordinates
int GetWindowRect(HWnd window, RectRec* rect);  // screen coordinates
int ScreenToClient(HWnd window, PointRec* where);

// ---- Surfaces for drawing off screen and in tests --------------------------------------------
// A memory device context holding a 32-bit colour bitmap of the given size, cleared to
// black; deleteRasterDC deletes both.
HDc createRasterDC(int width, int height);
void deleteRasterDC(HDc dc);

}  // namespace platform
