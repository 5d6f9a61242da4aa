// The window, message, clock and OLE calls on Linux, through XCB. Every editor window has a
// connection of its own to the X server (honouring DISPLAY), made when the frame creates the
// window inside the host's window (an X window id) and closed with the window, so instances
// and open/close cycles share nothing on the server, and nothing of the panel's goes through
// Xlib's process-wide handlers (X11Window.h says why). The frame draws into the software
// raster; what it drew is copied to the window with PutImage when a paint ends and when a
// device context is released (after each idle pass that drew). Events are handled when the
// editor idles (the host's effEditIdle); no thread is created.

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

// How long a parent the host has made but not yet flushed to the server is waited for.
const uint32_t kParentWaitMilliseconds = 500;

std::map<std::string, WindowProcedure>& classes() {
    static std::map<std::string, WindowProcedure> registered;
    return registered;
}

uint8_t eventType(const xcb_generic_event_t* e) { return e->response_type & 0x7F; }

// ---- Pixels to the screen --------------------------------------------------------------------

// Shift and width of a visual's colour mask, to place 8-bit components into pixel values.
struct Channel {
    int shift = 0;
    int bits = 0;
};

Channel channelOf(uint32_t mask) {
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

uint32_t place(uint32_t component, const Channel& c) {
    if (c.bits <= 0) return 0;
    const uint32_t value = c.bits >= 8 ? (component << (c.bits - 8)) : (component >> (8 - c.bits));
    return value << c.shift;
}

// Bytes of one image row of `width` pixels, padded as the server wants.
size_t rowBytes(const PixelFormat& f, int width) {
    const size_t pad = f.scanlinePad ? f.scanlinePad : 32;
    return (size_t(width) * f.bitsPerPixel + pad - 1) / pad * pad / 8;
}

void putPixel(unsigned char* at, uint32_t value, const PixelFormat& f) {
    const int bytes = f.bitsPerPixel / 8;
    for (int i = 0; i < bytes; i++) {
        const int shift = f.mostSignificantFirst ? 8 * (bytes - 1 - i) : 8 * i;
        at[i] = static_cast<unsigned char>(value >> shift);
    }
}

// Copies the rectangle of the raster surface to the window, in requests the server accepts.
void show(WindowRecord* w, int left, int top, int right, int bottom) {
    if (!w->live || w->goneOnServer || !stillConnected(w)) return;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, w->width);
    bottom = std::min(bottom, w->height);
    if (right <= left || bottom <= top) return;
    const raster::DeviceContext* dc = raster::context(w->surface);
    if (!dc || !dc->bitmap || dc->bitmap->width < w->width || dc->bitmap->height < w->height)
        return;
    const PixelFormat& f = w->format;
    const Channel red = channelOf(f.redMask);
    const Channel green = channelOf(f.greenMask);
    const Channel blue = channelOf(f.blueMask);
    // Bits of the pixel that are no colour (the alpha of a 32-bit visual): opaque.
    const uint32_t depthMask = f.depth >= 32 ? 0xFFFFFFFFu : ((1u << f.depth) - 1);
    const uint32_t rest = depthMask & ~(f.redMask | f.greenMask | f.blueMask);
    const int width = right - left;
    const size_t stride = rowBytes(f, width);
    const size_t header = 24;  // the PutImage request before its data
    const size_t room = w->maximumRequestBytes > header ? w->maximumRequestBytes - header : 0;
    const int rowsPerRequest = int(std::max<size_t>(1, room / stride));
    std::vector<unsigned char> data;
    const XcbCalls& x = *loadedXcb();
    for (int first = top; first < bottom; first += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, bottom - first);
        data.assign(stride * size_t(rows), 0);
        for (int y = first; y < first + rows; y++) {
            const ColorRef* row = &dc->bitmap->pixels[size_t(y) * dc->bitmap->width];
            unsigned char* out = &data[size_t(y - first) * stride];
            for (int column = left; column < right; column++) {
                const ColorRef c = row[column];
                putPixel(out + size_t(column - left) * (f.bitsPerPixel / 8),
                         place(c & 0xFF, red) | place((c >> 8) & 0xFF, green) |
                             place((c >> 16) & 0xFF, blue) | rest,
                         f);
            }
        }
        x.xcb_put_image(w->connection, XCB_IMAGE_FORMAT_Z_PIXMAP, w->id, w->gc, uint16_t(width),
                        uint16_t(rows), int16_t(left), int16_t(first), 0, f.depth,
                        uint32_t(data.size()), data.data());
    }
    // Shown when this returns (a host or test reading the screen next sees it).
    roundTrip(x, w->connection);
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

