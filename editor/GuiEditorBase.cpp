#include "editor/GuiEditorBase.h"

#include "graphics/Frame.h"
#include "graphics/platform/Window.h"
#include "host/EffectBase.h"

namespace {
// Tick counts wrap every 2^32 ms; their signed difference orders them correctly as long as the
// two are less than 2^31 ms apart, so the idle work never stalls at the wrap.
bool tickBefore(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) < 0; }
}  // namespace

GuiEditorBase::GuiEditorBase(EffectBase* owner)
    : EditorBase(owner), rect{}, frame(nullptr), nextIdleTime(0), inIdleWork(false) {
    updatePending = 0;
    if (effect) effect->setEditor(this);
    parentWindow = nullptr;
    nextIdleTime = platform::getTickCount();
    platform::oleInitialize();
}

GuiEditorBase::~GuiEditorBase() { platform::oleUninitialize(); }

int32_t GuiEditorBase::getRect(ERect** out) {
    if (out) *out = &rect;
    return 1;
}

int32_t GuiEditorBase::open(void* parent) {
    requestUpdate();
    parentWindow = parent;
    return 0;
}

void GuiEditorBase::idle() {
    // The host's idle service may call back into effEditIdle; that nested call does nothing.
    if (inIdleWork) return;
    if (updatePending) {
        updatePending = 0;
        update();
    }
    if (frame) frame->idle();
}

int32_t GuiEditorBase::onKeyDown(VstKeyCode* keyCode) {
    if (!frame || !keyCode) return -1;
    return frame->onKeyDown(*keyCode);
}

int32_t GuiEditorBase::onKeyUp(VstKeyCode* keyCode) {
    if (!frame || !keyCode) return -1;
    return frame->onKeyUp(*keyCode);
}

int32_t GuiEditorBase::setKnobMode(int32_t mode) {
    Frame::setProcessKnobMode(mode);
    return 1;
}

bool GuiEditorBase::onWheel(float distance) {
    if (!frame) return false;
    return frame->onWheel(nullptr, Point(0, 0), distance);
}

void GuiEditorBase::parameterChanged(int32_t, float) { requestUpdate(); }

void GuiEditorBase::draw(ERect*) {
    if (frame) frame->redrawAll();
}

void GuiEditorBase::runIdleWork() {
    uint32_t now = platform::getTickCount();
    if (tickBefore(now, nextIdleTime)) {
        platform::sleepMilliseconds(4);
        now += 4;
        // Not due yet; within 50 ms of the deadline the work starts early.
        if (tickBefore(now, nextIdleTime - 50)) return;
    }
    idle();
    // Let the window repaint while a control holds the mouse: one paint message per run.
    platform::dispatchOnePaintMessage();
    nextIdleTime = now + 100;
    inIdleWork = true;
    if (effect) effect->hostIdle();
    inIdleWork = false;
}
