#pragma once
// The panel as the VST 2.x interface sees it: the dispatcher's editor opcodes reach this
// EditorBase, which translates the records (rectangle, key codes) and hands each call to the
// format-neutral editor it owns.

#include "host/EditorBase.h"

class GuiEditorBase;

class VstEditor : public EditorBase {
public:
    // Takes the panel and registers with the effect (setEditor, effFlagsHasEditor).
    VstEditor(EffectBase* effect, GuiEditorBase* panel);
    // Runs when the effect is destroyed (or replaces its editor); deletes the panel.
    ~VstEditor() override;

    // effEditGetRect (UI thread): the panel's rectangle.
    int32_t getRect(ERect** rect) override;
    // effEditOpen, effEditClose, effEditIdle (UI thread).
    int32_t open(void* parentWindow) override;
    void close() override;
    void idle() override;
    void update() override;
    // The effect asks for a redraw (any thread the host sets parameters on).
    void requestUpdate() override;
    // effEditKeyDown / effEditKeyUp (UI thread): -1 when not handled.
    int32_t onKeyDown(VstKeyCode* keyCode) override;
    int32_t onKeyUp(VstKeyCode* keyCode) override;
    // effSetEditKnobMode (UI thread).
    int32_t setKnobMode(int32_t mode) override;
    bool onWheel(float distance) override;
    // The effect's parameter changes (any thread the host sets parameters on).
    void parameterChanged(int32_t index, float value) override;

    GuiEditorBase* getPanel() const { return panel; }

private:
    GuiEditorBase* panel;
    ERect rect;
};
