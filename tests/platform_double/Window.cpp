// Test double for the window, message, clock and OLE calls: windows are records with an
// in-memory surface and an update region, messages go through one queue per process (the
// system runs on one UI thread), and the tick clock only moves when a test or Sleep moves it.

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphics/DropTarget.h"
#include "graphics/platform/Window.h"
#include "platform_double/PlatformDouble.h"

namespace platform {
namespace {

constexpr uint32_t kChildVisibleStyle = 0x50000000;  // WS_CHILD | WS_VISIBLE
constexpr uint32_t kGlobalClassStyle = 0x4000;       // CS_GLOBALCLASS

struct WindowRecord : platform::WndTag {
    std::string className;
    std::string windowName;
    uint32_t style = 0;
    int32_t x = 0, y = 0, width = 0, height = 0;
    WindowRecord* parent = nullptr;
    void* instance = nullptr;
    void* userData = nullptr;
    bool live = true;
    bool hostWindow = false;
    platform::HDc surface = nullptr;
    bool updatePending = false;
    WindowRect update{0, 0, 0, 0};
    std::vector<WindowRecord*> children;
    DropTarget* dropTarget = nullptr;
};

struct ClassRecord {
    WindowProcedure procedure = nullptr;
    void* instance = nullptr;
    uint32_t style = 0;
};

struct Message {
    WindowRecord* window;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

struct State {
    // Records are never freed, so a stale handle can always be recognised as dead.
    std::vector<std::unique_ptr<WindowRecord>> windows;
    std::map<std::string, ClassRecord> classes;
    std::deque<Message> queue;
    int32_t registerCalls = 0;
    int32_t unregisterCalls = 0;
    int32_t outstandingDCs = 0;
    int32_t outstandingPaints = 0;
    uint32_t ticks = 0;
    int32_t sleeps = 0;
    uint32_t slept = 0;
    int32_t oleInits = 0;
    int32_t oleUninits = 0;
    bool hookInstalled = false;
};

State& state() {
    static State s;
    return s;
}

WindowRecord* find(WindowHandle handle) {
    for (auto& w : state().windows)
        if (w.get() == handle) return w.get();
    return nullptr;
}

WindowRecord* live(WindowHandle handle) {
    WindowRecord* w = find(handle);
    return (w && w->live) ? w : nullptr;
}

bool screenRect(platform::HWnd handle, platform::RectRec* out) {
    WindowRecord* w = live(handle);
    if (!w || !out) return false;
    int32_t x = 0, y = 0;
    for (WindowRecord* p = w; p; p = p->parent) {
        x += p->x;
        y += p->y;
    }
    *out = platform::RectRec{x, y, x + w->width, y + w->height};
    return true;
}

void installHook() {
    if (state().hookInstalled) return;
    platform::testdouble::setWindowRectHook(&screenRect);
    state().hookInstalled = true;
}

WindowRecord* newWindow() {
    installHook();
    state().windows.push_back(std::make_unique<WindowRecord>());
    return state().windows.back().get();
}

intptr_t deliver(WindowRecord* w, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    auto found = state().classes.find(w->className);
    if (w->hostWindow || found == state().classes.end() || !found->second.procedure)
        return defaultWindowProcedure(w, message, wParam, lParam);
    return found->second.procedure(w, message, wParam, lParam);
}

void addToUpdate(WindowRecord* w, const WindowRect& r) {
    WindowRect clipped{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, w->width),
                       std::min(r.bottom, w->height)};
    if (clipped.right <= clipped.left || clipped.bottom <= clipped.top) return;
    if (!w->updatePending) {
        w->update = clipped;
        w->updatePending = true;
        return;
    }
    w->update.left = std::min(w->update.left, clipped.left);
    w->update.top = std::min(w->update.top, clipped.top);
    w->update.right = std::max(w->update.right, clipped.right);
    w->update.bottom = std::max(w->update.bottom, clipped.bottom);
}

// DestroyWindow: WM_DESTROY to the window, then to its children; the surface goes away.
void destroy(WindowRecord* w) {
    if (!w->live) return;
    deliver(w, kMessageDestroy, 0, 0);
    for (WindowRecord* child : w->children) destroy(child);
    w->live = false;
    w->updatePending = false;
    if (w->surface) {
        platform::deleteRasterDC(w->surface);
        w->surface = nullptr;
    }
}

}  // namespace

// ---- Window.h --------------------------------------------------------------------------------

void registerWindowClass(const char* name, WindowProcedure procedure, void* instance) {
    state().registerCalls++;
    if (!name || state().classes.count(name)) return;  // ERROR_CLASS_ALREADY_EXISTS
    state().classes[name] = ClassRecord{procedure, instance, kGlobalClassStyle};
}

void unregisterWindowClass(const char* name, void*) {
    state().unregisterCalls++;
    if (name) state().classes.erase(name);
}

WindowHandle createChildWindow(const char* className, int32_t width, int32_t height,
                               WindowHandle parent, void* instance) {
    WindowRecord* p = live(parent);
    if (!className || !p || !state().classes.count(className)) return nullptr;
    WindowRecord* w = newWindow();
    w->className = className;
    w->windowName = "Window";
    w->style = kChildVisibleStyle;
    w->width = width;
    w->height = height;
    w->parent = p;
    w->instance = instance;
    w->surface = platform::createRasterDC(width, height);
    p->children.push_back(w);
    // A new visible window is entirely invalid until it has been painted once.
    addToUpdate(w, WindowRect{0, 0, width, height});
    return w;
}

void destroyWindow(WindowHandle window) {
    if (WindowRecord* w = live(window)) destroy(w);
}

void setWindowUserData(WindowHandle window, void* data) {
    if (WindowRecord* w = live(window)) w->userData = data;
}

void* getWindowUserData(WindowHandle window) {
    WindowRecord* w = find(window);
    return w ? w->userData : nullptr;
}

intptr_t defaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t, intptr_t) {
    // Like DefWindowProcA, a paint that nobody handled validates the window.
    if (message == kMessagePaint)
        if (WindowRecord* w = find(window)) w->updatePending = false;
    return 0;
}

