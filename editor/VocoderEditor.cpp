#include "editor/VocoderEditor.h"

#include <new>
#include <thread>

#include "editor/EditorController.h"
#include "graphics/Bitmap.h"
#include "graphics/platform/Window.h"
#include "resources/BitmapIds.h"
#include "toolkit/FilmStripKnob.h"
#include "toolkit/Frame.h"
#include "toolkit/KnobMode.h"
#include "toolkit/ToggleButton.h"
#include "toolkit/ValueDisplay.h"

namespace {

const int32_t kStripFrames = 101;
const int32_t kStripFrameHeight = 32;
const float kFineFactor = 100.0f;
const int32_t kDisplayFont = 3;
const int32_t kBoldText = 1;

// A value display's text, in the panel format of the parameter it shows.
void panelText(float x, char* text, void* parameter) {
    formatPanelText(static_cast<const ParameterInfo*>(parameter)->text, x, text);
}

Rect placeOf(const PanelBox& box) { return Rect(box.left, box.top, box.right, box.bottom); }

}  // namespace

VocoderEditor::VocoderEditor(EditorController* controller)
    : GuiEditorBase(controller), background(nullptr), opened(false), changesInProgress(0) {
    for (int32_t i = 0; i < kParameterCount; i++) {
        knobs[i] = nullptr;
        toggles[i] = nullptr;
        displays[i] = nullptr;
    }
    background = new (std::nothrow) Bitmap(OSTRAQUELLE_BITMAP_PANEL);
    if (background) rect = Rect(0, 0, background->width, background->height);
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

namespace {
bool isIndex(int32_t index) { return index >= 0 && index < kParameterCount; }
}  // namespace

FilmStripKnob* VocoderEditor::getKnob(int32_t index) const {
    return opened && isIndex(index) ? knobs[index] : nullptr;
}

ValueDisplay* VocoderEditor::getDisplay(int32_t index) const {
    return opened && isIndex(index) ? displays[index] : nullptr;
}

ToggleButton* VocoderEditor::getToggle(int32_t index) const {
    return opened && isIndex(index) ? toggles[index] : nullptr;
}

int32_t VocoderEditor::open(void* parent) {
    // A second open without a close would strand the first frame and its window.
    if (frame) close();
    GuiEditorBase::open(parent);
    setKnobMode(kLinearKnobMode);

    Bitmap* strip = new (std::nothrow) Bitmap(OSTRAQUELLE_BITMAP_KNOB_STRIP);
    Bitmap* switchPictures = new (std::nothrow) Bitmap(OSTRAQUELLE_BITMAP_SWITCH);
    const Color white(255, 255, 255, 0);
    const Color black(0, 0, 0, 0);

    const int32_t width = background ? background->width : 0;
    const int32_t height = background ? background->height : 0;
    frame = new (std::nothrow)
        Frame(Rect(0, 0, width, height), static_cast<platform::WindowHandle>(parent), this);
    if (frame) {
        frame->setBackground(background);
        // A control that cannot be created or added is left out; the rest of the panel works.
        auto add = [this](View* view) {
            if (!view) return false;
            if (frame->addView(view)) return true;
            view->release();
            return false;
        };
        for (int32_t slot = 0; slot < kParameterSlots; slot++) {
            const ParameterInfo& info = slotInfo(slot);
            const int32_t index = info.index;
            const float current =
                controller ? controller->parameterValue(index) : info.defaultValue;

            if (info.control == ControlKind::onOffSwitch) {
                ToggleButton* toggle = new (std::nothrow)
                    ToggleButton(placeOf(info.controlBox), this, index, switchPictures);
                if (toggle) {
                    toggle->setDefaultValue(info.defaultValue);
                    toggle->setValue(current);
                    if (!add(toggle)) toggle = nullptr;
                }
                toggles[index] = toggle;
                continue;
            }

            FilmStripKnob* knob = new (std::nothrow)
                FilmStripKnob(placeOf(info.controlBox), this, index, kStripFrames,
                              kStripFrameHeight, strip, Point(0, 0));
            if (knob) {
                knob->setDefaultValue(info.defaultValue);
                knob->setValue(current);
                knob->setFineFactor(kFineFactor);
                knob->setTransparency(true);
                if (!add(knob)) knob = nullptr;
            }
            knobs[index] = knob;

            ValueDisplay* display =
                new (std::nothrow) ValueDisplay(placeOf(info.displayBox), nullptr, 0);
            if (display) {
                display->setDefaultValue(info.defaultValue);
                display->setValue(current);
                display->setValueToTextWithData(panelText, const_cast<ParameterInfo*>(&info));
                display->setTransparency(false);
                display->setFont(kDisplayFont);
                display->setFontColor(white);
                display->setBackColor(black);
                display->setTextStyle(kBoldText);
                if (!add(display)) display = nullptr;
            }
            displays[index] = display;
        }
    }

    // The controls hold their own references.
    if (strip) strip->release();
    if (switchPictures) switchPictures->release();
    opened = frame != nullptr;
    // No window could be made (Linux without an X server, or a window id that is not one), or no
    // parent was given where a panel cannot live without one: the host is told, and nothing is
    // left half open. Answering 1 there would leave a host waiting for a panel that never
    // appears. On Windows a frame without a parent waits, windowless, as it always has.
    if (frame && (parent || platform::panelNeedsParent()) && !frame->getWindow()) destroyFrame();
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
    for (int32_t i = 0; i < kParameterCount; i++) {
        knobs[i] = nullptr;
        toggles[i] = nullptr;
        displays[i] = nullptr;
    }
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
        // The controls show what the plug-in holds, not the value passed along.
        if (isIndex(index) && controller) {
            const float current = controller->parameterValue(index);
            if (knobs[index]) knobs[index]->setValue(current);
            if (displays[index]) displays[index]->setValue(current);
            if (toggles[index]) toggles[index]->setValue(current);
        }
        requestUpdate();
    }
    changesInProgress.fetch_sub(1);
}

void VocoderEditor::valueChanged(DrawContext*, Control* control) {
    if (!control || !controller) return;
    const int32_t tag = control->getTag();
    if (!isIndex(tag)) return;
    controller->setParameterByUser(tag, control->getValue());
}
