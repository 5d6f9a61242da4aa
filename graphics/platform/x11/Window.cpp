// The window, message, clock and OLE calls on Linux, through Xlib. Every editor window has a
// connection of its own to the X server (XOpenDisplay, honouring DISPLAY), made when the frame
// creates the window inside the host's window (an X window id) and closed with the window, so
// instances and open/close cycles share nothing on the server. The frame draws into the
// software raster; what it drew is copied to the window with XPutImage when a paint ends and
// when a device context is released (after each idle pass that drew). Events are handled when
// the editor idles (the host's effEditIdle); no thread is created.

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>

#include "graphics/platform/Gdi.h"
#include "graphics/platform/raster/RasterState.h"
#include "graphics/platform/x11/X11Window.h"

namespace platform {
namespace x11 {
namespace {

std::map<std::string, WindowProcedure>& classes() {
    static std::map<std::string, WindowProcedure> registered;
    return registered;
}

// ---- Scoped error handling -------------------------------------------------------------------

int guardDepth = 0;
bool handlerInstalled = false;
XErrorHandler hostHandler = nullptr;
unsigned long ignoredErrors = 0;
Display* connectionBeingMade = nullptr;

bool isOurs(Display* display) {
    if (display && display == connectionBeingMade) return true;
    for (WindowRecord* r : records())
        if (r->display == display) return true;
    return false;
}

int onError(Display* display, XErrorEvent* error) {
    if (isOurs(display)) {
        ignoredErrors++;
        return 0;
    }
    return hostHandler ? hostHandler(display, error) : 0;
}

// ---- Pixels to the screen --------------------------------------------------------------------

// Shift and width of a visual's colour mask, to place 8-bit components into pixel values.
struct Channel {
    int shift = 0;
    int bits = 0;
};

Channel channelOf(unsigned long mask) {
    Channel c;
    if (!mask) return c;
    while (!(mask & 1)) {
        mask >>= 1;
        c.shift++;
    }
    while (mask & 1) {
        mask >>= 1;
        c.bits++;
    }
    return c;
}

unsigned long place(uint32_t component, const Channel& c) {
    if (c.bits <= 0) return 0;
    const unsigned long value =
        c.bits >= 8 ? (component << (c.bits - 8)) : (component >> (8 - c.bits));
    return value << c.shift;
}

// Copies the rectangle of the raster surface to the window.
void show(WindowRecord* w, int left, int top, int right, int bottom) {
    if (!w->live || w->goneOnServer || !w->image) return;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, w->width);
    bottom = std::min(bottom, w->height);
    if (right <= left || bottom <= top) return;
    const raster::DeviceContext* dc = raster::context(w->surface);
    if (!dc || !dc->bitmap || dc->bitmap->width < w->width || dc->bitmap->height < w->height)
        return;
    XImage* image = w->image;
    const Channel red = channelOf(image->red_mask);
    const Channel green = channelOf(image->green_mask);
    const Channel blue = channelOf(image->blue_mask);
    // Bits of the pixel that are no colour (the alpha of a 32-bit visual): opaque.
    const unsigned long depthMask = image->depth >= 32 ? 0xFFFFFFFFul : ((1ul << image->depth) - 1);
    const unsigned long rest =
        depthMask & ~(image->red_mask | image->green_mask | image->blue_mask);
    for (int y = top; y < bottom; y++) {
        const ColorRef* row = &dc->bitmap->pixels[size_t(y) * dc->bitmap->width];
        for (int x = left; x < right; x++) {
            const ColorRef c = row[x];
            XPutPixel(image, x, y,
                      place(c & 0xFF, red) | place((c >> 8) & 0xFF, green) |
                          place((c >> 16) & 0xFF, blue) | rest);
        }
    }
    ErrorGuard guard;
    const XlibCalls& x = *loadedXlib();
    x.XPutImage(w->display, w->id, w->gc, image, left, top, left, top, unsigned(right - left),
                unsigned(bottom - top));
    // Shown when this returns (a host or test reading the screen next sees it), and an error
    // for a window the host has just destroyed arrives while the guard is in place.
    x.XSync(w->display, False);
}

void addToUpdate(WindowRecord* w, int left, int top, int right, int bottom) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, w->width);
    bottom = std::min(bottom, w->height);
    if (right <= left || bottom <= top) return;
    if (!w->updatePending) {
        w->update = WindowRect{left, top, right, bottom};
        w->updatePending = true;
        return;
    }
    w->update.left = std::min(w->update.left, left);
    w->update.top = std::min(w->update.top, top);
    w->update.right = std::max(w->update.right, right);
    w->update.bottom = std::max(w->update.bottom, bottom);
}

