// The knob's angle mapping, its drags (linear, fine, circular), the reset gesture, keys and
// wheel, and the film strip's choice of picture. The drags run the knob's real polling loop
// against the stand-in's mouse, one scripted step per pass.

#include <gtest/gtest.h>

#include <cmath>

#include "graphics/Bitmap.h"
#include "graphics/DrawContext.h"
#include "platform_double/PlatformDouble.h"
#include "toolkit/FilmStripKnob.h"
#include "toolkit/Frame.h"
#include "toolkit/Knob.h"
#include "unit/controls/ControlTestSupport.h"
#include "unit/graphics/Surface.h"

namespace {

#ifndef _WIN32
const int32_t kLinear = 2;
const int32_t kCircular = 0;

struct KnobBench : ::testing::Test {
    KnobBench() : editor(&script), frame(Rect(0, 0, 400, 400), nullptr, &editor) {
        platform::testdouble::releaseAllKeys();
        Frame::setProcessKnobMode(kLinear);
    }
    ~KnobBench() override {
        platform::testdouble::releaseAllKeys();
        Frame::setProcessKnobMode(0);
    }

    Knob* addKnob(const Rect& rect, float value) {
        Knob* knob = new Knob(rect, &listener, 7, nullptr, nullptr, Point(0, 0));
        knob->setValue(value);
        frame.addView(knob);
        return knob;
    }

    // Presses at `at` with `held` and lets the knob track the script until it is used up.
    void press(Knob* knob, const Point& at, ButtonState held) {
        applyMouse(at.x, at.y, held);
        knob->setDirty(false);  // as the frame leaves it after drawing
        DrawContext context(nullptr, nullptr);
        knob->mouse(&context, at);
    }

    MouseScript script;
    ScriptedEditor editor;
    Frame frame;
    RecordingListener listener;
};

#endif

TEST(KnobGeometry, DefaultSweepRunsClockwiseFromLowerLeftToLowerRight) {
    Knob knob(Rect(0, 0, 32, 32), nullptr, 0, nullptr, nullptr, Point(0, 0));
    EXPECT_EQ(knob.getHandleInset(), 3);
    Point p;
    knob.setValue(0.0f);
    knob.valueToPoint(p);
    EXPECT_EQ(p, Point(7, 25));  // lower left
    knob.setValue(0.5f);
    knob.valueToPoint(p);
    EXPECT_EQ(p, Point(16, 3));  // straight up
    knob.setValue(1.0f);
    knob.valueToPoint(p);
    EXPECT_EQ(p, Point(25, 25));  // lower right
    knob.setValue(0.25f);
    knob.valueToPoint(p);
    EXPECT_LT(p.x, 16);  // upper left on the way up: clockwise
    EXPECT_LT(p.y, 16);
    knob.setValue(0.75f);
    knob.valueToPoint(p);
    EXPECT_GT(p.x, 16);
    EXPECT_LT(p.y, 16);
}

TEST(KnobGeometry, PointToValueInvertsValueToPointAndSplitsTheGap) {
    Knob knob(Rect(0, 0, 400, 400), nullptr, 0, nullptr, nullptr, Point(0, 0));
    for (float v = 0.0f; v <= 1.0f; v += 0.125f) {
        knob.setValue(v);
        Point p;
        knob.valueToPoint(p);
        EXPECT_NEAR(knob.pointToValue(p), v, 0.005) << v;
    }
    // Below the centre the gap: the right half belongs to the maximum, the left to the minimum.
    EXPECT_EQ(knob.pointToValue(Point(210, 390)), 1.0f);
    EXPECT_EQ(knob.pointToValue(Point(190, 390)), 0.0f);

    // A counter-clockwise sweep maps the other way round.
    knob.setStartAngle(-0.7853982f);
    knob.setRangeAngle(4.712389f);
    EXPECT_NEAR(knob.pointToValue(Point(200, 0)), 0.5f, 0.005);
    EXPECT_EQ(knob.pointToValue(Point(210, 390)), 0.0f);
    EXPECT_EQ(knob.pointToValue(Point(190, 390)), 1.0f);
}

#ifndef _WIN32
TEST_F(KnobBench, LinearDragOf200PixelsSpansTheRangeAndDiagonalsCountTwice) {
    Knob* knob = addKnob(Rect(100, 100, 132, 132), 0.0f);
    script.from(116, 116);
    script.moveTo(216, 116, kLButton, 10);  // 100 px right
    script.moveTo(316, 116, kLButton, 10);
    press(knob, Point(116, 116), kLButton);
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
    ASSERT_GE(listener.values.size(), 20u);
    EXPECT_NEAR(listener.values[9], 0.5f, 1e-6);
    for (size_t i = 1; i < listener.values.size(); i++)
        EXPECT_GT(listener.values[i], listener.values[i - 1]);

    // Up counts like right; further movement is clamped.
    knob->setValue(0.0f);
    listener.values.clear();
    script.clear();
    script.from(116, 116);
    script.moveTo(116, -84, kLButton, 20);
    script.moveTo(116, -400, kLButton, 4);
    press(knob, Point(116, 116), kLButton);
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
    EXPECT_NEAR(listener.values[9], 0.5f, 1e-6);

    // Up and right together: 50 px each way is half the range.
    knob->setValue(0.0f);
    script.clear();
    script.from(116, 116);
    script.moveTo(166, 66, kLButton, 5);
    press(knob, Point(116, 116), kLButton);
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-6);

