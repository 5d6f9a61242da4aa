#pragma once
// Window, message, clock and OLE calls of the platform behind one interface. On Windows each
// function is the USER32 / KERNEL32 / ole32 call named in its comment; on Linux the X11 layer
// (graphics/platform/x11) answers them, and tests use the test double in tests/platform_double.

#include <cstddef>
#include <cstdint>

#include "graphics/platform/Gdi.h"

class DropTarget;

namespace platform {

using WindowHandle = platform::HWnd;  // HWND
using DeviceContext = platform::HDc;  // HDC

// Cursor position and window rectangles come from Gdi.h (GetCursorPos, GetWindowRect).

// The window messages the frame handles.
enum WindowMessage : uint32_t {
    kMessageDestroy = 0x0002,
    kMessagePaint = 0x000F,
    kMessageLeftButtonDown = 0x0201,
    kMessageRightButtonDown = 0x0204,
    kMessageMiddleButtonDown = 0x0207,
    // Private messages (the WM_APP range, never sent by Windows itself): the X11 layer turns
    // keys and wheel turns over the window into these, because on Linux they reach the
    // plug-in's window and not the host.
    // kMessageKey answers 1 when a view used the key, 0 when it goes on to the host.
    kMessageKey = 0x8001,    // wParam: VstKeyCode virt | modifier << 8; lParam: its character
    kMessageWheel = 0x8002,  // wParam: signed notches, +1 away from the user; lParam: unused
    // Answers 1 when a view holds the key focus (a control clicked before): only then is a key
    // offered to the panel at all, the others belong to the host.
    kMessageKeyFocus = 0x8003,
    // The pointer's moves over the window and the left button's release, where a drag follows
    // them (dragsFollowMessages); lParam: the point as for a button, x and y signed 16-bit.
    kMessageMouseMove = 0x8004,
    kMessageLeftButtonUp = 0x8005,
};

// A rectangle as the window calls report it (left, top, right, bottom).
struct WindowRect {
    int32_t left, top, right, bottom;
};

using WindowProcedure = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam);

// RegisterClassA: CS_GLOBALCLASS, no extra bytes, arrow cursor, button-face brush. The result
// is not examined by the caller.
void registerWindowClass(const char* name, WindowProcedure procedure, void* instance);
// UnregisterClassA.
void unregisterWindowClass(const char* name, void* instance);
// CreateWindowExA of a visible child window named "Window" at (0, 0) of the parent; null on
// failure.
WindowHandle createChildWindow(const char* className, int32_t width, int32_t height,
                               WindowHandle parent, void* instance);
// DestroyWindow.
void destroyWindow(WindowHandle window);
// SetWindowLongPtrA / GetWindowLongPtrA with GWLP_USERDATA.
void setWindowUserData(WindowHandle window, void* data);
void* getWindowUserData(WindowHandle window);
// DefWindowProcA.
intptr_t defaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam);
// GetUpdateRect without erasing: true when the update region is not empty.
bool getUpdateRect(WindowHandle window, WindowRect* rect);

// BeginPaint / EndPaint; the paint record is kept here between the two calls.
struct PaintRecord {
    DeviceContext dc;
    WindowRect paintRect;  // rcPaint
    alignas(8) unsigned char storage[128];
};
DeviceContext beginPaint(WindowHandle window, PaintRecord* paint);
void endPaint(WindowHandle window, PaintRecord* paint);
// GetDC / ReleaseDC.
DeviceContext getWindowDC(WindowHandle window);
void releaseWindowDC(WindowHandle window, DeviceContext dc);

// PeekMessageA for WM_PAINT only (any window of the calling thread, PM_REMOVE) and, when one
// was taken, DispatchMessageA. Answers whether a message was dispatched.
bool dispatchOnePaintMessage();

// Handles the window's pending native events (X11: expose, buttons, wheel, keys, destruction),
// called from the editor's idle. While a button message of the window is being handled (a
// control tracking a drag) only painting is done. A no-op on Windows, where the host's message
// loop delivers the messages, and in the test double.
void dispatchWindowEvents(WindowHandle window);

// True where a control's drag follows the window's kMessageMouseMove and kMessageLeftButtonUp
// across the host's idle calls (X11), so that the host's thread is never held; false where the
// control polls the mouse in a loop inside the button-down message (Windows, the test double).
bool dragsFollowMessages(WindowHandle window);

// The window's id in the native window system, for a host that embeds it by id (an LV2 UI's
// widget): the XID on X11, the HWND's value on Windows; 0 for no live window.
uintptr_t nativeWindowId(WindowHandle window);

// True where a panel without a parent window cannot be shown at all, so that opening one is
// refused (X11, the test double); false where a frame may live on without a window until the
// host gives one (Windows).
bool panelNeedsParent();

// GetTickCount and Sleep.
uint32_t getTickCount();
void sleepMilliseconds(uint32_t milliseconds);

// OleInitialize(nullptr) / OleUninitialize.
void oleInitialize();
void oleUninitialize();

// RegisterDragDrop (which takes its own reference on the target): true on success.
// RevokeDragDrop releases that reference.
bool registerDragDrop(WindowHandle window, DropTarget* target);
void revokeDragDrop(WindowHandle window);

}  // namespace platform