bool getUpdateRect(WindowHandle window, WindowRect* rect) {
    WindowRecord* w = live(window);
    if (!w || !w->updatePending) {
        if (rect) *rect = WindowRect{0, 0, 0, 0};
        return false;
    }
    if (rect) *rect = w->update;
    return true;
}

DeviceContext beginPaint(WindowHandle window, PaintRecord* paint) {
    WindowRecord* w = live(window);
    if (!paint) return nullptr;
    paint->dc = nullptr;
    paint->paintRect = WindowRect{0, 0, 0, 0};
    if (!w) return nullptr;
    paint->dc = w->surface;
    if (w->updatePending) paint->paintRect = w->update;
    w->updatePending = false;
    state().outstandingPaints++;
    return paint->dc;
}

void endPaint(WindowHandle window, PaintRecord* paint) {
    if (live(window) && paint && paint->dc) state().outstandingPaints--;
}

DeviceContext getWindowDC(WindowHandle window) {
    WindowRecord* w = live(window);
    if (!w) return nullptr;
    state().outstandingDCs++;
    return w->surface;
}

void releaseWindowDC(WindowHandle, DeviceContext dc) {
    if (dc) state().outstandingDCs--;
}

bool dispatchOnePaintMessage() {
    for (auto& w : state().windows) {
        if (w->live && w->updatePending) {
            deliver(w.get(), kMessagePaint, 0, 0);
            return true;
        }
    }
    return false;
}

void dispatchWindowEvents(WindowHandle) {}

bool dragsFollowMessages(WindowHandle) { return testdouble::dragsFollowMessagesFlag(); }

uintptr_t nativeWindowId(WindowHandle window) {
    return testdouble::isLiveWindow(window) ? reinterpret_cast<uintptr_t>(window) : 0;
}

bool panelNeedsParent() { return true; }

uint32_t getTickCount() { return state().ticks; }

void sleepMilliseconds(uint32_t milliseconds) {
    state().sleeps++;
    state().slept += milliseconds;
    state().ticks += milliseconds;
}

void oleInitialize() { state().oleInits++; }

void oleUninitialize() { state().oleUninits++; }

bool registerDragDrop(WindowHandle window, DropTarget* target) {
    WindowRecord* w = live(window);
    // RegisterDragDrop needs OLE on the thread and refuses a second registration.
    if (!w || !target || w->dropTarget || state().oleInits <= state().oleUninits) return false;
    target->AddRef();
    w->dropTarget = target;
    return true;
}

void revokeDragDrop(WindowHandle window) {
    WindowRecord* w = find(window);
    if (!w || !w->dropTarget) return;
    DropTarget* target = w->dropTarget;
    w->dropTarget = nullptr;
    target->Release();
}

// ---- Stand-in controls -----------------------------------------------------------------------

