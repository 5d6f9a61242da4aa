#include "toolkit/Knob.h"

#include <cmath>

#include "graphics/Bitmap.h"
#include "graphics/DrawContext.h"
#include "toolkit/ControlListener.h"
#include "toolkit/Frame.h"
#include "toolkit/KnobMode.h"

namespace {
const double kTwoPi = 6.283185307179586;
const int32_t kDragPixels = 200;  // a plain linear drag over this many pixels spans the range

// Virtual key codes and modifier bit of KeyCode.
const uint8_t kVKeyLeft = 11;
const uint8_t kVKeyUp = 12;
const uint8_t kVKeyRight = 13;
const uint8_t kVKeyDown = 14;
const uint8_t kModifierShift = 1;

int32_t insetFor(const Bitmap* handle) {
    return handle ? static_cast<int32_t>(handle->width * 0.5 + 2.5) : 3;
}
}  // namespace

Knob::Knob(const Rect& rect, ControlListener* owner, int32_t controlTag, Bitmap* bitmap,
           Bitmap* handle, const Point& backgroundOffset)
    : Control(rect, owner, controlTag, bitmap),
      offset(backgroundOffset),
      shadowHandleColor(kWhiteColor),
      handleColor(kGreyColor),
      handleBitmap(handle),
      inset(insetFor(handle)),
      startAngle(0.0f),
      rangeAngle(1.0f),
      halfGap(0.0f),
      slope(0.0f),
      intercept(0.0f),
      radius(static_cast<float>(rect.right - rect.left) * 0.5f),
      fineFactor(1.5f) {
    if (handleBitmap) handleBitmap->retain();
    setStartAngle(3.9269907f);  // 5/4 pi: the minimum at the lower left
    setRangeAngle(-4.712389f);  // 3/2 pi clockwise
    fineFactor = 1.5f;
}

Knob::~Knob() {
    if (handleBitmap) handleBitmap->release();
}

// ---- Geometry --------------------------------------------------------------------------------

void Knob::compute() {
    slope = (vmax - vmin) / rangeAngle;
    intercept = vmin - slope * startAngle;
    halfGap = static_cast<float>((kTwoPi - std::fabs(rangeAngle)) * 0.5);
    setDirty(true);
}

void Knob::setStartAngle(float angle) {
    startAngle = angle;
    compute();
}

float Knob::getStartAngle() const { return startAngle; }

void Knob::setRangeAngle(float angle) {
    rangeAngle = angle;
    compute();
}

float Knob::getRangeAngle() const { return rangeAngle; }

void Knob::valueToPoint(Point& out) const {
    const double alpha = (value - intercept) / slope;
    const double reach = radius - inset;
    out.x = static_cast<int32_t>(radius + std::cos(alpha) * reach + 0.5);
    out.y = static_cast<int32_t>(radius - std::sin(alpha) * reach + 0.5);
}

float Knob::pointToValue(const Point& where) const {
    auto normalise = [](double x) {
        if (x < 0.0) return x + kTwoPi;
        if (x > kTwoPi) return x - kTwoPi;
        return x;
    };
    const double range = rangeAngle;
    const double gap = halfGap;
    double alpha = std::atan2(radius - where.y, where.x - radius);
    if (alpha < 0.0) alpha += kTwoPi;
    alpha -= startAngle;

    if (range >= 0.0) {
        const double beta = normalise(alpha);
        if (beta > range + gap) return vmin;
        if (beta > range) return vmax;
        if (alpha > range + gap)
            alpha -= kTwoPi;
        else if (alpha < -gap)
            alpha += kTwoPi;
        return static_cast<float>(vmin + alpha * slope);
    }
    alpha -= range;
    const double beta = normalise(alpha);
    if (beta > gap - range) return vmax;
    if (beta > -range) return vmin;
    if (alpha > gap - range)
        alpha -= kTwoPi;
    else if (alpha < -gap)
        alpha += kTwoPi;
    return static_cast<float>(vmax + alpha * slope);
}

// ---- Drawing ---------------------------------------------------------------------------------

void Knob::draw(DrawContext* context) {
    drawBackground(context, offset);
    drawHandle(context);
    setDirty(false);
}

void Knob::drawHandle(DrawContext* context) {
    Point handle;
    valueToPoint(handle);
    if (handleBitmap) {
        const int32_t w = handleBitmap->width;
        const int32_t h = handleBitmap->height;
        const int32_t left = size.left + handle.x - w / 2;
        const int32_t top = size.top + handle.y - h / 2;
        handleBitmap->drawTransparent(context, Rect(left, top, left + w, top + h), Point(0, 0));
        return;
    }
    if (!context) return;
    const Point from(size.left + handle.x - 1, size.top + handle.y);
    const Point centre(size.left + (size.right - size.left) / 2 - 1,
                       size.top + (size.bottom - size.top) / 2);
    context->setFrameColor(handleColor);
    context->moveTo(from);
    context->lineTo(centre);
    context->setFrameColor(shadowHandleColor);
    context->moveTo(Point(from.x + 1, from.y - 1));
    context->lineTo(Point(centre.x + 1, centre.y - 1));
}

void Knob::setHandleInset(int32_t newInset) { inset = newInset; }

