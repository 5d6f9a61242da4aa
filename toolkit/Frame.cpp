#include "toolkit/Frame.h"

#include <cstdio>
#include <new>

#include "graphics/Bitmap.h"
#include "graphics/DrawContext.h"
#include "graphics/DropTarget.h"
#include "graphics/ModuleHandle.h"
#include "toolkit/FrameOwner.h"
#include "toolkit/TrackedDrag.h"

namespace {
// Process-wide, shared by every instance in the process; touched on the UI thread only.
char className[16];
int32_t classUseCount = 0;
int32_t knobMode = 0;

constexpr int32_t kChildGrowth = 20;
}  // namespace

// The window's own device context wrapped in a DrawContext for one call (idle, redrawAll,
// onWheel). Without a window there is no device context: the context then draws nothing.
class Frame::TemporaryContext {
public:
    explicit TemporaryContext(Frame* frame)
        : window(frame->window),
          dc(window ? platform::getWindowDC(window) : nullptr),
          context(new DrawContext(dc, window)) {}
    ~TemporaryContext() {
        delete context;  // selects the device context's objects back before it is released
        if (dc) platform::releaseWindowDC(window, dc);
    }
    TemporaryContext(const TemporaryContext&) = delete;
    TemporaryContext& operator=(const TemporaryContext&) = delete;

    DrawContext* get() const { return context; }
    bool canDraw() const { return dc != nullptr; }

private:
    platform::WindowHandle window;
    platform::DeviceContext dc;
    DrawContext* context;
};

Frame::Frame(const Rect& rect, void* parent, FrameOwner* frameOwner)
    : View(rect),
      owner(frameOwner),
      parentWindow(static_cast<platform::WindowHandle>(parent)),
      background(nullptr),
      childCount(0),
      childCapacity(0),
      children(nullptr),
      focusView(nullptr),
      firstDrawPending(true),
      open(true),
      dropEnabled(false),
      window(nullptr),
      blitLibrary(nullptr),
      dropTarget(nullptr) {
    platform::oleInitialize();
    blitLibrary = obtainTransparentBlt();
    if (!parentWindow) return;

    registerWindowClass();
    window = platform::createChildWindow(windowClassName(), rect.width(), rect.height(),
                                         parentWindow, moduleInstance);
    if (!window) {
        // The class counts frames whose window exists; a failed creation gives its count back.
        unregisterWindowClass();
        return;
    }
    platform::setWindowUserData(window, this);
    setDropEnabled(true);
}

Frame::~Frame() {
    setDropEnabled(false);
    removeAll(true);
    if (background) {
        background->release();
        background = nullptr;
    }
    platform::oleUninitialize();
    if (blitLibrary) platform::FreeLibrary(blitLibrary);
    if (window) {
        // Messages from here on, WM_DESTROY included, no longer reach this frame.
        platform::setWindowUserData(window, nullptr);
        platform::destroyWindow(window);
        window = nullptr;
        unregisterWindowClass();
    }
}

// ---- Window class and procedure --------------------------------------------------------------

const char* Frame::windowClassName() {
    std::snprintf(className, sizeof className, "Plugin%08x",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(moduleInstance)));
    return className;
}

int32_t Frame::windowClassUseCount() { return classUseCount; }

void Frame::registerWindowClass() {
    if (classUseCount++ > 0) return;
    platform::registerWindowClass(windowClassName(), &Frame::windowProcedure, moduleInstance);
    buttonsSwapped = platform::GetSystemMetrics(platform::kSmSwapButton) > 0;
}

void Frame::unregisterWindowClass() {
    if (classUseCount <= 0) return;
    if (--classUseCount == 0) platform::unregisterWindowClass(windowClassName(), moduleInstance);
}

