#include "toolkit/Control.h"

#include "graphics/Bitmap.h"
#include "toolkit/Frame.h"

Control::Control(const Rect& rect, ControlListener* owner, int32_t controlTag, Bitmap* bitmap)
    : View(rect),
      listener(owner),
      tag(controlTag),
      oldValue(1.0f),
      defaultValue(0.5f),
      value(0.0f),
      vmin(0.0f),
      vmax(1.0f),
      wheelStep(0.1f),
      background(bitmap),
      backgroundOffset(0, 0) {
    transparencyEnabled = false;
    mouseEnabled = true;
    if (background) background->retain();
}

Control::~Control() {
    if (background) background->release();
}

bool Control::isDirty() const { return value != oldValue || dirty; }

void Control::setDirty(bool state) {
    dirty = state;
    if (state) {
        // Any old value that differs will do; -1 unless that is the value itself.
        oldValue = value == -1.0f ? 0.0f : -1.0f;
    } else {
        oldValue = value;
    }
}

void Control::runEditorIdle() {
    if (parentFrame) parentFrame->runEditorIdle();
}

void Control::setValue(float newValue) { value = newValue; }
float Control::getValue() const { return value; }
void Control::setMin(float newMin) { vmin = newMin; }
float Control::getMin() const { return vmin; }
void Control::setMax(float newMax) { vmax = newMax; }
float Control::getMax() const { return vmax; }
void Control::setOldValue(float newOld) { oldValue = newOld; }
float Control::getOldValue() const { return oldValue; }
void Control::setDefaultValue(float newDefault) { defaultValue = newDefault; }
float Control::getDefaultValue() const { return defaultValue; }
void Control::setTag(int32_t newTag) { tag = newTag; }

void Control::setBackground(Bitmap* bitmap) {
    // Retain first: a caller passing the bitmap already held must not lose it in between.
    if (bitmap) bitmap->retain();
    if (background) background->release();
    background = bitmap;
}

Bitmap* Control::getBackground() const { return background; }
void Control::setBackgroundOffset(const Point& offset) { backgroundOffset = offset; }
void Control::setBackgroundOffsetFromSize() { backgroundOffset = size.topLeft(); }
void Control::setWheelStep(float step) { wheelStep = step; }
float Control::getWheelStep() const { return wheelStep; }

void Control::clampValue() {
    if (value > vmax)
        value = vmax;
    else if (value < vmin)
        value = vmin;
}

void Control::drawBackground(DrawContext* context, const Point& sourceOffset) {
    if (!background) return;
    if (transparencyEnabled)
        background->drawTransparent(context, size, sourceOffset);
    else
        background->draw(context, size, sourceOffset);
}
