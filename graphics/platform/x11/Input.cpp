// Cursor, key, window-geometry and library calls on Linux. The pointer and the modifier keys
// are read from the X server with XQueryPointer on an editor window's connection, so a control
// polling them during a drag sees the user's hand as it is now (GetAsyncKeyState). The one
// "library" the frame asks for, msimg32.dll with TransparentBlt, is the raster's own
// colour-keyed blit.

#include <X11/Xlib.h>

#include <cctype>
#include <cstring>
#include <string>

#include "graphics/platform/raster/RasterState.h"
#include "graphics/platform/x11/X11Window.h"

namespace platform {
namespace {

struct Library : ModuleTag {};
Library transparentBltLibrary;

bool isTransparentBltLibrary(const char* name) {
    if (!name) return false;
    std::string lower(name);
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    return lower == "msimg32.dll";
}

// The pointer on the screen of some editor's connection: root position and the X state mask.
bool queryPointer(int* rootX, int* rootY, unsigned int* mask) {
    Display* display = x11::anyDisplay();
    if (!display) return false;
    x11::ErrorGuard guard;
    const x11::XlibCalls& x = *x11::loadedXlib();
    ::Window root = 0, child = 0;
    int windowX = 0, windowY = 0;
    return x.XQueryPointer(display, DefaultRootWindow(display), &root, &child, rootX, rootY,
                           &windowX, &windowY, mask) != 0;
}

}  // namespace

HModule LoadLibraryA(const char* name) {
    return isTransparentBltLibrary(name) ? &transparentBltLibrary : nullptr;
}

void* GetProcAddress(HModule module, const char* name) {
    if (module != &transparentBltLibrary || !name || std::strcmp(name, "TransparentBlt") != 0)
        return nullptr;
    return reinterpret_cast<void*>(&raster::transparentBlt);
}

int FreeLibrary(HModule module) { return module == &transparentBltLibrary ? 1 : 0; }

int GetVersionExA(OsVersionInfoRec* info) {
    if (!info || info->dwOSVersionInfoSize < 148) return 0;
    const uint32_t size = info->dwOSVersionInfoSize;
    std::memset(info, 0, size < sizeof *info ? size : sizeof *info);
    info->dwOSVersionInfoSize = size;
    info->dwMajorVersion = 5;
    info->dwMinorVersion = 1;
    info->dwPlatformId = kVerPlatformWin32Nt;  // the TransparentBlt path is taken
    return 1;
}

int16_t GetAsyncKeyState(int virtualKey) {
    unsigned int mask = 0;
    const x11::PressLatch& latch = x11::pressLatch();
    if (latch.active) {
        mask = latch.state;
    } else {
        int x = 0, y = 0;
        if (!queryPointer(&x, &y, &mask)) return 0;
    }
    // The server maps physical buttons to logical ones (a left-handed mapping included), so
    // button 1 is always the primary one, as GetSystemMetrics(SM_SWAPBUTTON) = 0 says.
    unsigned int bit = 0;
    switch (virtualKey) {
        case kVkLButton: bit = Button1Mask; break;
        case kVkMButton: bit = Button2Mask; break;
        case kVkRButton: bit = Button3Mask; break;
        case kVkShift: bit = ShiftMask; break;
        case kVkControl: bit = ControlMask; break;
        case kVkMenu: bit = Mod1Mask; break;
        default: return 0;
    }
    return (mask & bit) ? int16_t(-32768) : 0;
}

int16_t GetKeyState(int virtualKey) { return GetAsyncKeyState(virtualKey); }

int GetSystemMetrics(int index) {
    if (index == kSmSwapButton) return 0;
    Display* display = x11::anyDisplay();
    if (!display) return 0;
    if (index == 0) return DisplayWidth(display, DefaultScreen(display));   // SM_CXSCREEN
    if (index == 1) return DisplayHeight(display, DefaultScreen(display));  // SM_CYSCREEN
    return 0;
}

int GetCursorPos(PointRec* where) {
    if (!where) return 0;
    int x = 0, y = 0;
    unsigned int mask = 0;
    if (!queryPointer(&x, &y, &mask)) return 0;
    *where = PointRec{x, y};
    return 1;
}

int GetWindowRect(HWnd window, RectRec* rect) {
    x11::WindowRecord* w = x11::liveRecord(window);
    if (!w || !rect || w->goneOnServer) return 0;
    x11::ErrorGuard guard;
    int x = 0, y = 0;
    ::Window child = 0;
    if (!x11::loadedXlib()->XTranslateCoordinates(w->display, w->id, DefaultRootWindow(w->display),
                                                  0, 0, &x, &y, &child))
        return 0;
    *rect = RectRec{x, y, x + w->width, y + w->height};
    return 1;
}

int ScreenToClient(HWnd window, PointRec* where) {
    RectRec bounds;
    if (!where || !GetWindowRect(window, &bounds)) return 0;
    where->x -= bounds.left;
    where->y -= bounds.top;
    return 1;
}

}  // namespace platform