// ---- Messages --------------------------------------------------------------------------------

intptr_t deliver(WindowRecord* w, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (w->procedure) return w->procedure(w, message, wParam, lParam);
    return defaultWindowProcedure(w, message, wParam, lParam);
}

intptr_t pointParam(int x, int y) {
    return static_cast<intptr_t>((static_cast<uint32_t>(y & 0xFFFF) << 16) |
                                 static_cast<uint32_t>(x & 0xFFFF));
}

// VstKeyCode's virtual keys and modifier bits for the keys the controls know.
uint8_t virtualKeyOf(KeySym sym) {
    switch (sym) {
        case XK_BackSpace: return 1;
        case XK_Tab: return 2;
        case XK_Return:
        case XK_KP_Enter: return 4;
        case XK_Escape: return 6;
        case XK_space: return 7;
        case XK_End: return 9;
        case XK_Home: return 10;
        case XK_Left:
        case XK_KP_Left: return 11;
        case XK_Up:
        case XK_KP_Up: return 12;
        case XK_Right:
        case XK_KP_Right: return 13;
        case XK_Down:
        case XK_KP_Down: return 14;
        case XK_Page_Up: return 15;
        case XK_Page_Down: return 16;
        case XK_Delete: return 22;
        default: return 0;
    }
}

uint8_t modifiersOf(unsigned int state) {
    uint8_t modifiers = 0;
    if (state & ShiftMask) modifiers |= 1;    // MODIFIER_SHIFT
    if (state & Mod1Mask) modifiers |= 2;     // MODIFIER_ALTERNATE
    if (state & ControlMask) modifiers |= 4;  // MODIFIER_COMMAND, Control on Windows and Linux
    return modifiers;
}

void buttonPress(WindowRecord* w, const XButtonEvent& e) {
    uint32_t message = 0;
    unsigned int buttonMask = 0;
    switch (e.button) {
        case Button1:
            message = kMessageLeftButtonDown;
            buttonMask = Button1Mask;
            break;
        case Button2:
            message = kMessageMiddleButtonDown;
            buttonMask = Button2Mask;
            break;
        case Button3:
            message = kMessageRightButtonDown;
            buttonMask = Button3Mask;
            break;
        case Button4:
        case Button5:
            // The wheel: button 4 turns away from the user (up), as a positive WM_MOUSEWHEEL.
            deliver(w, kMessageWheel, static_cast<uintptr_t>(e.button == Button4 ? 1 : -1), 0);
            return;
        default: return;  // horizontal wheel and extra buttons
    }
    PressLatch& latch = pressLatch();
    latch.active = true;
    latch.state = e.state | buttonMask;
    w->clickDepth++;
    deliver(w, message, 0, pointParam(e.x, e.y));
    w->clickDepth--;
    latch.active = false;
}

void keyPress(WindowRecord* w, XKeyEvent& e) {
    char text[8] = {};
    KeySym sym = 0;
    const int length = loadedXlib()->XLookupString(&e, text, sizeof text, &sym, nullptr);
    const uint8_t virt = virtualKeyOf(sym);
    const int32_t character = (length == 1 && virt == 0) ? static_cast<unsigned char>(text[0]) : 0;
    if (!virt && !character) return;
    const uintptr_t packed = virt | (uintptr_t(modifiersOf(e.state)) << 8);
    deliver(w, kMessageKey, packed, character);
}