// Runs on the thread that created the window (the host's UI thread), also re-entered for
// painting while a control tracks a drag inside a button-down message.
intptr_t Frame::windowProcedure(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam) {
    Frame* frame = static_cast<Frame*>(platform::getWindowUserData(window));
    if (frame) {
        switch (message) {
            case platform::kMessageDestroy:
                frame->open = false;
                // The host destroys its window before closing the editor: revoke while the
                // window handle is still valid, or OLE keeps the target and its registration.
                frame->setDropEnabled(false);
                // No pointer message comes any more: a drag fed by them ends now.
                frame->endTrackedDrag();  // may destroy the frame
                break;
            case platform::kMessagePaint: {
                platform::WindowRect damaged;
                if (platform::getUpdateRect(window, &damaged)) {
                    frame->paint(window);
                    return 0;
                }
                break;
            }
            case platform::kMessageLeftButtonDown:
            case platform::kMessageRightButtonDown:
            case platform::kMessageMiddleButtonDown: frame->click(window, lParam); return 0;
            case platform::kMessageMouseMove: frame->followDrag(window, lParam, false); return 0;
            case platform::kMessageLeftButtonUp: frame->followDrag(window, lParam, true); return 0;
            case platform::kMessageKey: {
                KeyCode key{static_cast<int32_t>(lParam), static_cast<uint8_t>(wParam & 0xFF),
                            static_cast<uint8_t>((wParam >> 8) & 0xFF)};
                frame->retain();  // the host may close the editor from the automation callback
                const int32_t answer = frame->onKeyDown(key);
                frame->release();
                return answer != -1 ? 1 : 0;
            }
            case platform::kMessageKeyFocus: return frame->getFocusView() ? 1 : 0;
            case platform::kMessageWheel:
                frame->retain();
                frame->onWheel(nullptr, Point(0, 0),
                               static_cast<float>(static_cast<intptr_t>(wParam)));
                frame->release();
                return 0;
            default: break;
        }
    }
    return platform::defaultWindowProcedure(window, message, wParam, lParam);
}

void Frame::handleWindowEvents() {
    if (!window) return;
    // An event's handler may reach the host, which may close the editor: the frame then goes
    // when this call is done, and the caller must not touch it afterwards.
    retain();
    platform::dispatchWindowEvents(window);
    release();
}

void Frame::paint(platform::WindowHandle target) {
    platform::PaintRecord record{};
    platform::DeviceContext dc = platform::beginPaint(target, &record);
    {
        DrawContext context(dc, target);
        const platform::WindowRect& r = record.paintRect;
        drawRect(&context, Rect(r.left, r.top, r.right, r.bottom));
    }
    platform::endPaint(target, &record);
}

void Frame::click(platform::WindowHandle target, intptr_t lParam) {
    if (trackedDrag) return;  // one gesture at a time
    // The host may close the editor while a control tracks the mouse in here: the frame then
    // stays alive until this message is done.
    retain();
    platform::DeviceContext dc = platform::getWindowDC(target);
    {
        DrawContext context(dc, target);
        // Client coordinates, both taken as unsigned 16-bit values.
        Point where(static_cast<int32_t>(lParam & 0xFFFF),
                    static_cast<int32_t>((static_cast<uintptr_t>(lParam) >> 16) & 0xFFFF));
        mouse(&context, where);
    }
    if (dc) platform::releaseWindowDC(target, dc);
    release();
}

bool Frame::dragsFollowMessages() const { return window && platform::dragsFollowMessages(window); }

void Frame::trackDrag(TrackedDrag* drag) {
    if (!open) {
        drag->end();  // closed already: no message would ever end it
        return;
    }
    trackedDrag = drag;
}

void Frame::followDrag(platform::WindowHandle target, intptr_t lParam, bool released) {
    if (!trackedDrag) return;
    retain();  // the drag's end (a host callback) may let go of the frame's last reference
    platform::DeviceContext dc = platform::getWindowDC(target);
    {
        DrawContext context(dc, target);
        // Signed: the pointer may leave the window to the left or above while the button is held.
        const Point where(static_cast<int16_t>(lParam & 0xFFFF),
                          static_cast<int16_t>((static_cast<uintptr_t>(lParam) >> 16) & 0xFFFF));
        ButtonState state = context.getMouseButtons();
        if (released) state &= ~kLButton;
        trackedDrag->move(&context, where, state);
        // The move's host callback may have closed the editor, and ended the drag with it.
        if (trackedDrag && (!(state & kLButton) || !open)) endTrackedDrag();
    }
    if (dc) platform::releaseWindowDC(target, dc);
    release();
}

