#pragma once
// A test double of the window layer: windows, messages, clock, OLE, drops, cursor, keys and
// library loading (graphics/platform/Window.h, DragDrop.h and the input calls of Gdi.h), all
// in memory and under the tests' control. Tests build host windows, post messages, run the
// clock, press keys and drive drags through these; the code under test only sees the common
// interface. Drawing goes to the real software raster (graphics/platform/raster).

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/platform/DragDrop.h"
#include "graphics/platform/Window.h"

class DropTarget;

namespace platform {
namespace testdouble {

// ---- Mouse and keys: what GetAsyncKeyState/GetKeyState/GetCursorPos report -------------------
void setKeyDown(int virtualKey, bool down);
void releaseAllKeys();
void setCursorPos(int x, int y);
void setSwapButton(bool swapped);  // GetSystemMetrics(kSmSwapButton)

// The window part answers GetWindowRect/ScreenToClient for its windows through this hook.
// Answers the hook it replaces.
typedef bool (*WindowRectHook)(HWnd window, RectRec* screenRect);
WindowRectHook setWindowRectHook(WindowRectHook hook);

// ---- Library loading -------------------------------------------------------------------------
// Which library names LoadLibraryA finds (msimg32.dll by default, with TransparentBlt) and the
// platform id GetVersionExA reports (2, NT, by default).
void setLibraryAvailable(const char* name, bool available);
void setPlatformId(uint32_t platformId);
int loadedLibraryCount();  // LoadLibraryA calls not yet matched by FreeLibrary

// ---- Windows ---------------------------------------------------------------------------------
// Whether drags follow the window's pointer messages (as on X11) instead of polling the mouse
// inside the button-down message (as on Windows, the default); answers the previous setting.
bool setDragsFollowMessages(bool follow);
bool dragsFollowMessagesFlag();
// A top-level window of the host at screen position (x, y); it has no window procedure.
WindowHandle createHostWindow(int32_t x, int32_t y, int32_t width, int32_t height);
// DestroyWindow as the host does it: WM_DESTROY reaches the window's children too.
void destroyHostWindow(WindowHandle window);
bool isLiveWindow(WindowHandle window);
// The children created inside a window, oldest first (destroyed ones included).
std::vector<WindowHandle> childWindows(WindowHandle parent);
struct WindowInfo {
    std::string className;
    std::string windowName;
    uint32_t style;
    int32_t x, y, width, height;  // position relative to the parent
    WindowHandle parent;
    void* instance;
};
WindowInfo windowInfo(WindowHandle window);
// The device context that draws into the window's pixels (read them with platform::GetPixel).
DeviceContext windowSurface(WindowHandle window);
// GetDC calls not yet matched by ReleaseDC, and BeginPaint calls not matched by EndPaint.
int32_t outstandingWindowDCs();
int32_t outstandingPaints();

// ---- Window classes --------------------------------------------------------------------------
bool isClassRegistered(const std::string& name);
int32_t registerClassCalls();
int32_t unregisterClassCalls();
uint32_t classStyle(const std::string& name);

// ---- Messages --------------------------------------------------------------------------------
// Queues a message for the window, as PostMessageA does.
void postMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Adds the rectangle to the window's update region (InvalidateRect); a paint message is then
// pending for it.
void invalidate(WindowHandle window, const WindowRect& rect);
bool hasPendingPaint(WindowHandle window);
// Runs the message loop until the queue is empty: posted messages first, then one WM_PAINT
// per window with a non-empty update region. Answers the number of messages dispatched.
int32_t dispatchPending();
// Calls the window procedure directly, as SendMessageA does.
intptr_t sendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// The lParam of a button message at client position (x, y).
inline intptr_t pointParam(int32_t x, int32_t y) {
    return static_cast<intptr_t>((static_cast<uint32_t>(y & 0xFFFF) << 16) |
                                 static_cast<uint32_t>(x & 0xFFFF));
}

// ---- Clock -----------------------------------------------------------------------------------
// GetTickCount answers this value; Sleep advances it by the time slept.
void setTickCount(uint32_t ticks);
int32_t sleepCalls();
uint32_t millisecondsSlept();

// ---- OLE -------------------------------------------------------------------------------------
int32_t oleInitializeCalls();
int32_t oleUninitializeCalls();
// Initialisations not yet balanced on this thread.
int32_t oleDepth();

// ---- Drag and drop ---------------------------------------------------------------------------
DropTarget* registeredDropTarget(WindowHandle window);

// A data object as a drag source offers it.
struct DataObject {
    bool offersText = false;
    std::vector<unsigned char> textBlock;  // the global block's exact bytes
    bool offersFiles = false;
    std::vector<std::string> files;
    bool nullMemory = false;            // GetData succeeds but hands out a null handle
    bool releaseThroughObject = false;  // the medium names an object responsible for release
};
// OLE's side of a drag over the window: the target's DragEnter / DragOver / DragLeave / Drop
// with the registered target; the effect the target chose.
uint32_t dragEnter(WindowHandle window, DataObject* data, uint32_t keyState, int32_t x, int32_t y);
uint32_t dragOver(WindowHandle window, uint32_t keyState, int32_t x, int32_t y);
void dragLeave(WindowHandle window);
void drop(WindowHandle window, DataObject* data, uint32_t keyState, int32_t x, int32_t y);

// Global memory handed out by GetData: blocks still allocated, GlobalFree calls, Release calls
// on the medium's releasing object, and locks not yet undone.
int32_t liveGlobals();
int32_t globalFreeCalls();
int32_t mediumObjectReleases();
int32_t outstandingGlobalLocks();

// Shell links: a ".lnk" file that resolves to the given short path. Names not registered are
// broken links.
void addShortcut(const std::string& linkPath, const std::string& targetShortPath);
int32_t shortcutResolveCalls();

}  // namespace testdouble
}  // namespace platform
