#include "editor/GuiEditorBase.h"

#include "editor/EditorController.h"
#include "graphics/platform/Window.h"
#include "toolkit/Frame.h"

namespace {
const uint32_t kIdleInterval = 100;  // ms between runs of the idle work
const uint32_t kEarlyStart = 50;     // ms before the deadline within which the work may start

// Tick counts wrap every 2^32 ms. The deadline is never set more than kIdleInterval ahead, so
// it is still to come only when it lies within that window ahead of now; anything else is a
// deadline that has passed, however long ago (also 2^31 ms and more, e.g. a session left open
// for weeks).
bool withinAhead(uint32_t now, uint32_t deadline, uint32_t window) {
    const uint32_t ahead = deadline - now;
    return ahead != 0 && ahead <= window;
}
}  // namespace

GuiEditorBase::GuiEditorBase(EditorController* controller)
    : controller(controller),
      rect(),
      parentWindow(nullptr),
      updatePending(0),
      frame(nullptr),
      nextIdleTime(platform::getTickCount()),
      inIdleWork(false) {
    platform::oleInitialize();
}

GuiEditorBase::~GuiEditorBase() { platform::oleUninitialize(); }

int32_t GuiEditorBase::open(void* parent) {
    requestUpdate();
    parentWindow = parent;
    return 0;
}

void GuiEditorBase::close() {}

void GuiEditorBase::idle() {
    // The host's idle service may call back into effEditIdle; that nested call does nothing.
    if (inIdleWork) return;
    // Linux: the window's events arrive here; a host callback from one may close the editor.
    if (frame) frame->handleWindowEvents();
    if (updatePending) {
        updatePending = 0;
        update();
    }
    if (frame) frame->idle();
}

void GuiEditorBase::update() {}

void GuiEditorBase::requestUpdate() { updatePending = 1; }

int32_t GuiEditorBase::onKeyDown(KeyCode& key) { return frame ? frame->onKeyDown(key) : -1; }

int32_t GuiEditorBase::onKeyUp(KeyCode& key) { return frame ? frame->onKeyUp(key) : -1; }

int32_t GuiEditorBase::setKnobMode(int32_t mode) {
    Frame::setProcessKnobMode(mode);
    return 1;
}

bool GuiEditorBase::onWheel(float distance) {
    if (!frame) return false;
    return frame->onWheel(nullptr, Point(0, 0), distance);
}

void GuiEditorBase::parameterChanged(int32_t, float) { requestUpdate(); }

void GuiEditorBase::draw() {
    if (frame) frame->redrawAll();
}

void GuiEditorBase::runIdleWork() {
    uint32_t now = platform::getTickCount();
    if (withinAhead(now, nextIdleTime, kIdleInterval)) {
        platform::sleepMilliseconds(4);
        now += 4;
        // Not due yet; within 50 ms of the deadline the work starts early.
        if (withinAhead(now, nextIdleTime - kEarlyStart, kIdleInterval - kEarlyStart)) return;
    }
    idle();
    // Let the window repaint while a control holds the mouse: one paint message per run.
    platform::dispatchOnePaintMessage();
    nextIdleTime = now + kIdleInterval;
    inIdleWork = true;
    if (controller) controller->serviceHost();
    inIdleWork = false;
}

void GuiEditorBase::beginEdit(int32_t index) {
    if (controller) controller->beginGesture(index);
}

void GuiEditorBase::endEdit(int32_t index) {
    if (controller) controller->endGesture(index);
}