intptr_t pointParam(int x, int y) {
    return static_cast<intptr_t>((static_cast<uint32_t>(y & 0xFFFF) << 16) |
                                 static_cast<uint32_t>(x & 0xFFFF));
}

void buttonPress(WindowRecord* w, const xcb_button_press_event_t& e) {
    uint32_t message = 0;
    unsigned int buttonMask = 0;
    switch (e.detail) {
        case 1:
            message = kMessageLeftButtonDown;
            buttonMask = XCB_BUTTON_MASK_1;
            break;
        case 2:
            message = kMessageMiddleButtonDown;
            buttonMask = XCB_BUTTON_MASK_2;
            break;
        case 3:
            message = kMessageRightButtonDown;
            buttonMask = XCB_BUTTON_MASK_3;
            break;
        case 4:
        case 5:
            // The wheel: button 4 turns away from the user (up), as a positive WM_MOUSEWHEEL.
            deliver(w, kMessageWheel, static_cast<uintptr_t>(e.detail == 4 ? 1 : -1), 0);
            return;
        default: return;  // horizontal wheel and extra buttons
    }
    PressLatch& latch = pressLatch();
    latch.active = true;
    latch.state = e.state | buttonMask;
    w->clickDepth++;
    deliver(w, message, 0, pointParam(e.event_x, e.event_y));
    w->clickDepth--;
    latch.active = false;
}

void serverDestroyed(WindowRecord* w) {
    if (w->goneOnServer) return;
    w->goneOnServer = true;
    deliver(w, kMessageDestroy, 0, 0);
}

void handle(WindowRecord* w, const xcb_generic_event_t* e) {
    switch (eventType(e)) {
        case XCB_EXPOSE: {
            const auto& expose = *reinterpret_cast<const xcb_expose_event_t*>(e);
            addToUpdate(w, expose.x, expose.y, expose.x + expose.width, expose.y + expose.height);
            break;
        }
        case XCB_BUTTON_PRESS: {
            const auto& press = *reinterpret_cast<const xcb_button_press_event_t*>(e);
            if (press.event == w->id) buttonPress(w, press);
            break;
        }
        case XCB_KEY_PRESS:
        case XCB_KEY_RELEASE: {
            const auto& key = *reinterpret_cast<const xcb_key_press_event_t*>(e);
            if (key.event == w->id) handleKey(w, key);
            break;
        }
        case XCB_MOTION_NOTIFY: {
            const auto& motion = *reinterpret_cast<const xcb_motion_notify_event_t*>(e);
            if (motion.event == w->id)
                deliver(w, kMessageMouseMove, 0, pointParam(motion.event_x, motion.event_y));
            break;
        }
        case XCB_BUTTON_RELEASE: {
            const auto& release = *reinterpret_cast<const xcb_button_release_event_t*>(e);
            if (release.event == w->id && release.detail == 1)
                deliver(w, kMessageLeftButtonUp, 0, pointParam(release.event_x, release.event_y));
            break;
        }
        case XCB_DESTROY_NOTIFY:
            if (reinterpret_cast<const xcb_destroy_notify_event_t*>(e)->window == w->id)
                serverDestroyed(w);
            break;
        default: break;  // other buttons' releases, crossing, mapping
    }
}