    // Left and down lower it, down to the minimum.
    script.clear();
    script.from(116, 116);
    script.moveTo(16, 216, kLButton, 5);
    press(knob, Point(116, 116), kLButton);
    EXPECT_EQ(knob->getValue(), 0.0f);
}

TEST_F(KnobBench, ShiftDragUsesTheFineFactorAndChangingShiftMidDragDoesNotJump) {
    Knob* knob = addKnob(Rect(100, 100, 132, 132), 0.0f);
    knob->setFineFactor(100.0f);
    script.from(116, 116);
    script.moveTo(10116, 116, kLButton | kShift, 50);
    press(knob, Point(116, 116), kLButton | kShift);
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-4);  // 10,000 of 20,000 pixels
    script.clear();
    script.from(116, 116);
    script.moveTo(20116, 116, kLButton | kShift, 50);
    knob->setValue(0.0f);
    press(knob, Point(116, 116), kLButton | kShift);
    EXPECT_NEAR(knob->getValue(), 1.0f, 1e-4);

    // Plain 100 px, then shift for 100 px, then plain again for 50 px.
    knob->setValue(0.0f);
    listener.values.clear();
    script.clear();
    script.from(116, 116);
    script.moveTo(216, 116, kLButton, 10);
    script.add(216, 116, kLButton | kShift);
    script.moveTo(316, 116, kLButton | kShift, 10);
    script.add(316, 116, kLButton);
    script.moveTo(366, 116, kLButton, 5);
    press(knob, Point(116, 116), kLButton);
    EXPECT_NEAR(knob->getValue(), 0.5f + 0.005f + 0.25f, 1e-4);
    // No step between two reports is larger than one plain 10-pixel move.
    for (size_t i = 1; i < listener.values.size(); i++)
        EXPECT_LE(std::fabs(listener.values[i] - listener.values[i - 1]), 0.05f + 1e-5f) << i;
    // The fine stretch moved the value by 0.005 in ten reports.
    auto at = [&](float v) {
        for (float each : listener.values)
            if (std::fabs(each - v) < 1e-4f) return true;
        return false;
    };
    EXPECT_TRUE(at(0.5f));
    EXPECT_TRUE(at(0.505f));
}

