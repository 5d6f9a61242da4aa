#include "host/EditorBase.h"

EditorBase::EditorBase(EffectBase* effect)
    : effect(effect), parentWindow(nullptr), updatePending(0) {}

EditorBase::~EditorBase() = default;

int32_t EditorBase::getRect(ERect** rect) {
    if (rect) *rect = nullptr;
    return 0;
}

int32_t EditorBase::open(void* parent) {
    parentWindow = parent;
    return 0;
}

void EditorBase::close() {}

void EditorBase::idle() {
    if (updatePending) {
        updatePending = 0;
        update();
    }
}

void EditorBase::update() {}

void EditorBase::requestUpdate() { updatePending = 1; }

int32_t EditorBase::onKeyDown(VstKeyCode*) { return -1; }

int32_t EditorBase::onKeyUp(VstKeyCode*) { return -1; }

int32_t EditorBase::setKnobMode(int32_t) { return 0; }

bool EditorBase::onWheel(float) { return false; }

void EditorBase::parameterChanged(int32_t, float) {}