void Knob::setHandleColor(const Color& color) {
    handleColor = color;
    setDirty(true);
}

void Knob::setHandleShadowColor(const Color& color) {
    shadowHandleColor = color;
    setDirty(true);
}

void Knob::setHandleBitmap(Bitmap* bitmap) {
    // Retain before releasing: the new bitmap may be the one held, with no other reference.
    if (bitmap) bitmap->retain();
    if (handleBitmap) handleBitmap->release();
    handleBitmap = bitmap;
    if (bitmap) inset = insetFor(bitmap);
}

void Knob::setFineFactor(float factor) { fineFactor = factor; }
float Knob::getFineFactor() const { return fineFactor; }

// ---- Input -----------------------------------------------------------------------------------

void Knob::notifyIfDirty(DrawContext* context) {
    if (listener && isDirty()) listener->valueChanged(context, this);
}

void Knob::mouse(DrawContext* context, const Point& clicked) {
    if (!mouseEnabled || !context) return;
    ButtonState state = context->getMouseButtons();
    if (!(state & kLButton)) return;

    // Control-click, and only with nothing else held, restores the default.
    if (state == (kLButton | kControl)) {
        value = defaultValue;
        notifyIfDirty(context);
        return;
    }

    drag.begin(clicked, state);
    Frame* frame = parentFrame;
    if (frame && frame->dragsFollowMessages()) {
        frame->trackDrag(&drag);  // moved and ended by the window's messages from here on
        return;
    }
    Point where = clicked;
    do {
        state = context->getMouseButtons();
        if (drag.move(context, where, state) && drag.closed()) break;
        context->getMouseLocation(where);
        runEditorIdle();
    } while ((state & kLButton) && !drag.closed());
    drag.end();  // may destroy this knob
}

void Knob::Drag::linearStep(ButtonState buttons) {
    range = (buttons & kShift) ? knob.fineFactor * kDragPixels : static_cast<float>(kDragPixels);
    step = (knob.vmax - knob.vmin) / range;
}

void Knob::Drag::begin(const Point& clicked, ButtonState state) {
    const int32_t knobMode = knob.parentFrame ? knob.parentFrame->getKnobMode() : 0;
    const bool alt = (state & kAlt) != 0;
    linear = knobMode == kLinearKnobMode ? !alt : alt;

    first = clicked;
    range = kDragPixels;
    step = 0.0f;
    startValue = knob.value;
    previous = 0.0f;
    jumpLimit = 0.0f;
    if (linear) {
        linearStep(state);
    } else {
        previous = knob.pointToValue(clicked - knob.size.topLeft());
        jumpLimit = (knob.vmax - knob.vmin) * 0.5f;
    }

    // The host may close the editor from its idle or automation callback while we track the
    // mouse: this knob and its frame stay alive until the drag has ended (the frame is then
    // closed, and the drag ends at once), so that the host still gets its endEdit.
    frame = knob.parentFrame;
    editTag = knob.tag;
    knob.retain();
    if (frame) {
        frame->retain();
        frame->beginEdit(editTag);
        frame->setFocusView(&knob);
    }
    last = Point(-1, -1);
    lastState = state;
}

bool Knob::Drag::closed() const { return frame && !frame->isOpen(); }

bool Knob::Drag::move(DrawContext* context, const Point& where, ButtonState state) {
    if (where == last) return false;
    last = where;
    if (linear) {
        const int32_t d = (where.x - first.x) + (first.y - where.y);
        if (state != lastState) {
            // Shift changed: new sensitivity from here on, the value does not jump.
            const float oldStep = step;
            linearStep(state);
            startValue += (oldStep - step) * d;
            lastState = state;
        }
        knob.value = startValue + d * step;
        knob.clampValue();
    } else {
        const float v = knob.pointToValue(where - knob.size.topLeft());
        knob.value = v;
        // Crossing the gap pins the value at the end it came from.
        if (previous - v > jumpLimit)
            knob.value = knob.vmax;
        else if (v - previous > jumpLimit)
            knob.value = knob.vmin;
        else
            previous = v;
    }
    knob.notifyIfDirty(context);
    return true;
}

void Knob::Drag::end() {
    Frame* ending = frame;
    frame = nullptr;
    Knob& self = knob;
    if (ending) {
        ending->endEdit(editTag);
        ending->release();  // may destroy the frame, and with it our frame's reference to us
    }
    self.release();  // last: may destroy this knob, and this drag with it
}

bool Knob::onWheel(DrawContext* context, const Point&, float distance) {
    if (!mouseEnabled) return false;
    float change = distance * wheelStep;
    if (context && (context->getMouseButtons() & kShift)) change *= 0.1f;
    value += change;
    clampValue();
    notifyIfDirty(context);
    return true;
}

int32_t Knob::onKeyDown(KeyCode& key) {
    float direction;
    switch (key.virt) {
        case kVKeyLeft:
        case kVKeyDown: direction = -1.0f; break;
        case kVKeyUp:
        case kVKeyRight: direction = 1.0f; break;
        default: return -1;
    }
    float change = direction * wheelStep;
    if (key.modifier & kModifierShift) change *= 0.1f;
    value += change;
    clampValue();
    notifyIfDirty(nullptr);
    return 1;
}