void serverDestroyed(WindowRecord* w) {
    if (w->goneOnServer) return;
    w->goneOnServer = true;
    deliver(w, kMessageDestroy, 0, 0);
}

void handle(WindowRecord* w, XEvent& e) {
    switch (e.type) {
        case Expose:
            addToUpdate(w, e.xexpose.x, e.xexpose.y, e.xexpose.x + e.xexpose.width,
                        e.xexpose.y + e.xexpose.height);
            break;
        case ButtonPress:
            if (e.xbutton.window == w->id) buttonPress(w, e.xbutton);
            break;
        case KeyPress:
            if (e.xkey.window == w->id) keyPress(w, e.xkey);
            break;
        case DestroyNotify:
            if (e.xdestroywindow.window == w->id) serverDestroyed(w);
            break;
        default: break;  // releases, motion, crossing, mapping: the controls poll what they need
    }
}

// Takes the window's expose events (and drops its motion events, which nobody reads) while
// leaving clicks and keys queued: what a control tracking a drag may handle.
void collectPaints(WindowRecord* w) {
    const XlibCalls& x = *loadedXlib();
    XEvent e;
    while (w->live && x.XCheckTypedWindowEvent(w->display, w->id, Expose, &e)) handle(w, e);
    while (w->live && x.XCheckTypedWindowEvent(w->display, w->id, MotionNotify, &e)) {}
    while (w->live && x.XCheckTypedWindowEvent(w->display, w->id, DestroyNotify, &e)) handle(w, e);
}

void releaseServerResources(WindowRecord* w) {
    ErrorGuard guard;
    const XlibCalls& x = *loadedXlib();
    if (w->image) {
        XDestroyImage(w->image);  // frees the pixel buffer too
        w->image = nullptr;
    }
    if (w->display) {
        if (w->gc) x.XFreeGC(w->display, w->gc);
        if (w->id && !w->goneOnServer) x.XDestroyWindow(w->display, w->id);
        // Errors of the last requests arrive before the connection is gone; the record is
        // still listed, so the guard recognises them.
        x.XCloseDisplay(w->display);
    }
    w->gc = nullptr;
    w->id = 0;
    w->display = nullptr;
}

// Frees a destroyed record once no event dispatch is using it.
void forgetIfDone(WindowRecord* w) {
    if (w->live || w->dispatchDepth > 0) return;
    auto& list = records();
    list.erase(std::remove(list.begin(), list.end(), w), list.end());
    delete w;
}

}  // namespace

std::vector<WindowRecord*>& records() {
    static std::vector<WindowRecord*> list;
    return list;
}

WindowRecord* liveRecord(HWnd handle) {
    for (WindowRecord* r : records())
        if (r == handle && r->live) return r;
    return nullptr;
}

Display* anyDisplay() {
    for (auto it = records().rbegin(); it != records().rend(); ++it)
        if ((*it)->live && (*it)->display) return (*it)->display;
    return nullptr;
}

// Before Xlib is opened there is no connection to guard; a guard made before and still in place
// when the first connection is made installs the handler then.
ErrorGuard::ErrorGuard() {
    guardDepth++;
    if (!handlerInstalled && loadedXlib()) {
        hostHandler = loadedXlib()->XSetErrorHandler(&onError);
        handlerInstalled = true;
    }
}

ErrorGuard::~ErrorGuard() {
    if (--guardDepth == 0 && handlerInstalled) {
        loadedXlib()->XSetErrorHandler(hostHandler);
        hostHandler = nullptr;
        handlerInstalled = false;
    }
}

unsigned long ErrorGuard::errorCount() { return ignoredErrors; }

PressLatch& pressLatch() {
    static PressLatch latch;
    return latch;
}

}  // namespace x11

using x11::WindowRecord;

// ---- Window.h --------------------------------------------------------------------------------

void registerWindowClass(const char* name, WindowProcedure procedure, void*) {
    if (name && !x11::classes().count(name)) x11::classes()[name] = procedure;
}

void unregisterWindowClass(const char* name, void*) {
    if (name) x11::classes().erase(name);
}