TEST_F(KnobBench, CircularDragFollowsTheAngleAndPinsAtTheGap) {
    Frame::setProcessKnobMode(kCircular);
    Knob* knob = addKnob(Rect(0, 0, 100, 100), 0.5f);
    knob->setValue(knob->pointToValue(Point(50, 5)));  // the click itself changes nothing
    script.add(95, 50, kLButton);                      // three o'clock
    script.add(82, 82, kLButton);                      // the end of the sweep
    script.add(55, 95, kLButton);                      // in the gap, maximum side
    script.add(45, 95, kLButton);                      // across the gap: stays at the maximum
    script.add(18, 82, kLButton);                      // the minimum's end: still pinned
    script.add(12, 20, kLButton);  // upper left, more than half the range away: pinned
    script.add(60, 2, kLButton);   // just right of the top: within half the range again
    press(knob, Point(50, 5), kLButton);
    ASSERT_GE(listener.values.size(), 3u);
    EXPECT_NEAR(listener.values[0], 0.8333f, 0.01);
    const float back = listener.values.back();
    EXPECT_NEAR(back, 0.5437f, 0.01);
    EXPECT_EQ(knob->getValue(), back);
    bool reachedMax = false;
    for (float v : listener.values) {
        if (v == 1.0f) reachedMax = true;
        if (reachedMax && v != 1.0f) {
            EXPECT_EQ(v, back);
        }
    }
    EXPECT_TRUE(reachedMax);

    // Alt swaps the modes: linear here.
    knob->setValue(0.0f);
    script.clear();
    script.from(50, 5);
    script.moveTo(150, 5, kLButton | kAlt, 5);
    press(knob, Point(50, 5), kLButton | kAlt);
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-6);
}

TEST_F(KnobBench, ControlClickResetsOnlyWithExactlyLeftAndControl) {
    Knob* knob = addKnob(Rect(100, 100, 132, 132), 0.9f);
    knob->setDefaultValue(0.25f);
    press(knob, Point(116, 116), kLButton | kControl);
    EXPECT_EQ(knob->getValue(), 0.25f);
    EXPECT_EQ(listener.values, std::vector<float>{0.25f});
    EXPECT_EQ(editor.idleCalls, 0);  // no drag loop
    EXPECT_EQ(frame.getFocusView(), nullptr);

    // Already at the default: nothing to report.
    knob->setDirty(false);
    press(knob, Point(116, 116), kLButton | kControl);
    EXPECT_EQ(listener.values.size(), 1u);

    // With anything else held it is a drag, not a reset.
    knob->setValue(0.9f);
    press(knob, Point(116, 116), kLButton | kControl | kShift);
    EXPECT_EQ(knob->getValue(), 0.9f);
    EXPECT_GT(editor.idleCalls, 0);
    EXPECT_EQ(frame.getFocusView(), knob);

    // Without the left button nothing happens at all.
    const int before = editor.idleCalls;
    press(knob, Point(116, 116), kRButton | kControl);
    press(knob, Point(116, 116), kMButton);
    EXPECT_EQ(knob->getValue(), 0.9f);
    EXPECT_EQ(editor.idleCalls, before);

    knob->setMouseEnabled(false);
    press(knob, Point(116, 116), kLButton | kControl);
    EXPECT_EQ(knob->getValue(), 0.9f);
}

TEST_F(KnobBench, ArrowKeysAndWheelStepTheValueWithinItsRange) {
    Knob* knob = addKnob(Rect(100, 100, 132, 132), 0.5f);
    KeyCode up{0, 12, 0}, right{0, 13, 0}, down{0, 14, 0}, left{0, 11, 0};
    KeyCode shiftUp{0, 12, 1}, other{0, 20, 0};
    EXPECT_EQ(knob->onKeyDown(up), 1);
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-6);
    EXPECT_EQ(listener.contexts.back(), nullptr);
    knob->onKeyDown(right);
    EXPECT_NEAR(knob->getValue(), 0.7f, 1e-6);
    knob->onKeyDown(down);
    knob->onKeyDown(left);
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-6);
    knob->onKeyDown(shiftUp);
    EXPECT_NEAR(knob->getValue(), 0.51f, 1e-6);
    EXPECT_EQ(knob->onKeyDown(other), -1);
    EXPECT_NEAR(knob->getValue(), 0.51f, 1e-6);
    for (int i = 0; i < 8; i++) knob->onKeyDown(up);
    EXPECT_EQ(knob->getValue(), 1.0f);
    const size_t reports = listener.values.size();
    knob->setDirty(false);
    knob->onKeyDown(up);  // clamped: no change, no report
    EXPECT_EQ(listener.values.size(), reports);

    // Keys do not look at the mouse flag; the wheel does.
    DrawContext context(nullptr, nullptr);
    knob->setMouseEnabled(false);
    EXPECT_EQ(knob->onKeyDown(down), 1);
    EXPECT_NEAR(knob->getValue(), 0.9f, 1e-6);
    EXPECT_FALSE(knob->onWheel(&context, Point(), 1.0f));
    knob->setMouseEnabled(true);
    EXPECT_TRUE(knob->onWheel(&context, Point(), -2.0f));
    EXPECT_NEAR(knob->getValue(), 0.7f, 1e-6);
    applyMouse(0, 0, kShift);
    knob->onWheel(&context, Point(), 1.0f);
    EXPECT_NEAR(knob->getValue(), 0.71f, 1e-6);
    applyMouse(0, 0, 0);
    knob->onWheel(&context, Point(), -50.0f);
    EXPECT_EQ(knob->getValue(), 0.0f);
}

