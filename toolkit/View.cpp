#include "toolkit/View.h"

#include "toolkit/Frame.h"

const char* const kMsgCheckIfViewContainer = "kMsgCheckIfViewContainer";

View::View(const Rect& rect)
    : refCount(1),
      size(rect),
      mouseArea(rect),
      parentFrame(nullptr),
      parentView(nullptr),
      dirty(false),
      mouseEnabled(true),
      transparencyEnabled(false) {}

View::~View() = default;

void View::draw(DrawContext*) { setDirty(false); }

void View::drawRect(DrawContext* context, const Rect&) { draw(context); }

bool View::overlaps(const Rect& rect) const {
    return rect.right >= size.left && rect.left <= size.right && rect.bottom >= size.top &&
           rect.top <= size.bottom;
}

void View::mouse(DrawContext*, const Point&) {}

void View::update(DrawContext* context) {
    if (isDirty()) {
        draw(context);
        setDirty(false);
    }
}

int32_t View::notify(View*, const char*) { return 0; }

int32_t View::onKeyDown(KeyCode&) { return -1; }

int32_t View::onKeyUp(KeyCode&) { return -1; }

bool View::onDrop(void**, int32_t, int32_t, const Point&) { return false; }

bool View::onWheel(DrawContext*, const Point&, float) { return false; }

void View::focusLost(DrawContext*) {}

void View::focusGained(DrawContext*) {}

bool View::isDirty() const { return dirty; }

void View::setDirty(bool state) { dirty = state; }

void View::setMouseEnabled(bool enabled) { mouseEnabled = enabled; }

bool View::getMouseEnabled() const { return mouseEnabled; }

void View::setMouseArea(const Rect& area) { mouseArea = area; }

Rect& View::getMouseArea(Rect& out) const {
    out = mouseArea;
    return out;
}

bool View::hitTest(const Point& where, const ButtonState&) const {
    return size.containsInclusive(where);
}

void View::setTransparency(bool state) { transparencyEnabled = state; }

bool View::getTransparency() const { return transparencyEnabled; }

void View::setViewSize(const Rect& rect) {
    size = rect;
    setDirty(true);
}

void View::getViewSize(Rect& out) const { out = size; }

void View::setParentView(View* parent) { parentView = parent; }

void View::setParentFrame(Frame* parent) { parentFrame = parent; }

FrameOwner* View::getEditor() const { return parentFrame ? parentFrame->getEditor() : nullptr; }

bool View::onRemoved(View*) { return true; }

bool View::onAttached(View*) { return true; }

void View::release() {
    if (refCount <= 0) return;
    if (--refCount == 0) delete this;
}

void View::retain() { ++refCount; }

int32_t View::getRefCount() const { return refCount; }