WindowHandle createChildWindow(const char* className, int32_t width, int32_t height,
                               WindowHandle parent, void*) {
    const ::Window parentId = static_cast<::Window>(reinterpret_cast<uintptr_t>(parent));
    if (!className || !x11::classes().count(className) || !parentId || width <= 0 || height <= 0)
        return nullptr;
    const x11::XlibCalls* xlib = x11::xlib();
    if (!xlib) return nullptr;  // no Xlib on this machine: the editor stays closed
    const x11::XlibCalls& x = *xlib;
    Display* display = x.XOpenDisplay(nullptr);
    if (!display) return nullptr;  // no X server: the editor stays closed

    x11::connectionBeingMade = display;
    bool made = false;
    WindowRecord* w = nullptr;
    {
        x11::ErrorGuard guard;
        const unsigned long errorsBefore = x11::ErrorGuard::errorCount();
        XWindowAttributes parentAttributes;
        // The window shares the parent's visual, so that it can live inside it.
        if (x.XGetWindowAttributes(display, parentId, &parentAttributes) &&
            parentAttributes.visual && parentAttributes.visual->c_class == TrueColor &&
            parentAttributes.depth >= 15) {
            XSetWindowAttributes attributes{};
            attributes.background_pixmap = None;  // the panel covers the window: no erase
            attributes.border_pixel = 0;
            attributes.colormap = parentAttributes.colormap;
            attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask |
                                    PointerMotionMask | KeyPressMask | KeyReleaseMask |
                                    StructureNotifyMask;
            const ::Window id = x.XCreateWindow(
                display, parentId, 0, 0, unsigned(width), unsigned(height), 0,
                parentAttributes.depth, InputOutput, parentAttributes.visual,
                CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask, &attributes);
            x.XSync(display, False);
            if (id && x11::ErrorGuard::errorCount() == errorsBefore) {
                w = new x11::WindowRecord;
                w->display = display;
                w->id = id;
                w->width = width;
                w->height = height;
                w->procedure = x11::classes()[className];
                w->gc = x.XCreateGC(display, id, 0, nullptr);
                w->image = x.XCreateImage(display, parentAttributes.visual,
                                          unsigned(parentAttributes.depth), ZPixmap, 0, nullptr,
                                          unsigned(width), unsigned(height), 32, 0);
                if (w->image)
                    w->image->data = static_cast<char*>(
                        std::calloc(size_t(w->image->bytes_per_line) * size_t(height), 1));
                w->surface = createRasterDC(width, height);
                x11::records().push_back(w);
                if (w->gc && w->image && w->image->data && w->surface) {
                    x.XMapWindow(display, id);
                    x.XSync(display, False);
                    made = x11::ErrorGuard::errorCount() == errorsBefore;
                }
            }
        }
    }
    if (!made) {
        // Errors still queued for this connection (a parent that is no window) must not reach
        // the host's handler while it closes.
        if (w) {
            destroyWindow(w);
        } else {
            x11::ErrorGuard guard;
            x.XCloseDisplay(display);
        }
        x11::connectionBeingMade = nullptr;
        return nullptr;
    }
    x11::connectionBeingMade = nullptr;
    x11::installFontGlyphs();
    return w;
}

void destroyWindow(WindowHandle window) {
    WindowRecord* w = x11::liveRecord(window);
    if (!w) return;
    x11::deliver(w, kMessageDestroy, 0, 0);
    if (!w->live) return;  // destroyed by its own WM_DESTROY handler
    w->live = false;
    w->updatePending = false;
    x11::releaseServerResources(w);
    if (w->surface) {
        deleteRasterDC(w->surface);
        w->surface = nullptr;
    }
    x11::forgetIfDone(w);
}

void setWindowUserData(WindowHandle window, void* data) {
    if (WindowRecord* w = x11::liveRecord(window)) w->userData = data;
}

void* getWindowUserData(WindowHandle window) {
    for (WindowRecord* r : x11::records())
        if (r == window) return r->userData;
    return nullptr;
}

