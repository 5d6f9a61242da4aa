#pragma once
// Test support for controls. On Windows the test program carries the library's bitmaps
// itself. On the native stand-in, a mouse script drives controls that poll the mouse inside
// their button-down handler: pointer positions and held buttons/keys, one step per pass of the
// control's drag loop (the loop calls the editor's idle work on every pass).

#ifdef _WIN32
#include <windows.h>

#include "graphics/ModuleHandle.h"
inline void useOwnModule() { moduleInstance = GetModuleHandleA(nullptr); }
#else
inline void useOwnModule() {}
#endif

#ifndef _WIN32

#include <cstdint>
#include <vector>

#include "editor/GuiEditorBase.h"
#include "graphics/ButtonState.h"
#include "graphics/platform/Gdi.h"
#include "platform_double/PlatformDouble.h"
#include "toolkit/Control.h"
#include "toolkit/ControlListener.h"

struct MouseStep {
    int32_t x, y;
    ButtonState held;  // kLButton, kShift, ... as the context will report them
};

// Sets the stand-in's key state and cursor (screen coordinates).
inline void applyMouse(int32_t x, int32_t y, ButtonState held) {
    platform::testdouble::setCursorPos(x, y);
    platform::testdouble::setKeyDown(platform::kVkLButton, (held & kLButton) != 0);
    platform::testdouble::setKeyDown(platform::kVkMButton, (held & kMButton) != 0);
    platform::testdouble::setKeyDown(platform::kVkRButton, (held & kRButton) != 0);
    platform::testdouble::setKeyDown(platform::kVkShift, (held & kShift) != 0);
    platform::testdouble::setKeyDown(platform::kVkControl, (held & kControl) != 0);
    platform::testdouble::setKeyDown(platform::kVkMenu, (held & kAlt) != 0);
}

class MouseScript {
public:
    void add(int32_t x, int32_t y, ButtonState held) { steps.push_back({x, y, held}); }
    // Where the first move starts: the point the button went down.
    void from(int32_t x, int32_t y) { origin = MouseStep{x, y, 0}; }
    // A straight move from the last step (or the origin) to (x, y) in `count` steps.
    void moveTo(int32_t x, int32_t y, ButtonState held, int32_t count) {
        const MouseStep start = steps.empty() ? origin : steps.back();
        for (int32_t i = 1; i <= count; i++)
            add(start.x + (x - start.x) * i / count, start.y + (y - start.y) * i / count, held);
    }
    // Applies the next step; past the end the left button is released where the pointer is.
    void advance() {
        if (next < steps.size()) {
            const MouseStep& s = steps[next++];
            applyMouse(s.x, s.y, s.held);
            return;
        }
        platform::testdouble::setKeyDown(platform::kVkLButton, false);
        passesAfterEnd++;
    }
    void clear() {
        origin = MouseStep{0, 0, 0};
        steps.clear();
        next = 0;
        passesAfterEnd = 0;
    }

    MouseStep origin{0, 0, 0};
    std::vector<MouseStep> steps;
    size_t next = 0;
    int passesAfterEnd = 0;
};

// An editor whose idle work advances the mouse script instead of waiting for the clock.
class ScriptedEditor : public GuiEditorBase {
public:
    explicit ScriptedEditor(MouseScript* script) : GuiEditorBase(nullptr), script(script) {}
    void runIdleWork() override {
        idleCalls++;
        script->advance();
    }
    MouseScript* script;
    int idleCalls = 0;
};

// Records every value a control reports, with its tag.
class RecordingListener : public ControlListener {
public:
    void valueChanged(DrawContext* context, Control* control) override {
        values.push_back(control->getValue());
        tags.push_back(control->getTag());
        contexts.push_back(context);
    }
    std::vector<float> values;
    std::vector<int32_t> tags;
    std::vector<DrawContext*> contexts;
};

#endif
