#pragma once
// A view that carries a float value within [min, max], a tag naming what it stands for (the
// editor uses the parameter index), an optional background bitmap and a listener that hears
// every user change. A changed value alone makes the control dirty, so the frame's next update
// pass redraws it.

#include <cstdint>

#include "toolkit/View.h"

class Bitmap;
class ControlListener;

class Control : public View {
public:
    // Retains the bitmap when it is not null.
    Control(const Rect& size, ControlListener* listener, int32_t tag, Bitmap* background);
    // Releases the background bitmap.
    ~Control() override;

    void draw(DrawContext* context) override = 0;
    bool isDirty() const override;
    void setDirty(bool state = true) override;

    // Appended operations, in slot order.
    virtual void runEditorIdle();
    // Stores the value: no clamping, no notification.
    virtual void setValue(float value);
    virtual float getValue() const;
    virtual void setMin(float value);
    virtual float getMin() const;
    virtual void setMax(float value);
    virtual float getMax() const;
    virtual void setOldValue(float value);
    virtual float getOldValue() const;
    virtual void setDefaultValue(float value);
    virtual float getDefaultValue() const;
    virtual void setTag(int32_t value);
    virtual void setBackground(Bitmap* bitmap);
    virtual Bitmap* getBackground() const;
    virtual void setBackgroundOffset(const Point& offset);
    virtual void setBackgroundOffsetFromSize();
    virtual void setWheelStep(float step);
    virtual float getWheelStep() const;
    virtual void clampValue();

    // Read directly by listeners.
    int32_t getTag() const { return tag; }
    ControlListener* getListener() const { return listener; }
    const Point& getBackgroundOffset() const { return backgroundOffset; }

protected:
    // Draws the background bitmap over the size from the given source offset, colour-keyed
    // when transparency is set; nothing without a bitmap.
    void drawBackground(DrawContext* context, const Point& sourceOffset);

    ControlListener* listener;
    int32_t tag;
    float oldValue;
    float defaultValue;
    float value;
    float vmin;
    float vmax;
    float wheelStep;
    Bitmap* background;
    Point backgroundOffset;
};