intptr_t defaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t, intptr_t) {
    // A paint nobody handled shows what the surface holds and validates the window.
    if (message == kMessagePaint)
        if (WindowRecord* w = x11::liveRecord(window)) {
            const WindowRect r = w->update;
            w->updatePending = false;
            x11::show(w, r.left, r.top, r.right, r.bottom);
        }
    return 0;
}

bool getUpdateRect(WindowHandle window, WindowRect* rect) {
    WindowRecord* w = x11::liveRecord(window);
    if (!w || !w->updatePending) {
        if (rect) *rect = WindowRect{0, 0, 0, 0};
        return false;
    }
    if (rect) *rect = w->update;
    return true;
}

DeviceContext beginPaint(WindowHandle window, PaintRecord* paint) {
    if (!paint) return nullptr;
    paint->dc = nullptr;
    paint->paintRect = WindowRect{0, 0, 0, 0};
    WindowRecord* w = x11::liveRecord(window);
    if (!w) return nullptr;
    paint->dc = w->surface;
    if (w->updatePending) paint->paintRect = w->update;
    w->updatePending = false;
    return paint->dc;
}

void endPaint(WindowHandle window, PaintRecord* paint) {
    WindowRecord* w = x11::liveRecord(window);
    if (!w || !paint || !paint->dc) return;
    const WindowRect& r = paint->paintRect;
    x11::show(w, r.left, r.top, r.right, r.bottom);
}

DeviceContext getWindowDC(WindowHandle window) {
    WindowRecord* w = x11::liveRecord(window);
    return w ? w->surface : nullptr;
}

void releaseWindowDC(WindowHandle window, DeviceContext dc) {
    // What was drawn through the context goes to the screen now.
    WindowRecord* w = x11::liveRecord(window);
    if (w && dc == w->surface) x11::show(w, 0, 0, w->width, w->height);
}

bool dispatchOnePaintMessage() {
    // The press being handled is now being waited on: from here the pointer's real state counts.
    x11::pressLatch().active = false;
    x11::ErrorGuard guard;
    const std::vector<WindowRecord*> windows = x11::records();
    for (WindowRecord* w : windows)
        if (w->live) x11::collectPaints(w);
    for (WindowRecord* w : windows) {
        if (std::find(x11::records().begin(), x11::records().end(), w) == x11::records().end())
            continue;
        if (w->live && w->updatePending) {
            w->dispatchDepth++;
            x11::deliver(w, kMessagePaint, 0, 0);
            w->dispatchDepth--;
            x11::forgetIfDone(w);
            return true;
        }
    }
    return false;
}

void dispatchWindowEvents(WindowHandle window) {
    WindowRecord* w = x11::liveRecord(window);
    if (!w) return;
    // Inside a click (a control tracking the mouse) or inside another dispatch: paint only, so
    // that no second click starts while the first is handled.
    const bool paintsOnly = w->clickDepth > 0 || w->dispatchDepth > 0;
    w->dispatchDepth++;
    {
        x11::ErrorGuard guard;
        if (paintsOnly) {
            x11::collectPaints(w);
        } else {
            const x11::XlibCalls& x = *x11::loadedXlib();
            XEvent e;
            while (w->live && !w->goneOnServer && x.XPending(w->display) > 0) {
                x.XNextEvent(w->display, &e);
                x11::handle(w, e);
            }
        }
        if (w->live && w->updatePending) x11::deliver(w, kMessagePaint, 0, 0);
    }
    w->dispatchDepth--;
    x11::forgetIfDone(w);
}

uint32_t getTickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u);
}

void sleepMilliseconds(uint32_t milliseconds) {
    x11::pressLatch().active = false;
    timespec pause{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000L};
    while (nanosleep(&pause, &pause) != 0) {}
}

// No OLE on Linux: nothing to initialise.
void oleInitialize() {}
void oleUninitialize() {}

// Drops reach the panel only on Windows; the frame then has no drop target.
bool registerDragDrop(WindowHandle, DropTarget*) { return false; }
void revokeDragDrop(WindowHandle) {}

}  // namespace platform