// Moves what the server has sent into the window's queue. Errors are dropped: a window of the
// host may be gone at any time, and the requests that must succeed are checked where made.
void readEvents(WindowRecord* w) {
    if (!w->connection || !stillConnected(w)) return;
    const XcbCalls& x = *loadedXcb();
    while (xcb_generic_event_t* e = x.xcb_poll_for_event(w->connection)) {
        if (e->response_type == 0)
            std::free(e);
        else
            w->queued.push_back(e);
    }
}

// Takes the window's expose and destroy events (and drops its motion events, which nobody
// reads) while leaving clicks and keys queued: what a control tracking a drag may handle.
void collectPaints(WindowRecord* w) {
    readEvents(w);
    std::vector<xcb_generic_event_t*> taken;
    for (auto it = w->queued.begin(); it != w->queued.end();) {
        const uint8_t type = eventType(*it);
        if (type == XCB_EXPOSE || type == XCB_DESTROY_NOTIFY || type == XCB_MOTION_NOTIFY) {
            taken.push_back(*it);
            it = w->queued.erase(it);
        } else {
            ++it;
        }
    }
    for (xcb_generic_event_t* e : taken) {
        if (w->live && eventType(e) != XCB_MOTION_NOTIFY) handle(w, e);
        std::free(e);
    }
}

void releaseServerResources(WindowRecord* w) {
    for (xcb_generic_event_t* e : w->queued) std::free(e);
    w->queued.clear();
    if (w->connection) {
        const XcbCalls& x = *loadedXcb();
        // A broken connection takes no requests; closing it is all that is left.
        if (!x.xcb_connection_has_error(w->connection)) {
            if (w->gc) x.xcb_free_gc(w->connection, w->gc);
            if (w->id && !w->goneOnServer) x.xcb_destroy_window(w->connection, w->id);
            // Done on the server when this returns: the host may look at its window next.
            roundTrip(x, w->connection);
        }
        x.xcb_disconnect(w->connection);
    }
    w->gc = 0;
    w->id = 0;
    w->connection = nullptr;
}

// Frees a destroyed record once no event dispatch is using it.
void forgetIfDone(WindowRecord* w) {
    if (w->live || w->dispatchDepth > 0) return;
    auto& list = records();
    list.erase(std::remove(list.begin(), list.end(), w), list.end());
    delete w;
}

