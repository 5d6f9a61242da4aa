#include "editor/VocoderEditor.h"

#include <cmath>
#include <cstdio>
#include <new>
#include <thread>

#include "graphics/Bitmap.h"
#include "toolkit/Frame.h"
#include "host/EffectBase.h"
#include "toolkit/FilmStripKnob.h"
#include "toolkit/ToggleButton.h"
#include "toolkit/ValueDisplay.h"

namespace {

const int32_t kBackgroundId = 128;
const int32_t kKnobStripId = 129;
const int32_t kSwitchId = 130;
const int32_t kStripFrames = 101;
const int32_t kStripFrameHeight = 32;
const float kFineFactor = 100.0f;
const int32_t kLinearKnobMode = 2;
const int32_t kDisplayFont = 3;
const int32_t kBoldText = 1;

// Display texts. The constants' widths matter: the float products round differently from
// double ones at some values, and the texts must match what the panel has always shown.
void decibelsText(float x, char* text) { std::sprintf(text, "%.1f %s", 120.0f * x - 96.0f, " dB"); }
void plainText(float x, char* text) { std::sprintf(text, "%.3f %s", x, ""); }
void tapsText(float x, char* text) {
    std::sprintf(text, "%.0f %s", std::floor(static_cast<double>(200.0f * x)) + 1.0, "");
}
void halfText(float x, char* text) { std::sprintf(text, "%.3f %s", 0.5 * x, ""); }
void tenThousandthsText(float x, char* text) { std::sprintf(text, "%.2f %s", x, "e-4"); }
void smoothingText(float x, char* text) { std::sprintf(text, "%.1f %s", 0.7 * x, ""); }
void attackText(float x, char* text) { std::sprintf(text, "%.1f %s", 20.0f * x, "ms"); }
void releaseText(float x, char* text) { std::sprintf(text, "%.1f %s", 500.0f * x, "ms"); }
void percentText(float x, char* text) { std::sprintf(text, "%.1f %s", 100.0f * x, "%"); }

struct ControlPlace {
    int32_t index;
    Rect knob;
    Rect display;
    float defaultValue;
    ValueToTextFunction text;
};

// Knob and display of every parameter with a continuous value, in creation order; the switch
// of parameter 14 goes between 13 and 15. Parameter 19 has no control.
const ControlPlace kPlaces[VocoderEditor::kKnobCount] = {
    {0, Rect(276, 68, 308, 100), Rect(311, 76, 359, 92), 0.8f, decibelsText},
    {1, Rect(276, 124, 308, 156), Rect(311, 132, 359, 148), 0.0f, decibelsText},
    {2, Rect(276, 184, 308, 216), Rect(311, 191, 359, 207), 0.0f, decibelsText},
    {3, Rect(276, 240, 308, 272), Rect(311, 247, 359, 263), 0.0f, decibelsText},
    {4, Rect(276, 296, 308, 328), Rect(311, 303, 359, 319), 0.0f, decibelsText},
    {5, Rect(276, 352, 308, 384), Rect(311, 359, 359, 375), 0.8f, decibelsText},
    {6, Rect(24, 64, 56, 96), Rect(16, 100, 64, 116), 1.0f, plainText},
    {7, Rect(88, 64, 120, 96), Rect(80, 100, 128, 116), 0.25f, tapsText},
    {8, Rect(144, 64, 176, 96), Rect(136, 100, 184, 116), 0.1f, halfText},
    {9, Rect(208, 64, 240, 96), Rect(200, 100, 248, 116), 0.1f, tenThousandthsText},
    {10, Rect(24, 144, 56, 176), Rect(16, 180, 64, 196), 0.5f, smoothingText},
    {11, Rect(144, 144, 176, 176), Rect(136, 180, 184, 196), 0.1f, attackText},
    {12, Rect(208, 144, 240, 176), Rect(200, 180, 248, 196), 0.1f, releaseText},
    {13, Rect(192, 244, 224, 276), Rect(184, 279, 232, 295), 1.0f, percentText},
    {15, Rect(20, 264, 52, 296), Rect(12, 299, 60, 315), 0.25f, tapsText},
    {16, Rect(92, 264, 124, 296), Rect(84, 299, 132, 315), 0.1f, halfText},
    {17, Rect(20, 336, 52, 368), Rect(12, 371, 60, 387), 0.1f, tenThousandthsText},
    {18, Rect(92, 336, 124, 368), Rect(84, 371, 132, 387), 0.5f, smoothingText},
    {20, Rect(192, 332, 224, 364), Rect(184, 367, 232, 383), 1.0f, percentText},
};
const Rect kSwitchPlace(132, 227, 148, 243);

}  // namespace

VocoderEditor::VocoderEditor(EffectBase* owner)
    : GuiEditorBase(owner), toggle(nullptr), background(nullptr), opened(false),
      changesInProgress(0) {
    for (int32_t i = 0; i < kKnobCount; i++) {
        knobs[i] = nullptr;
        displays[i] = nullptr;
    }
    background = new (std::nothrow) Bitmap(kBackgroundId);
    rect.top = 0;
    rect.left = 0;
    rect.bottom = static_cast<int16_t>(background ? background->height : 0);
    rect.right = static_cast<int16_t>(background ? background->width : 0);
}