#endif

TEST(Knob, HandleBitmapReplacedByItselfStaysAlive) {
    useOwnModule();
    Bitmap* handle = new Bitmap(130);
    ASSERT_GT(handle->width, 0);
    Knob knob(Rect(0, 0, 32, 32), nullptr, 0, nullptr, handle, Point(0, 0));
    handle->release();  // the knob's reference is the only one now
    ASSERT_EQ(handle->getRefCount(), 1);
    knob.setHandleBitmap(handle);
    EXPECT_EQ(handle->getRefCount(), 1);
    EXPECT_EQ(knob.getHandleInset(), static_cast<int32_t>(handle->width * 0.5 + 2.5));
    knob.setHandleBitmap(nullptr);  // and dropping it still frees it exactly once
}

TEST(FilmStripKnob, ValueSelectsThePictureSnappedToFrameBoundaries) {
    FilmStripKnob knob(Rect(0, 0, 32, 32), nullptr, 0, 101, 32, nullptr, Point(0, 0));
    EXPECT_EQ(knob.getHandleInset(), 0);
    auto offsetFor = [&](float v) {
        knob.setValue(v);
        return knob.stripOffset();
    };
    EXPECT_EQ(offsetFor(0.0f), 0);
    EXPECT_EQ(offsetFor(0.5f), 50 * 32);
    EXPECT_EQ(offsetFor(1.0f), 100 * 32);
    EXPECT_EQ(offsetFor(-0.3f), 0);
    EXPECT_EQ(offsetFor(0.999f), 99 * 32);
    EXPECT_EQ(offsetFor(0.255f), 25 * 32);  // 816 is half way into picture 25
    EXPECT_EQ(offsetFor(0.3f), 30 * 32);
    EXPECT_EQ(offsetFor(1.7f), 100 * 32);  // beyond the range: the last picture, no further
    knob.setInverse(true);
    EXPECT_EQ(offsetFor(1.0f), 0);
    EXPECT_EQ(offsetFor(0.0f), 100 * 32);
}

TEST(FilmStripKnob, DrawsTheChosenPictureOfTheStrip) {
    useOwnModule();
    Bitmap* strip = new Bitmap(129);
    ASSERT_EQ(strip->height, 3232);
    FilmStripKnob knob(Rect(10, 20, 42, 52), nullptr, 0, 101, 32, strip, Point(0, 0));
    strip->release();  // the knob holds its own reference
    EXPECT_EQ(strip->getRefCount(), 1);

    Surface drawn(64, 64), expected(64, 64);
    for (float v : {0.0f, 0.5f, 1.0f}) {
        DrawContext onDrawn(drawn.dc, nullptr);
        DrawContext onExpected(expected.dc, nullptr);
        knob.setValue(v);
        EXPECT_TRUE(knob.isDirty());
        knob.draw(&onDrawn);
        EXPECT_FALSE(knob.isDirty());
        strip->draw(&onExpected, Rect(10, 20, 42, 52),
                    Point(0, static_cast<int32_t>(v * 100) * 32));
        EXPECT_EQ(drawn.pixels(), expected.pixels()) << v;
    }
    // Different values really give different pictures.
    Surface other(64, 64);
    {
        DrawContext onOther(other.dc, nullptr);
        knob.setValue(0.0f);
        knob.draw(&onOther);
    }
    EXPECT_NE(other.pixels(), drawn.pixels());
}

}  // namespace