// The panel's window inside the parent, mapped and checked; 0 when the server refused it.
xcb_window_t makeWindow(const XcbCalls& x, xcb_connection_t* c, xcb_window_t parent, int width,
                        int height, xcb_visualid_t visual, xcb_colormap_t colormap, uint8_t depth) {
    const xcb_window_t id = x.xcb_generate_id(c);
    const uint32_t events = XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS |
                            XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION |
                            XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE |
                            XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    // In the order of the mask bits: no background (the panel covers the window, no erase),
    // no border colour, the events, the parent's colour map.
    const uint32_t values[] = {XCB_BACK_PIXMAP_NONE, 0, events, colormap};
    xcb_generic_error_t* error = x.xcb_request_check(
        c, x.xcb_create_window_checked(
               c, depth, id, parent, 0, 0, uint16_t(width), uint16_t(height), 0,
               XCB_WINDOW_CLASS_INPUT_OUTPUT, visual,
               XCB_CW_BACK_PIXMAP | XCB_CW_BORDER_PIXEL | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP,
               values));
    if (error) {
        std::free(error);
        return 0;
    }
    return id;
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

WindowRecord* anyConnectedWindow() {
    for (auto it = records().rbegin(); it != records().rend(); ++it)
        if ((*it)->live && (*it)->connection && stillConnected(*it)) return *it;
    return nullptr;
}

bool stillConnected(WindowRecord* w) {
    if (!w->connection) return false;
    if (!loadedXcb()->xcb_connection_has_error(w->connection)) return true;
    // The server dropped the connection (the window was killed, or the server went away):
    // the frame is told as when the host destroys its window, and closes.
    if (w->live) serverDestroyed(w);
    return false;
}

intptr_t deliver(WindowRecord* w, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (w->procedure) return w->procedure(w, message, wParam, lParam);
    return defaultWindowProcedure(w, message, wParam, lParam);
}

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
    const uintptr_t parentValue = reinterpret_cast<uintptr_t>(parent);
    // X window ids are 29-bit numbers; anything else is no window of the host's.
    if (!className || !x11::classes().count(className) || !parentValue ||
        parentValue > 0x1FFFFFFFu || width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF)
        return nullptr;
    const xcb_window_t parentId = static_cast<xcb_window_t>(parentValue);
    const x11::XcbCalls* calls = x11::xcb();
    if (!calls) return nullptr;  // no XCB on this machine: the editor stays closed
    const x11::XcbCalls& x = *calls;
    xcb_connection_t* c = x.xcb_connect(nullptr, nullptr);
    if (x.xcb_connection_has_error(c)) {  // no X server: the editor stays closed
        x.xcb_disconnect(c);
        return nullptr;
    }

    x11::ScreenOfParent screen;
    x11::PixelFormat format;
    xcb_visualid_t visual = 0;
    xcb_colormap_t colormap = 0;
    xcb_window_t id = 0;
    if (x11::describeParent(x, c, parentId, x11::kParentWaitMilliseconds, &screen, &visual,
                            &colormap, &format))
        id = x11::makeWindow(x, c, parentId, width, height, visual, colormap, format.depth);
    if (!id) {
        x.xcb_disconnect(c);
        return nullptr;
    }

    WindowRecord* w = new x11::WindowRecord;
    w->connection = c;
    w->id = id;
    w->parent = parentId;
    w->screen = screen;
    w->format = format;
    w->width = width;
    w->height = height;
    w->procedure = x11::classes()[className];
    w->keyboard = x11::readKeyboardMap(x, c);
    w->maximumRequestBytes = size_t(x.xcb_get_maximum_request_length(c)) * 4;
    w->gc = x.xcb_generate_id(c);
    x.xcb_create_gc(c, w->gc, id, 0, nullptr);
    w->surface = createRasterDC(width, height);
    x11::records().push_back(w);
    bool made = w->surface != nullptr;
    if (made) {
        x.xcb_map_window(c, id);
        x11::roundTrip(x, c);
        // Any error so far (the graphics context, the mapping: the parent went meanwhile)
        // refuses the window; other events stay queued for the first idle.
        while (xcb_generic_event_t* e = x.xcb_poll_for_event(c)) {
            if (e->response_type == 0) {
                made = false;
                std::free(e);
            } else {
                w->queued.push_back(e);
            }
        }
        made = made && !x.xcb_connection_has_error(c);
    }
    if (!made) {
        destroyWindow(w);
        return nullptr;
    }
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
    if (paintsOnly) {
        x11::collectPaints(w);
    } else {
        x11::readEvents(w);
        while (w->live && !w->goneOnServer && !w->queued.empty()) {
            xcb_generic_event_t* e = w->queued.front();
            w->queued.pop_front();
            x11::handle(w, e);
            std::free(e);
            if (w->queued.empty()) x11::readEvents(w);
        }
    }
    if (w->live && w->updatePending) x11::deliver(w, kMessagePaint, 0, 0);
    w->dispatchDepth--;
    x11::forgetIfDone(w);
}

// A drag follows the window's motion and release events across idle calls: the host's thread
// is never held inside a button press.
bool dragsFollowMessages(WindowHandle window) { return x11::liveRecord(window) != nullptr; }

uintptr_t nativeWindowId(WindowHandle window) {
    const WindowRecord* w = x11::liveRecord(window);
    return w ? w->id : 0;
}

bool panelNeedsParent() { return true; }

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
