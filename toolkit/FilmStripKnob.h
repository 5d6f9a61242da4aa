#pragma once
// A knob drawn as one picture of a vertical strip of equally tall pictures, chosen by the
// value: the first picture for the minimum, the last for the maximum (reversed when inverse).

#include <cstdint>

#include "toolkit/Knob.h"

class FilmStripKnob : public Knob {
public:
    FilmStripKnob(const Rect& size, ControlListener* listener, int32_t tag, int32_t frameCount,
                  int32_t frameHeight, Bitmap* strip, const Point& offset);
    ~FilmStripKnob() override;

    void draw(DrawContext* context) override;

    // The strip's source offset the current value selects, snapped to a picture boundary.
    int32_t stripOffset() const;
    void setInverse(bool state) { inverse = state; }
    bool getInverse() const { return inverse; }
    int32_t getFrameCount() const { return frameCount; }
    int32_t getFrameHeight() const { return frameHeight; }

protected:
    int32_t frameCount;
    int32_t frameHeight;
    bool inverse;
};
