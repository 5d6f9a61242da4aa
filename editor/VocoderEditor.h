#pragma once
// The plug-in's panel: a 368 x 412 background and the controls the parameter table places on
// it (a film-strip knob with a value display, or an on/off button).
// User changes go to the controller as the user's parameter changes; parameter changes reported
// by the plug-in move the matching knob and display.

#include <atomic>
#include <cstdint>

#include "editor/GuiEditorBase.h"
#include "parameters/ParameterTable.h"
#include "toolkit/ControlListener.h"

class Bitmap;
class FilmStripKnob;
class ToggleButton;
class ValueDisplay;

class VocoderEditor : public GuiEditorBase, public ControlListener {
public:
    // Created with the plug-in; loads the background and sets the editor rectangle.
    explicit VocoderEditor(EditorController* controller);
    // Runs when the plug-in is destroyed. A host may close it with the editor still open: the
    // frame and its window are destroyed here first, since they call back into us.
    ~VocoderEditor() override;

    // The host opens the editor (UI thread): builds the frame in the host's window and the
    // controls.
    int32_t open(void* parentWindow) override;
    // The host closes the editor (UI thread): destroys the frame with its window and controls.
    void close() override;
    // The host's idle call (UI thread).
    void idle() override;
    // Called by the plug-in after every parameter set, from the host or from a control; may
    // come from whichever thread the host sets parameters on, also while the UI thread closes
    // the editor: close waits for a change in progress, a change never waits.
    void parameterChanged(int32_t index, float value) override;

    // A control moved by the user (UI thread): the user's change of its tag's parameter.
    void valueChanged(DrawContext* context, Control* control) override;

    bool isOpened() const { return opened; }
    // The controls of a parameter index while the editor is open (null otherwise or when the
    // index has none of that kind).
    FilmStripKnob* getKnob(int32_t index) const;
    ValueDisplay* getDisplay(int32_t index) const;
    // The whitening switch while the editor is open.
    ToggleButton* getSwitch() const { return getToggle(kWhiten); }
    Bitmap* getBackgroundBitmap() const { return background; }

private:
    ToggleButton* getToggle(int32_t index) const;
    void destroyFrame();

    // By parameter index; null where the index has no control of that kind.
    FilmStripKnob* knobs[kParameterCount];
    ToggleButton* toggles[kParameterCount];
    ValueDisplay* displays[kParameterCount];
    Bitmap* background;
    std::atomic<bool> opened;
    std::atomic<int32_t> changesInProgress;  // parameterChanged calls past their open check
};