namespace testdouble {

namespace {
bool dragsFollow = false;
}

bool setDragsFollowMessages(bool follow) {
    const bool previous = dragsFollow;
    dragsFollow = follow;
    return previous;
}

bool dragsFollowMessagesFlag() { return dragsFollow; }

WindowHandle createHostWindow(int32_t x, int32_t y, int32_t width, int32_t height) {
    WindowRecord* w = newWindow();
    w->className = "HostWindow";
    w->windowName = "Host";
    w->x = x;
    w->y = y;
    w->width = width;
    w->height = height;
    w->hostWindow = true;
    w->surface = platform::createRasterDC(width, height);
    return w;
}

void destroyHostWindow(WindowHandle window) { destroyWindow(window); }

bool isLiveWindow(WindowHandle window) { return live(window) != nullptr; }

std::vector<WindowHandle> childWindows(WindowHandle parent) {
    std::vector<WindowHandle> result;
    if (WindowRecord* p = find(parent))
        for (WindowRecord* c : p->children) result.push_back(c);
    return result;
}

WindowInfo windowInfo(WindowHandle window) {
    WindowInfo info{};
    if (WindowRecord* w = find(window)) {
        info = WindowInfo{w->className, w->windowName, w->style,  w->x,       w->y,
                          w->width,     w->height,     w->parent, w->instance};
    }
    return info;
}

DeviceContext windowSurface(WindowHandle window) {
    WindowRecord* w = live(window);
    return w ? w->surface : nullptr;
}

int32_t outstandingWindowDCs() { return state().outstandingDCs; }
int32_t outstandingPaints() { return state().outstandingPaints; }

bool isClassRegistered(const std::string& name) { return state().classes.count(name) != 0; }
int32_t registerClassCalls() { return state().registerCalls; }
int32_t unregisterClassCalls() { return state().unregisterCalls; }
uint32_t classStyle(const std::string& name) {
    auto found = state().classes.find(name);
    return found == state().classes.end() ? 0 : found->second.style;
}

void postMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (WindowRecord* w = live(window))
        state().queue.push_back(Message{w, message, wParam, lParam});
}

void invalidate(WindowHandle window, const WindowRect& rect) {
    if (WindowRecord* w = live(window)) addToUpdate(w, rect);
}

bool hasPendingPaint(WindowHandle window) {
    WindowRecord* w = live(window);
    return w && w->updatePending;
}

int32_t dispatchPending() {
    int32_t dispatched = 0;
    while (!state().queue.empty()) {
        Message m = state().queue.front();
        state().queue.pop_front();
        if (!m.window->live) continue;
        deliver(m.window, m.message, m.wParam, m.lParam);
        dispatched++;
    }
    // Paint messages come when the queue is empty, one per invalid window.
    for (size_t i = 0; i < state().windows.size(); i++) {
        WindowRecord* w = state().windows[i].get();
        if (w->live && w->updatePending) {
            deliver(w, kMessagePaint, 0, 0);
            dispatched++;
        }
    }
    return dispatched;
}

intptr_t sendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    WindowRecord* w = live(window);
    return w ? deliver(w, message, wParam, lParam) : 0;
}

void setTickCount(uint32_t ticks) { state().ticks = ticks; }
int32_t sleepCalls() { return state().sleeps; }
uint32_t millisecondsSlept() { return state().slept; }

int32_t oleInitializeCalls() { return state().oleInits; }
int32_t oleUninitializeCalls() { return state().oleUninits; }
int32_t oleDepth() { return state().oleInits - state().oleUninits; }

DropTarget* registeredDropTarget(WindowHandle window) {
    WindowRecord* w = find(window);
    return w ? w->dropTarget : nullptr;
}

uint32_t dragEnter(WindowHandle window, DataObject* data, uint32_t keyState, int32_t x, int32_t y) {
    uint32_t effect = kDropEffectCopy | kDropEffectMove;
    if (DropTarget* t = registeredDropTarget(window))
        t->DragEnter(data, keyState, ScreenPoint{x, y}, &effect);
    return effect;
}

uint32_t dragOver(WindowHandle window, uint32_t keyState, int32_t x, int32_t y) {
    uint32_t effect = kDropEffectCopy | kDropEffectMove;
    if (DropTarget* t = registeredDropTarget(window))
        t->DragOver(keyState, ScreenPoint{x, y}, &effect);
    return effect;
}

void dragLeave(WindowHandle window) {
    if (DropTarget* t = registeredDropTarget(window)) t->DragLeave();
}

void drop(WindowHandle window, DataObject* data, uint32_t keyState, int32_t x, int32_t y) {
    DropTarget* t = registeredDropTarget(window);
    if (!t) return;
    // OLE holds its own reference while it calls into the target.
    t->AddRef();
    uint32_t effect = kDropEffectCopy | kDropEffectMove;
    t->Drop(data, keyState, ScreenPoint{x, y}, &effect);
    t->Release();
}

}  // namespace testdouble
}  // namespace platform