void Frame::endTrackedDrag() {
    TrackedDrag* ending = trackedDrag;
    trackedDrag = nullptr;
    if (ending) ending->end();  // may destroy this frame
}

void Frame::markClosed() {
    open = false;
    endTrackedDrag();
}

// ---- Drawing ---------------------------------------------------------------------------------

void Frame::draw(DrawContext* context) {
    firstDrawPending = false;
    if (background)
        background->draw(context, Rect(0, 0, background->width, background->height), Point(0, 0));
    for (int32_t i = 0; i < childCount; i++) children[i]->draw(context);
    setDirty(false);
}

void Frame::drawRect(DrawContext* context, const Rect& updateRect) {
    firstDrawPending = false;
    // Restore exactly the damaged part of the background, then only the children over it.
    if (background) background->draw(context, updateRect, updateRect.topLeft());
    for (int32_t i = 0; i < childCount; i++) {
        if (children[i]->overlaps(updateRect)) children[i]->drawRect(context, updateRect);
    }
}

void Frame::update(DrawContext* context) {
    if (!open) return;
    if (isDirty()) {
        draw(context);
        setDirty(false);
        return;
    }
    for (int32_t i = 0; i < childCount; i++) children[i]->update(context);
}

bool Frame::idle() {
    if (!open || firstDrawPending) return false;
    bool anyDirty = isDirty();
    for (int32_t i = 0; i < childCount && !anyDirty; i++) anyDirty = children[i]->isDirty();
    if (!anyDirty) return false;
    TemporaryContext context(this);
    if (!context.canDraw()) return false;
    update(context.get());
    return true;
}

void Frame::redrawAll() {
    TemporaryContext context(this);
    if (!context.canDraw()) return;  // no window: nothing to draw on
    draw(context.get());
}

void Frame::setBackground(Bitmap* bitmap) {
    if (bitmap == background) return;
    if (background) background->release();
    background = bitmap;
    if (background) background->retain();
}

// ---- Events ----------------------------------------------------------------------------------

void Frame::mouse(DrawContext* context, const Point& where) {
    if (focusView) {
        View* previous = focusView;
        focusView = nullptr;
        previous->focusLost(nullptr);
    }
    ButtonState buttons = context ? context->getMouseButtons() : kButtonStateUnknown;
    for (int32_t i = childCount - 1; i >= 0; i--) {
        View* child = children[i];
        if (child->getMouseEnabled() && child->hitTest(where, buttons)) {
            child->mouse(context, where);
            return;
        }
    }
}

namespace {

// Key dispatch: the focus view first, then the children from the last added to the first; the
// first answer other than -1 (not handled) wins.
int32_t dispatchKey(View* focusView, View* const* children, int32_t childCount, KeyCode& key,
                    int32_t (View::*handler)(KeyCode&)) {
    if (focusView) {
        int32_t answer = (focusView->*handler)(key);
        if (answer != -1) return answer;
    }
    for (int32_t i = childCount - 1; i >= 0; i--) {
        int32_t answer = (children[i]->*handler)(key);
        if (answer != -1) return answer;
    }
    return -1;
}

}  // namespace

int32_t Frame::onKeyDown(KeyCode& key) {
    return dispatchKey(focusView, children, childCount, key, &View::onKeyDown);
}

int32_t Frame::onKeyUp(KeyCode& key) {
    return dispatchKey(focusView, children, childCount, key, &View::onKeyUp);
}

bool Frame::onWheel(DrawContext* context, const Point&, float distance) {
    Point cursor;
    getCursorLocation(cursor);
    View* target = nullptr;
    for (int32_t i = childCount - 1; i >= 0 && !target; i--) {
        if (children[i]->getSize().containsInclusive(cursor)) target = children[i];
    }
    if (!target) return false;
    if (context) return target->onWheel(context, cursor, distance);
    TemporaryContext temporary(this);
    return target->onWheel(temporary.get(), cursor, distance);
}

