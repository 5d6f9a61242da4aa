#include "toolkit/ToggleButton.h"

#include <cmath>

#include "graphics/Bitmap.h"
#include "graphics/DrawContext.h"
#include "toolkit/ControlListener.h"

ToggleButton::ToggleButton(const Rect& rect, ControlListener* owner, int32_t controlTag,
                           Bitmap* bitmap)
    : Control(rect, owner, controlTag, bitmap) {}

ToggleButton::~ToggleButton() = default;

void ToggleButton::draw(DrawContext* context) {
    // Any value other than exactly 0 shows the lower (on) picture.
    Point source(0, 0);
    if (value != 0.0f && background) source.y = background->height / 2;
    drawBackground(context, source);
    setDirty(false);
}

void ToggleButton::mouse(DrawContext* context, const Point&) {
    if (!mouseEnabled || !context) return;
    if (!(context->getMouseButtons() & kLButton)) return;
    // Only the integer part counts as on: 0.3 turns on, not off. A value that is not a number
    // shows the on picture and so turns off.
    value = std::trunc(value) != 0.0f ? 0.0f : 1.0f;
    // The host may close the editor from its idle callback, taking the frame and its controls
    // down; this button stays alive until the click is reported.
    retain();
    runEditorIdle();
    if (listener) listener->valueChanged(context, this);
    release();
}
