#pragma once
// Internals shared by the X11 window layer's files: the record behind a window handle, the
// connections in use, the scoped X error handler and the state of the button press being
// handled.

#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "graphics/platform/Window.h"

namespace platform {
namespace x11 {

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
