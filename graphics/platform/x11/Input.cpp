// Cursor, key, window-geometry and library calls on Linux. The pointer and the modifier keys
// are read from the X server with QueryPointer on an editor window's connection, so a control
// polling them during a drag sees the user's hand as it is now (GetAsyncKeyState). Positions
// are taken on the screen of the host's window, which need not be the display's first one. The one
// "library" the frame asks for, msimg32.dll with TransparentBlt, is the raster's own
// colour-keyed blit.

#include <cctype>
#include <cstdlib>
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

// The pointer as seen from the screen of some editor's parent: the X state mask (buttons and
// modifiers, valid wherever the pointer is) and, when the pointer is on that screen, its
// position there. False without an editor whose connection works.
bool queryPointer(int* rootX, int* rootY, unsigned int* mask, bool* onScreen) {
    x11::WindowRecord* w = x11::anyConnectedWindow();
    if (!w) return false;
    const x11::XcbCalls& x = *x11::loadedXcb();
    xcb_generic_error_t* error = nullptr;
    xcb_query_pointer_reply_t* reply = x.xcb_query_pointer_reply(
        w->connection, x.xcb_query_pointer(w->connection, w->screen.root), &error);
    std::free(error);
    if (!reply) {
        x11::stillConnected(w);  // a broken connection closes the panel
        return false;
    }
    *rootX = reply->root_x;
    *rootY = reply->root_y;
    *mask = reply->mask;
    *onScreen = reply->same_screen != 0;
    std::free(reply);
    return true;
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
        bool onScreen = false;
        if (!queryPointer(&x, &y, &mask, &onScreen)) return 0;
    }
    // The server maps physical buttons to logical ones (a left-handed mapping included), so
    // button 1 is always the primary one, as GetSystemMetrics(SM_SWAPBUTTON) = 0 says.
    unsigned int bit = 0;
    switch (virtualKey) {
        case kVkLButton: bit = XCB_BUTTON_MASK_1; break;
        case kVkMButton: bit = XCB_BUTTON_MASK_2; break;
        case kVkRButton: bit = XCB_BUTTON_MASK_3; break;
        case kVkShift: bit = XCB_MOD_MASK_SHIFT; break;
        case kVkControl: bit = XCB_MOD_MASK_CONTROL; break;
        case kVkMenu: bit = XCB_MOD_MASK_1; break;
        default: return 0;
    }
    return (mask & bit) ? int16_t(-32768) : 0;
}

int16_t GetKeyState(int virtualKey) { return GetAsyncKeyState(virtualKey); }

int GetSystemMetrics(int index) {
    if (index == kSmSwapButton) return 0;
    const x11::WindowRecord* w = x11::anyConnectedWindow();
    if (!w) return 0;
    if (index == 0) return w->screen.width;   // SM_CXSCREEN
    if (index == 1) return w->screen.height;  // SM_CYSCREEN
    return 0;
}

int GetCursorPos(PointRec* where) {
    if (!where) return 0;
    int x = 0, y = 0;
    unsigned int mask = 0;
    bool onScreen = false;
    // On another screen the pointer has no position on this one.
    if (!queryPointer(&x, &y, &mask, &onScreen) || !onScreen) return 0;
    *where = PointRec{x, y};
    return 1;
}

int GetWindowRect(HWnd window, RectRec* rect) {
    x11::WindowRecord* w = x11::liveRecord(window);
    if (!w || !rect || w->goneOnServer || !x11::stillConnected(w)) return 0;
    const x11::XcbCalls& x = *x11::loadedXcb();
    xcb_generic_error_t* error = nullptr;
    xcb_translate_coordinates_reply_t* reply = x.xcb_translate_coordinates_reply(
        w->connection, x.xcb_translate_coordinates(w->connection, w->id, w->screen.root, 0, 0),
        &error);
    std::free(error);
    if (!reply) return 0;
    const int left = reply->dst_x, top = reply->dst_y;
    std::free(reply);
    *rect = RectRec{left, top, left + w->width, top + w->height};
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
