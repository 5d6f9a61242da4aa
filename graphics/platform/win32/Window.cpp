// The window, message, clock and OLE calls on Windows: thin forwards to USER32, KERNEL32 and
// ole32.

#include <windows.h>
#include <ole2.h>

#include "graphics/platform/Window.h"

namespace platform {
namespace {

static_assert(sizeof(PAINTSTRUCT) <= sizeof(PaintRecord::storage), "paint record too small");

// The procedure the class was registered with; the class's real WNDPROC forwards to it.
WindowProcedure classProcedure = nullptr;

LRESULT CALLBACK forwardingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (classProcedure)
        return static_cast<LRESULT>(
            classProcedure(reinterpret_cast<WindowHandle>(window), message, wParam, lParam));
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND hwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

}  // namespace

void registerWindowClass(const char* name, WindowProcedure procedure, void* instance) {
    classProcedure = procedure;
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.style = CS_GLOBALCLASS;
    windowClass.lpfnWndProc = forwardingProcedure;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = static_cast<HINSTANCE>(instance);
    windowClass.hIcon = nullptr;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
}

void unregisterWindowClass(const char* name, void* instance) {
    UnregisterClassA(name, static_cast<HINSTANCE>(instance));
}

WindowHandle createChildWindow(const char* className, int32_t width, int32_t height,
                               WindowHandle parent, void* instance) {
    HWND window =
        CreateWindowExA(0, className, "Window", WS_CHILD | WS_VISIBLE, 0, 0, width, height,
                        hwnd(parent), nullptr, static_cast<HINSTANCE>(instance), nullptr);
    return reinterpret_cast<WindowHandle>(window);
}

void destroyWindow(WindowHandle window) { DestroyWindow(hwnd(window)); }

void setWindowUserData(WindowHandle window, void* data) {
    SetWindowLongPtrA(hwnd(window), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
}

void* getWindowUserData(WindowHandle window) {
    return reinterpret_cast<void*>(GetWindowLongPtrA(hwnd(window), GWLP_USERDATA));
}

intptr_t defaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam) {
    return static_cast<intptr_t>(DefWindowProcA(hwnd(window), message, wParam, lParam));
}

bool getUpdateRect(WindowHandle window, WindowRect* rect) {
    RECT r{0, 0, 0, 0};
    BOOL notEmpty = GetUpdateRect(hwnd(window), &r, FALSE);
    if (rect) *rect = WindowRect{r.left, r.top, r.right, r.bottom};
    return notEmpty != FALSE;
}

DeviceContext beginPaint(WindowHandle window, PaintRecord* paint) {
    auto* ps = reinterpret_cast<PAINTSTRUCT*>(paint->storage);
    HDC dc = BeginPaint(hwnd(window), ps);
    paint->dc = reinterpret_cast<DeviceContext>(dc);
    paint->paintRect =
        WindowRect{ps->rcPaint.left, ps->rcPaint.top, ps->rcPaint.right, ps->rcPaint.bottom};
    return paint->dc;
}

void endPaint(WindowHandle window, PaintRecord* paint) {
    EndPaint(hwnd(window), reinterpret_cast<PAINTSTRUCT*>(paint->storage));
}

DeviceContext getWindowDC(WindowHandle window) {
    return reinterpret_cast<DeviceContext>(GetDC(hwnd(window)));
}

void releaseWindowDC(WindowHandle window, DeviceContext dc) {
    ReleaseDC(hwnd(window), reinterpret_cast<HDC>(dc));
}

bool dispatchOnePaintMessage() {
    MSG message;
    if (!PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) return false;
    DispatchMessageA(&message);
    return true;
}

void dispatchWindowEvents(WindowHandle) {}

// The modal drag loop of the button-down message stays: Windows keeps pumping the host's
// messages inside it.
bool dragsFollowMessages(WindowHandle) { return false; }

uintptr_t nativeWindowId(WindowHandle window) { return reinterpret_cast<uintptr_t>(window); }

bool panelNeedsParent() { return false; }

uint32_t getTickCount() { return GetTickCount(); }

void sleepMilliseconds(uint32_t milliseconds) { Sleep(milliseconds); }

void oleInitialize() { OleInitialize(nullptr); }

void oleUninitialize() { OleUninitialize(); }

bool registerDragDrop(WindowHandle window, DropTarget* target) {
    // The drop target's slots are laid out as IDropTarget's.
    return RegisterDragDrop(hwnd(window), reinterpret_cast<IDropTarget*>(target)) == S_OK;
}

void revokeDragDrop(WindowHandle window) { RevokeDragDrop(hwnd(window)); }

}  // namespace platform
