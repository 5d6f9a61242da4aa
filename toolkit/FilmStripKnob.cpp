#include "toolkit/FilmStripKnob.h"

#include "graphics/Bitmap.h"

FilmStripKnob::FilmStripKnob(const Rect& rect, ControlListener* owner, int32_t controlTag,
                             int32_t frames, int32_t height, Bitmap* strip,
                             const Point& stripOffsetBase)
    : Knob(rect, owner, controlTag, strip, nullptr, stripOffsetBase),
      frameCount(frames),
      frameHeight(height),
      inverse(false) {
    inset = 0;
}

FilmStripKnob::~FilmStripKnob() = default;

int32_t FilmStripKnob::stripOffset() const {
    if (frameHeight <= 0 || frameCount <= 0) return 0;
    const int32_t span = (frameCount - 1) * frameHeight;
    int32_t offset = 0;
    if (value >= 0.0f) {
        const float t = inverse ? (1.0f - value) * span : value * span;
        // setValue does not clamp; a value beyond the range shows the last picture rather
        // than a source area past the end of the strip.
        offset = t >= static_cast<float>(span) ? span : t > 0.0f ? static_cast<int32_t>(t) : 0;
    }
    for (int32_t s = 0; s <= span; s += frameHeight) {
        if (offset < s) {
            offset = s - frameHeight;
            if (offset < 0) offset = 0;
            break;
        }
    }
    return offset;
}

void FilmStripKnob::draw(DrawContext* context) {
    drawBackground(context, Point(0, stripOffset()));
    setDirty(false);
}
