#pragma once
// A two-state control drawn from a bitmap holding the off picture over the on picture. A left
// press toggles the value between 0 and 1 and tells the listener at once; there is no drag.

#include <cstdint>

#include "toolkit/Control.h"

class ToggleButton : public Control {
public:
    ToggleButton(const Rect& size, ControlListener* listener, int32_t tag, Bitmap* background);
    ~ToggleButton() override;

    void draw(DrawContext* context) override;
    // Button press on the switch (UI thread).
    void mouse(DrawContext* context, const Point& where) override;
};
