#pragma once
// Internals shared by the X11 window layer's files: the record behind a window handle, the
// connections in use, the scoped X error handler and the state of the button press being
// handled.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/platform/Window.h"

namespace platform {
namespace x11 {

// Xlib is opened when the first editor window is made, not when the host loads the plug-in: a
// host that never shows the editor (an offline render, a plug-in scan) does not pay for loading
// it, and every Xlib call of this layer goes through this table.
#define OSTRAQUELLE_XLIB_CALLS(CALL) \
    CALL(XCheckTypedWindowEvent)     \
    CALL(XCloseDisplay)              \
    CALL(XCreateGC)                  \
    CALL(XCreateImage)               \
    CALL(XCreateWindow)              \
    CALL(XDestroyWindow)             \
    CALL(XFreeGC)                    \
    CALL(XGetWindowAttributes)       \
    CALL(XLookupString)              \
    CALL(XMapWindow)                 \
    CALL(XNextEvent)                 \
    CALL(XOpenDisplay)               \
    CALL(XPending)                   \
    CALL(XPutImage)                  \
    CALL(XQueryPointer)              \
    CALL(XSetErrorHandler)           \
    CALL(XSync)                      \
    CALL(XTranslateCoordinates)

struct XlibCalls {
#define OSTRAQUELLE_XLIB_MEMBER(name) decltype(&::name) name = nullptr;
    OSTRAQUELLE_XLIB_CALLS(OSTRAQUELLE_XLIB_MEMBER)
#undef OSTRAQUELLE_XLIB_MEMBER
};

// Opens Xlib on the first call; null when it cannot be loaded (the editor then stays closed).
const XlibCalls* xlib();
// The table once xlib() has opened Xlib, else null; loads nothing. Every connection of this
// layer was made through it, so code that has a connection may use it.
const XlibCalls* loadedXlib();

// Opens a shared library by its name and finds the named functions in it; false, with the
// library closed again, when it or one of them is missing.
class RuntimeLibrary {
public:
    explicit RuntimeLibrary(const char* name);
    ~RuntimeLibrary();
    RuntimeLibrary(const RuntimeLibrary&) = delete;
    RuntimeLibrary& operator=(const RuntimeLibrary&) = delete;
    bool loaded() const { return handle != nullptr; }
    template <typename Function>
    void bind(const char* name, Function& function) {
        void* symbol = find(name);
        static_assert(sizeof(symbol) == sizeof(function), "function and object pointers differ");
        std::memcpy(&function, &symbol, sizeof(function));
    }

private:
    void* find(const char* name);  // null, and the library closed, when missing
    void* handle = nullptr;
};

// One editor window: its own connection to the X server, the X window (a child of the host's
// window), and the raster surface the frame draws into, shown with XPutImage.
struct WindowRecord : WndTag {
    Display* display = nullptr;
    ::Window id = 0;
    GC gc = nullptr;
    XImage* image = nullptr;  // staging area for XPutImage, as large as the window
    int width = 0;
    int height = 0;
    HDc surface = nullptr;
    WindowProcedure procedure = nullptr;
    void* userData = nullptr;
    bool live = true;
    bool goneOnServer = false;  // the host destroyed its window, and ours with it
    int dispatchDepth = 0;      // events of this window being handled (the record stays)
    int clickDepth = 0;         // a button message being handled (a control may track a drag)
    bool updatePending = false;
    WindowRect update{0, 0, 0, 0};
};

// Records of windows that exist, and of destroyed ones still inside an event dispatch.
std::vector<WindowRecord*>& records();
// The record behind a handle, if it is a live window of this layer.
WindowRecord* liveRecord(HWnd handle);
// A connection of a live window, for the pointer and key queries; null without one.
Display* anyDisplay();

// While one exists, X errors on this layer's connections are ignored and counted (a window of
// the host may be gone at any time); errors on other connections go to the handler the host
// installed. Nested guards are allowed.
class ErrorGuard {
public:
    ErrorGuard();
    ~ErrorGuard();
    ErrorGuard(const ErrorGuard&) = delete;
    ErrorGuard& operator=(const ErrorGuard&) = delete;
    static unsigned long errorCount();
};

// The button press being handled: controls poll the pointer state inside the press, and a short
// click may already be over on the server. Until the handler first waits (sleeps or pumps
// paint messages), the state queries answer the buttons and modifiers of the press itself.
struct PressLatch {
    bool active = false;
    unsigned int state = 0;  // X modifier and button mask at the press, its own button added
};
PressLatch& pressLatch();

// Installs FreeType's glyphs into the raster when a font file is found (once per process).
void installFontGlyphs();

}  // namespace x11
}  // namespace platform
