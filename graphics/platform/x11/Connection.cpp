// What a new panel's connection learns from the X server before it makes its window: the
// screen and visual of the host's window, how that visual's pixels are laid out, and the
// keyboard mapping. Replies are freed here; a failed request answers an error that is freed
// too, so that nothing is left for the event queue.

#include <cstdlib>
#include <ctime>

#include "graphics/platform/x11/X11Window.h"

namespace platform {
namespace x11 {
namespace {

uint64_t nowMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
}

void pause(uint32_t milliseconds) {
    timespec rest{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000L};
    while (nanosleep(&rest, &rest) != 0) {}
}

// The parent's geometry and attributes in one round trip; false (errors freed) when it is no
// window, or not yet one.
bool askParent(const XcbCalls& x, xcb_connection_t* c, xcb_window_t parent,
               xcb_get_geometry_reply_t** geometry,
               xcb_get_window_attributes_reply_t** attributes) {
    const xcb_get_geometry_cookie_t g = x.xcb_get_geometry(c, parent);
    const xcb_get_window_attributes_cookie_t a = x.xcb_get_window_attributes(c, parent);
    xcb_generic_error_t* error = nullptr;
    *geometry = x.xcb_get_geometry_reply(c, g, &error);
    std::free(error);
    error = nullptr;
    *attributes = x.xcb_get_window_attributes_reply(c, a, &error);
    std::free(error);
    if (*geometry && *attributes) return true;
    std::free(*geometry);
    std::free(*attributes);
    *geometry = nullptr;
    *attributes = nullptr;
    return false;
}

const xcb_screen_t* screenWithRoot(const XcbCalls& x, xcb_connection_t* c, xcb_window_t root) {
    for (xcb_screen_iterator_t s = x.xcb_setup_roots_iterator(x.xcb_get_setup(c)); s.rem;
         x.xcb_screen_next(&s))
        if (s.data->root == root) return s.data;
    return nullptr;
}

const xcb_visualtype_t* visualOn(const XcbCalls& x, const xcb_screen_t* screen, xcb_visualid_t id) {
    for (xcb_depth_iterator_t d = x.xcb_screen_allowed_depths_iterator(screen); d.rem;
         x.xcb_depth_next(&d))
        for (xcb_visualtype_iterator_t v = x.xcb_depth_visuals_iterator(d.data); v.rem;
             x.xcb_visualtype_next(&v))
            if (v.data->visual_id == id) return v.data;
    return nullptr;
}

bool pixelLayout(const XcbCalls& x, xcb_connection_t* c, uint8_t depth, PixelFormat* format) {
    const xcb_setup_t* setup = x.xcb_get_setup(c);
    const xcb_format_t* formats = x.xcb_setup_pixmap_formats(setup);
    const int count = x.xcb_setup_pixmap_formats_length(setup);
    for (int i = 0; i < count; i++) {
        if (formats[i].depth != depth) continue;
        if (formats[i].bits_per_pixel != 16 && formats[i].bits_per_pixel != 32) return false;
        format->depth = depth;
        format->bitsPerPixel = formats[i].bits_per_pixel;
        format->scanlinePad = formats[i].scanline_pad;
        format->mostSignificantFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
        return true;
    }
    return false;
}

}  // namespace

bool describeParent(const XcbCalls& x, xcb_connection_t* c, xcb_window_t parent,
                    uint32_t waitMilliseconds, ScreenOfParent* screen, xcb_visualid_t* visual,
                    xcb_colormap_t* colormap, PixelFormat* format) {
    xcb_get_geometry_reply_t* geometry = nullptr;
    xcb_get_window_attributes_reply_t* attributes = nullptr;
    const uint64_t start = nowMilliseconds();
    while (!askParent(x, c, parent, &geometry, &attributes)) {
        if (x.xcb_connection_has_error(c) || nowMilliseconds() - start >= waitMilliseconds)
            return false;
        pause(10);
    }
    bool usable = false;
    if (const xcb_screen_t* s = screenWithRoot(x, c, geometry->root)) {
        const xcb_visualtype_t* type = visualOn(x, s, attributes->visual);
        // The window shares the parent's visual, so that it can live inside it.
        if (type && type->_class == XCB_VISUAL_CLASS_TRUE_COLOR && geometry->depth >= 15 &&
            pixelLayout(x, c, geometry->depth, format)) {
            format->redMask = type->red_mask;
            format->greenMask = type->green_mask;
            format->blueMask = type->blue_mask;
            screen->root = s->root;
            screen->width = s->width_in_pixels;
            screen->height = s->height_in_pixels;
            *visual = attributes->visual;
            *colormap = attributes->colormap;
            usable = true;
        }
    }
    std::free(geometry);
    std::free(attributes);
    return usable;
}

KeyboardMap readKeyboardMap(const XcbCalls& x, xcb_connection_t* c) {
    KeyboardMap map;
    const xcb_setup_t* setup = x.xcb_get_setup(c);
    const uint8_t first = setup->min_keycode;
    const int count = int(setup->max_keycode) - int(first) + 1;
    if (count <= 0) return map;
    xcb_generic_error_t* error = nullptr;
    xcb_get_keyboard_mapping_reply_t* reply = x.xcb_get_keyboard_mapping_reply(
        c, x.xcb_get_keyboard_mapping(c, first, uint8_t(count)), &error);
    std::free(error);
    if (!reply) return map;
    const xcb_keysym_t* symbols = x.xcb_get_keyboard_mapping_keysyms(reply);
    const int length = x.xcb_get_keyboard_mapping_keysyms_length(reply);
    map.firstKeycode = first;
    map.symbolsPerKey = reply->keysyms_per_keycode;
    if (length > 0) map.symbols.assign(symbols, symbols + length);
    std::free(reply);
    return map;
}

void roundTrip(const XcbCalls& x, xcb_connection_t* c) {
    xcb_generic_error_t* error = nullptr;
    std::free(x.xcb_get_input_focus_reply(c, x.xcb_get_input_focus(c), &error));
    std::free(error);
}

}  // namespace x11
}  // namespace platform
