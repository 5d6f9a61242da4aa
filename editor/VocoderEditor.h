#pragma once
// The plug-in's panel: a 368 x 412 background with one film-strip knob and one value display
// for each parameter that carries a value, and an on/off button for the whitening switch.
// User changes go to the effect as automated parameter changes; parameter changes reported by
// the effect move the matching knob and display.

#include <atomic>
#include <cstdint>

#include "editor/GuiEditorBase.h"
#include "toolkit/ControlListener.h"

class Bitmap;
class FilmStripKnob;
class ToggleButton;
class ValueDisplay;

class VocoderEditor : public GuiEditorBase, public ControlListener {
public:
    static const int32_t kKnobCount = 19;
    static const int32_t kSwitchIndex = 14;
    static const int32_t kViewCount = 2 * kKnobCount + 1;

    // Created by the effect's constructor; loads the background and sets the editor rectangle.
    explicit VocoderEditor(EffectBase* effect);
    // Runs when the effect is destroyed. A host may close the effect with the editor still
    // open: the frame and its window are destroyed here first, since they call back into us.
    ~VocoderEditor() override;

    // effEditOpen (UI thread): builds the frame in the host's window and all 39 controls.
    int32_t open(void* parentWindow) override;
    // effEditClose (UI thread): destroys the frame with its window and controls.
    void close() override;
    // effEditIdle (UI thread).
    void idle() override;
    // Called by the effect after every parameter set, from the host or from a control; may
    // come from whichever thread the host sets parameters on, also while the UI thread closes
    // the editor: close waits for a change in progress, a change never waits.
    void parameterChanged(int32_t index, float value) override;

    // A control moved by the user (UI thread): an automated parameter change of its tag.
    void valueChanged(DrawContext* context, Control* control) override;

    bool isOpened() const { return opened; }
    // The controls of a parameter index while the editor is open (null otherwise or when the
    // index has none of that kind).
    FilmStripKnob* getKnob(int32_t index) const;
    ValueDisplay* getDisplay(int32_t index) const;
    ToggleButton* getSwitch() const { return opened ? toggle : nullptr; }
    Bitmap* getBackgroundBitmap() const { return background; }

private:
    // Position in the knob and display arrays of a parameter index, -1 for 14, 19 and others.
    static int32_t controlSlot(int32_t index);
    void destroyFrame();

    FilmStripKnob* knobs[kKnobCount];
    ToggleButton* toggle;
    ValueDisplay* displays[kKnobCount];
    Bitmap* background;
    std::atomic<bool> opened;
    std::atomic<int32_t> changesInProgress;  // parameterChanged calls past their open check
};
