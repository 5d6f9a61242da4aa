#pragma once
// An effect with a recording host and an editor around it, for frame tests that need the
// editor services (edit brackets, idle work).

#include <vector>

#include "editor/GuiEditorBase.h"
#include "graphics/DrawContext.h"
#include "plugin/VstEditor.h"
#include "unit/editorbase/ControllingEffect.h"
#include "unit/toolkit/RecordingView.h"

struct FrameHost {
    struct Call {
        int32_t opcode;
        int32_t index;
    };
    static std::vector<Call>& calls() {
        static std::vector<Call> list;
        return list;
    }
    static intptr_t VSTCALLBACK callback(AEffect*, int32_t opcode, int32_t index, intptr_t, void*,
                                         float) {
        calls().push_back({opcode, index});
        return 1;
    }
};

class FrameTestEffect : public ControllingEffect {
public:
    FrameTestEffect() : ControllingEffect(&FrameHost::callback) {}
};

// Registered with the effect through its VST 2.x adapter, which the effect deletes.
class FrameTestEditor : public GuiEditorBase {
public:
    explicit FrameTestEditor(FrameTestEffect* effect) : GuiEditorBase(effect) {
        new VstEditor(effect, this);
    }
    void setFrame(Frame* f) { frame = f; }
};

// Remembers the buttons its click saw, and draws with colours and a font of its own so that
// every paint creates and deletes platform objects.
class ButtonView : public RecordingView {
public:
    ButtonView(const Rect& size, std::vector<ViewEvent>* log) : RecordingView(size, log) {}
    void mouse(DrawContext* context, const Point& where) override {
        RecordingView::mouse(context, where);
        buttons = context ? context->getMouseButtons() : -1;
    }
    void draw(DrawContext* context) override {
        if (context) {
            context->setFillColor(Color(10, 20, 30));
            context->setFrameColor(Color(200, 100, 0));
            context->setFont(2, 0, 1);
            context->fillRect(getSize());
            context->drawString("42", getSize(), true, 1);
        }
        RecordingView::draw(context);
    }
    ButtonState buttons = 0;
};