VocoderEditor::~VocoderEditor() {
    // The host never closed the editor: its window and controls must not outlive us.
    destroyFrame();
    if (background) {
        const bool last = background->getRefCount() <= 1;
        background->release();
        if (last) background = nullptr;
    }
}

int32_t VocoderEditor::controlSlot(int32_t index) {
    for (int32_t i = 0; i < kKnobCount; i++)
        if (kPlaces[i].index == index) return i;
    return -1;
}

FilmStripKnob* VocoderEditor::getKnob(int32_t index) const {
    const int32_t slot = controlSlot(index);
    return opened && slot >= 0 ? knobs[slot] : nullptr;
}

ValueDisplay* VocoderEditor::getDisplay(int32_t index) const {
    const int32_t slot = controlSlot(index);
    return opened && slot >= 0 ? displays[slot] : nullptr;
}

int32_t VocoderEditor::open(void* parent) {
    // A second open without a close would strand the first frame and its window.
    if (frame) close();
    GuiEditorBase::open(parent);
    setKnobMode(kLinearKnobMode);

    Bitmap* strip = new (std::nothrow) Bitmap(kKnobStripId);
    Bitmap* switchPictures = new (std::nothrow) Bitmap(kSwitchId);
    const Color white(255, 255, 255, 0);
    const Color black(0, 0, 0, 0);

    const int32_t width = background ? background->width : 0;
    const int32_t height = background ? background->height : 0;
    frame = new (std::nothrow) Frame(Rect(0, 0, width, height),
                                     static_cast<platform::WindowHandle>(parent), this);
    if (frame) {
        frame->setBackground(background);
        // A control that cannot be created or added is left out; the rest of the panel works.
        auto add = [this](View* view) {
            if (!view) return false;
            if (frame->addView(view)) return true;
            view->release();
            return false;
        };
        for (int32_t i = 0; i < kKnobCount; i++) {
            const ControlPlace& place = kPlaces[i];
            const float current = effect ? effect->getParameter(place.index) : place.defaultValue;

            FilmStripKnob* knob =
                new (std::nothrow) FilmStripKnob(place.knob, this, place.index, kStripFrames,
                                                 kStripFrameHeight, strip, Point(0, 0));
            if (knob) {
                knob->setDefaultValue(place.defaultValue);
                knob->setValue(current);
                knob->setFineFactor(kFineFactor);
                knob->setTransparency(true);
                if (!add(knob)) knob = nullptr;
            }
            knobs[i] = knob;

            ValueDisplay* display = new (std::nothrow) ValueDisplay(place.display, nullptr, 0);
            if (display) {
                display->setDefaultValue(place.defaultValue);
                display->setValue(current);
                display->setValueToText(place.text);
                display->setTransparency(false);
                display->setFont(kDisplayFont);
                display->setFontColor(white);
                display->setBackColor(black);
                display->setTextStyle(kBoldText);
                if (!add(display)) display = nullptr;
            }
            displays[i] = display;

            if (place.index == kSwitchIndex - 1) {
                toggle = new (std::nothrow)
                    ToggleButton(kSwitchPlace, this, kSwitchIndex, switchPictures);
                if (toggle) {
                    toggle->setDefaultValue(0.0f);
                    toggle->setValue(effect ? effect->getParameter(kSwitchIndex) : 0.0f);
                    if (!add(toggle)) toggle = nullptr;
                }
            }
        }
    }

    // The controls hold their own references.
    if (strip) strip->release();
    if (switchPictures) switchPictures->release();
    opened = frame != nullptr;
    return opened ? 1 : 0;
}

void VocoderEditor::destroyFrame() {
    opened = false;
    // A parameter change that saw the editor open may still be moving a control; it is short
    // and never waits for this thread. Later changes see it closed and leave the controls be.
    while (changesInProgress.load() != 0) std::this_thread::yield();
    if (!frame) return;
    Frame* closing = frame;
    frame = nullptr;
    // Nothing may reach the old controls through these any more.
    for (int32_t i = 0; i < kKnobCount; i++) {
        knobs[i] = nullptr;
        displays[i] = nullptr;
    }
    toggle = nullptr;
    // A control tracking the mouse (the host closes the editor from a callback during a drag)
    // holds its own reference: the frame and its controls then go when the drag has ended.
    closing->markClosed();
    closing->release();
}

void VocoderEditor::close() { destroyFrame(); }

void VocoderEditor::idle() { GuiEditorBase::idle(); }

void VocoderEditor::parameterChanged(int32_t index, float) {
    // Announce first, then check: close either sees this call or this call sees it closed.
    changesInProgress.fetch_add(1);
    if (opened.load()) {
        // The controls show what the effect holds, not the value passed along.
        const int32_t slot = controlSlot(index);
        if (slot >= 0) {
            if (knobs[slot]) knobs[slot]->setValue(effect->getParameter(index));
            if (displays[slot]) displays[slot]->setValue(effect->getParameter(index));
        } else if (index == kSwitchIndex && toggle) {
            toggle->setValue(effect->getParameter(kSwitchIndex));
        }
        requestUpdate();
    }
    changesInProgress.fetch_sub(1);
}

void VocoderEditor::valueChanged(DrawContext*, Control* control) {
    if (!control || !effect) return;
    const int32_t tag = control->getTag();
    if (tag < 0 || tag > 20) return;
    effect->setParameterAutomated(tag, control->getValue());
}
