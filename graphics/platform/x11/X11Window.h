#pragma once
// Internals shared by the X11 window layer's files: the record behind a window handle, the
// connections in use and the state of the button press being handled.
//
// Each panel talks to the X server through a connection of its own made with XCB, not Xlib.
// An XCB connection answers every failed request to the caller that made it (or as an event in
// its own queue) and reports a broken connection as a flag: nothing goes through a handler
// shared by the process. Xlib's error and I/O error handlers are process-wide: swapping them
// around each call races with a host thread that traps its own errors the same way, and Xlib's
// default handlers end the process. With XCB the host's handlers are never touched, a panel's
// error can never reach them, and a connection the server dropped closes the panel instead of
// the host.

#include <xcb/xcb.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "graphics/platform/Window.h"

namespace platform {
namespace x11 {

// XCB is opened when the first editor window is made, not when the host loads the plug-in: a
// host that never shows the editor (an offline render, a plug-in scan) does not pay for loading
// it, and every XCB call of this layer goes through this table.
#define OSTRAQUELLE_XCB_CALLS(CALL)               \
    CALL(xcb_connect)                             \
    CALL(xcb_connection_has_error)                \
    CALL(xcb_create_gc)                           \
    CALL(xcb_create_window_checked)               \
    CALL(xcb_depth_next)                          \
    CALL(xcb_depth_visuals_iterator)              \
    CALL(xcb_destroy_window)                      \
    CALL(xcb_disconnect)                          \
    CALL(xcb_flush)                               \
    CALL(xcb_free_gc)                             \
    CALL(xcb_generate_id)                         \
    CALL(xcb_get_geometry)                        \
    CALL(xcb_get_geometry_reply)                  \
    CALL(xcb_get_input_focus)                     \
    CALL(xcb_get_input_focus_reply)               \
    CALL(xcb_get_keyboard_mapping)                \
    CALL(xcb_get_keyboard_mapping_keysyms)        \
    CALL(xcb_get_keyboard_mapping_keysyms_length) \
    CALL(xcb_get_keyboard_mapping_reply)          \
    CALL(xcb_get_maximum_request_length)          \
    CALL(xcb_get_setup)                           \
    CALL(xcb_get_window_attributes)               \
    CALL(xcb_get_window_attributes_reply)         \
    CALL(xcb_map_window)                          \
    CALL(xcb_poll_for_event)                      \
    CALL(xcb_put_image)                           \
    CALL(xcb_query_pointer)                       \
    CALL(xcb_query_pointer_reply)                 \
    CALL(xcb_request_check)                       \
    CALL(xcb_screen_allowed_depths_iterator)      \
    CALL(xcb_screen_next)                         \
    CALL(xcb_send_event)                          \
    CALL(xcb_setup_pixmap_formats)                \
    CALL(xcb_setup_pixmap_formats_length)         \
    CALL(xcb_setup_roots_iterator)                \
    CALL(xcb_translate_coordinates)               \
    CALL(xcb_translate_coordinates_reply)         \
    CALL(xcb_visualtype_next)

struct XcbCalls {
#define OSTRAQUELLE_XCB_MEMBER(name) decltype(&::name) name = nullptr;
    OSTRAQUELLE_XCB_CALLS(OSTRAQUELLE_XCB_MEMBER)
#undef OSTRAQUELLE_XCB_MEMBER
};

// Opens XCB on the first call; null when it cannot be loaded (the editor then stays closed).
const XcbCalls* xcb();
// The table once xcb() has opened XCB, else null; loads nothing. Every connection of this
// layer was made through it, so code that has a connection may use it.
const XcbCalls* loadedXcb();

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

// How the server wants the pixels of the panel's visual in a ZPixmap image.
struct PixelFormat {
    uint32_t redMask = 0, greenMask = 0, blueMask = 0;
    uint8_t depth = 0;
    uint8_t bitsPerPixel = 0;  // 16 or 32 for the TrueColor depths the panel accepts
    uint8_t scanlinePad = 32;
    bool mostSignificantFirst = false;  // the server's image byte order
};

// The screen the host's window is on: where coordinates and pointer queries are taken.
struct ScreenOfParent {
    xcb_window_t root = 0;
    int width = 0;
    int height = 0;
};

// Key symbols by key code, as the server maps them (two per key are read: plain, Shift).
struct KeyboardMap {
    uint8_t firstKeycode = 0;
    int symbolsPerKey = 0;
    std::vector<uint32_t> symbols;
};

// One editor window: its own connection to the X server, the X window (a child of the host's
// window), and the raster surface the frame draws into, shown with PutImage.
struct WindowRecord : WndTag {
    xcb_connection_t* connection = nullptr;
    xcb_window_t id = 0;
    xcb_window_t parent = 0;
    xcb_gcontext_t gc = 0;
    ScreenOfParent screen;
    PixelFormat format;
    KeyboardMap keyboard;
    size_t maximumRequestBytes = 0;
    std::deque<xcb_generic_event_t*> queued;  // read from the connection, not yet handled
    int width = 0;
    int height = 0;
    HDc surface = nullptr;
    WindowProcedure procedure = nullptr;
    void* userData = nullptr;
    bool live = true;
    bool goneOnServer = false;  // the host destroyed its window (and ours), or the link broke
    int dispatchDepth = 0;      // events of this window being handled (the record stays)
    int clickDepth = 0;         // a button message being handled (a control may track a drag)
    bool updatePending = false;
    WindowRect update{0, 0, 0, 0};
};

// Records of windows that exist, and of destroyed ones still inside an event dispatch.
std::vector<WindowRecord*>& records();
// The record behind a handle, if it is a live window of this layer.
WindowRecord* liveRecord(HWnd handle);
// A live window whose connection still works, for the pointer and screen queries; null without.
WindowRecord* anyConnectedWindow();
// False, and the window marked gone with its frame told (WM_DESTROY), once the server has
// dropped the window's connection (the window killed, the server gone).
bool stillConnected(WindowRecord* w);

// The window's procedure with a message, as DispatchMessageA would call it.
intptr_t deliver(WindowRecord* w, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The button press being handled: controls poll the pointer state inside the press, and a short
// click may already be over on the server. Until the handler first waits (sleeps or pumps
// paint messages), the state queries answer the buttons and modifiers of the press itself.
struct PressLatch {
    bool active = false;
    unsigned int state = 0;  // X modifier and button mask at the press, its own button added
};
PressLatch& pressLatch();

// ---- Connection.cpp: what a new panel learns from the server -------------------------------

// The parent's screen, visual and pixel format; false when the parent is no usable window. A
// host may pass a window it created but has not yet flushed to the server: the parent is asked
// for again until `waitMilliseconds` have passed.
bool describeParent(const XcbCalls& x, xcb_connection_t* c, xcb_window_t parent,
                    uint32_t waitMilliseconds, ScreenOfParent* screen, xcb_visualid_t* visual,
                    xcb_colormap_t* colormap, PixelFormat* format);
KeyboardMap readKeyboardMap(const XcbCalls& x, xcb_connection_t* c);
// A request and its answer: everything sent before it has been handled by the server.
void roundTrip(const XcbCalls& x, xcb_connection_t* c);

// ---- Keys.cpp: key presses and releases --------------------------------------------------

// The key symbol of a key code with the modifiers of an event (Shift picks the second symbol).
uint32_t keySymbolOf(const KeyboardMap& map, uint8_t keycode, uint16_t state);
// Offers a key press to the panel, which takes it only when its focused control uses it;
// every other press and every release goes on to the host's window.
void handleKey(WindowRecord* w, const xcb_key_press_event_t& e);

// Installs FreeType's glyphs into the raster when a font file is found (once per process).
void installFontGlyphs();

}  // namespace x11
}  // namespace platform
