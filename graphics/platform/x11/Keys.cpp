// Keys over the panel. The panel's window selects key events, so the server gives it every key
// pressed or released while the pointer is over it, keys that belong to the host (its
// transport's space bar, the notes of a computer keyboard) included. The panel keeps only a
// press that its focused control uses (the arrow keys of a knob clicked before); every other
// press and every release is sent on to the host's window, as it would have arrived there had
// the panel not been in the way.

#include <X11/keysym.h>

#include "graphics/platform/x11/X11Window.h"

namespace platform {
namespace x11 {
namespace {

// VstKeyCode's virtual keys for the keys the controls know.
uint8_t virtualKeyOf(uint32_t symbol) {
    switch (symbol) {
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

// VstKeyCode's modifier bits.
uint8_t modifiersOf(uint16_t state) {
    uint8_t modifiers = 0;
    if (state & XCB_MOD_MASK_SHIFT) modifiers |= 1;    // MODIFIER_SHIFT
    if (state & XCB_MOD_MASK_1) modifiers |= 2;        // MODIFIER_ALTERNATE
    if (state & XCB_MOD_MASK_CONTROL) modifiers |= 4;  // MODIFIER_COMMAND, Control here
    return modifiers;
}

// The character a Latin-1 key symbol types (Control turns letters into control codes, as
// XLookupString does); 0 for keys that type none.
int32_t characterOf(uint32_t symbol, uint16_t state) {
    const bool printable = (symbol >= 0x20 && symbol <= 0x7E) || (symbol >= 0xA0 && symbol <= 0xFF);
    if (!printable) return 0;
    if ((state & XCB_MOD_MASK_CONTROL) && symbol >= '@' && symbol <= '~') return symbol & 0x1F;
    return int32_t(symbol);
}

// True when the focused control of the panel used the press.
bool panelTakes(WindowRecord* w, const xcb_key_press_event_t& e) {
    const uint32_t symbol = keySymbolOf(w->keyboard, e.detail, e.state);
    const uint8_t virt = virtualKeyOf(symbol);
    const int32_t character = virt ? 0 : characterOf(symbol, e.state);
    if (!virt && !character) return false;
    if (!deliver(w, kMessageKeyFocus, 0, 0)) return false;
    const uintptr_t packed = virt | (uintptr_t(modifiersOf(e.state)) << 8);
    return deliver(w, kMessageKey, packed, character) != 0;
}

// The event as the host's window would have had it: sent to that window (or, where the host
// listens higher up, to the nearest ancestor that selects it), the panel as the child window.
void passToHost(WindowRecord* w, const xcb_key_press_event_t& e) {
    if (!w->live || w->goneOnServer || !stillConnected(w)) return;
    const XcbCalls& x = *loadedXcb();
    xcb_key_press_event_t event = e;
    const bool press = (e.response_type & 0x7F) == XCB_KEY_PRESS;
    event.response_type = press ? XCB_KEY_PRESS : XCB_KEY_RELEASE;
    event.event = w->parent;
    event.child = w->id;  // the panel sits at (0, 0) of its parent: the position is the same
    static_assert(sizeof event == 32, "an event sent on is 32 bytes");
    x.xcb_send_event(w->connection, 1, w->parent,
                     press ? XCB_EVENT_MASK_KEY_PRESS : XCB_EVENT_MASK_KEY_RELEASE,
                     reinterpret_cast<const char*>(&event));
    x.xcb_flush(w->connection);
}

}  // namespace

uint32_t keySymbolOf(const KeyboardMap& map, uint8_t keycode, uint16_t state) {
    if (map.symbolsPerKey <= 0 || keycode < map.firstKeycode) return 0;
    const size_t at = size_t(keycode - map.firstKeycode) * size_t(map.symbolsPerKey);
    if (at >= map.symbols.size()) return 0;
    const uint32_t plain = map.symbols[at];
    const uint32_t shifted =
        map.symbolsPerKey > 1 && at + 1 < map.symbols.size() ? map.symbols[at + 1] : 0;
    const bool shift = (state & XCB_MOD_MASK_SHIFT) != 0;
    const bool lock = (state & XCB_MOD_MASK_LOCK) != 0;
    const bool letter = (plain >= 'a' && plain <= 'z');
    // Caps Lock shifts letters only; a key without a second symbol types its first one.
    const bool second = letter ? shift != lock : shift;
    if (second && shifted) return shifted;
    if (second && letter) return plain - 'a' + 'A';
    return plain;
}

void handleKey(WindowRecord* w, const xcb_key_press_event_t& e) {
    if ((e.response_type & 0x7F) == XCB_KEY_PRESS && panelTakes(w, e)) return;
    passToHost(w, e);
}

}  // namespace x11
}  // namespace platform