bool Frame::onDrop(void** items, int32_t count, int32_t type, const Point& where) {
    // A control that holds the focus is in the middle of something: no drops then.
    if (focusView) return false;
    for (int32_t i = childCount - 1; i >= 0; i--) {
        View* child = children[i];
        if (child->getMouseEnabled() && child->getSize().containsInclusive(where) &&
            child->onDrop(items, count, type, where))
            return true;
    }
    return false;
}

FrameOwner* Frame::getEditor() const { return owner; }

// ---- Child list ------------------------------------------------------------------------------

bool Frame::addView(View* view) {
    if (!view) return false;
    if (childCount >= childCapacity) {
        View** grown = new (std::nothrow) View*[childCapacity + kChildGrowth];
        if (!grown) return false;  // the list stays as it was and usable
        for (int32_t i = 0; i < childCount; i++) grown[i] = children[i];
        delete[] children;
        children = grown;
        childCapacity += kChildGrowth;
    }
    children[childCount++] = view;
    view->setParentFrame(this);
    view->onAttached(this);
    return true;
}

bool Frame::removeView(View* view, bool withRelease) {
    for (int32_t i = 0; i < childCount; i++) {
        if (children[i] != view) continue;
        for (int32_t j = i; j + 1 < childCount; j++) children[j] = children[j + 1];
        childCount--;
        if (focusView == view) focusView = nullptr;
        view->onRemoved(this);
        if (withRelease) view->release();
        break;
    }
    return true;
}

bool Frame::removeAll(bool withRelease) {
    setFocusView(nullptr);
    // Detach the array first so that nothing a child does while it is removed sees a half
    // emptied list.
    View** list = children;
    int32_t count = childCount;
    children = nullptr;
    childCount = 0;
    childCapacity = 0;
    for (int32_t i = 0; i < count; i++) {
        list[i]->onRemoved(this);
        if (withRelease) list[i]->release();
    }
    delete[] list;
    return true;
}

bool Frame::isChild(View* view) const {
    for (int32_t i = 0; i < childCount; i++)
        if (children[i] == view) return true;
    return false;
}

int32_t Frame::getViewCount() const { return childCount; }

View* Frame::getView(int32_t index) const {
    if (index < 0 || index >= childCount) return nullptr;
    return children[index];
}

// ---- Services for controls -------------------------------------------------------------------

void Frame::beginEdit(int32_t index) {
    if (owner) owner->beginEdit(index);
}

void Frame::endEdit(int32_t index) {
    if (owner) owner->endEdit(index);
}

void Frame::runEditorIdle() {
    if (owner) owner->runIdleWork();
}

void Frame::setFocusView(View* view) {
    View* previous = focusView;
    focusView = view;
    if (previous) previous->focusLost(nullptr);
}

int32_t Frame::getKnobMode() const { return knobMode; }

void Frame::setProcessKnobMode(int32_t mode) { knobMode = mode; }

bool Frame::getCursorLocation(Point& where) const {
    platform::PointRec cursor{0, 0};
    platform::GetCursorPos(&cursor);
    where = Point(cursor.x, cursor.y);
    if (window) {
        platform::RectRec rect{0, 0, 0, 0};
        if (platform::GetWindowRect(window, &rect)) where.offset(-rect.left, -rect.top);
    }
    return true;
}

// ---- Drag and drop ---------------------------------------------------------------------------

void Frame::setDropEnabled(bool enable) {
    if (enable == dropEnabled || !window) return;
    if (enable) {
        DropTarget* target = new (std::nothrow) DropTarget(this);
        if (!target) return;
        // Hold a reference across the registration, so that a refused registration still
        // frees the target.
        target->AddRef();
        dropEnabled = platform::registerDragDrop(window, target);
        dropTarget = dropEnabled ? target : nullptr;
        target->Release();
    } else {
        // A drag still in progress may keep the target alive after the revocation; it must not
        // reach this frame any more.
        if (dropTarget) dropTarget->detachReceiver();
        dropTarget = nullptr;
        platform::revokeDragDrop(window);
        dropEnabled = false;
    }
}
