#include "plugin/VstEditor.h"

#include "editor/GuiEditorBase.h"
#include "host/EffectBase.h"

namespace {
// The host's key record and the views' one carry the same fields.
KeyCode viewKey(const VstKeyCode& key) { return KeyCode{key.character, key.virt, key.modifier}; }
}  // namespace

VstEditor::VstEditor(EffectBase* owner, GuiEditorBase* panel)
    : EditorBase(owner), panel(panel), rect{} {
    if (effect) effect->setEditor(this);
}

VstEditor::~VstEditor() { delete panel; }

int32_t VstEditor::getRect(ERect** out) {
    if (!out) return 1;
    if (!panel) {
        *out = nullptr;
        return 0;
    }
    const Rect& size = panel->getRect();
    rect.top = static_cast<int16_t>(size.top);
    rect.left = static_cast<int16_t>(size.left);
    rect.bottom = static_cast<int16_t>(size.bottom);
    rect.right = static_cast<int16_t>(size.right);
    *out = &rect;
    return 1;
}

int32_t VstEditor::open(void* parentWindow) {
    EditorBase::open(parentWindow);
    return panel ? panel->open(parentWindow) : 0;
}

void VstEditor::close() {
    if (panel) panel->close();
}

void VstEditor::idle() {
    if (panel) panel->idle();
}

void VstEditor::update() {
    if (panel) panel->update();
}

void VstEditor::requestUpdate() {
    if (panel) panel->requestUpdate();
}

int32_t VstEditor::onKeyDown(VstKeyCode* keyCode) {
    if (!panel || !keyCode) return -1;
    KeyCode key = viewKey(*keyCode);
    return panel->onKeyDown(key);
}

int32_t VstEditor::onKeyUp(VstKeyCode* keyCode) {
    if (!panel || !keyCode) return -1;
    KeyCode key = viewKey(*keyCode);
    return panel->onKeyUp(key);
}

int32_t VstEditor::setKnobMode(int32_t mode) { return panel ? panel->setKnobMode(mode) : 0; }

bool VstEditor::onWheel(float distance) { return panel && panel->onWheel(distance); }

void VstEditor::parameterChanged(int32_t index, float value) {
    if (panel) panel->parameterChanged(index, value);
}
