// The control base's dirty rule, clamping and bitmap ownership; the value display's texts,
// colours and borders; the on/off button's pictures and clicks.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "graphics/Bitmap.h"
#include "graphics/DrawContext.h"
#include "platform_double/PlatformDouble.h"
#include "toolkit/Frame.h"
#include "toolkit/ToggleButton.h"
#include "toolkit/ValueDisplay.h"
#include "unit/controls/ControlTestSupport.h"
#include "unit/graphics/Surface.h"

namespace {

std::string shown(const ValueDisplay& display) {
    char text[ValueDisplay::kTextBufferSize];
    display.formatValue(text);
    return text;
}

TEST(Control, ValueChangesMakeItDirtyAndDrawingCleansIt) {
    ToggleButton control(Rect(0, 0, 16, 16), nullptr, 3, nullptr);
    EXPECT_TRUE(control.isDirty());  // never drawn: old value 1, value 0
    Surface surface(16, 16);
    DrawContext context(surface.dc, nullptr);
    control.draw(&context);
    EXPECT_FALSE(control.isDirty());
    control.setValue(0.0f);
    EXPECT_FALSE(control.isDirty());  // the same value changes nothing
    control.setValue(0.4f);
    EXPECT_TRUE(control.isDirty());
    control.setDirty(false);
    EXPECT_EQ(control.getOldValue(), 0.4f);
    control.setDirty(true);
    EXPECT_TRUE(control.isDirty());

    // A forced redraw must work for every value, -1 included.
    control.setValue(-1.0f);
    control.setDirty(false);
    control.setDirty(true);
    EXPECT_TRUE(control.isDirty());
    EXPECT_NE(control.getOldValue(), -1.0f);
}

TEST(Control, ClampValueKeepsTheValueInsideTheRange) {
    ToggleButton control(Rect(0, 0, 16, 16), nullptr, 3, nullptr);
    control.setValue(1.5f);
    control.clampValue();
    EXPECT_EQ(control.getValue(), 1.0f);
    control.setValue(-0.5f);
    control.clampValue();
    EXPECT_EQ(control.getValue(), 0.0f);
    control.setValue(0.3f);
    control.clampValue();
    EXPECT_EQ(control.getValue(), 0.3f);
    control.setMin(2.0f);  // min above max: the upper test wins
    control.setMax(1.0f);
    control.setValue(1.5f);
    control.clampValue();
    EXPECT_EQ(control.getValue(), 1.0f);
}

TEST(Control, HoldsOneReferenceOnItsBackground) {
    useOwnModule();
    Bitmap* first = new Bitmap(130);
    Bitmap* second = new Bitmap(130);
    {
        ToggleButton control(Rect(0, 0, 16, 16), nullptr, 3, first);
        EXPECT_EQ(first->getRefCount(), 2);
        control.setBackground(first);  // the same bitmap again must survive the swap
        EXPECT_EQ(first->getRefCount(), 2);
        control.setBackground(second);
        EXPECT_EQ(first->getRefCount(), 1);
        EXPECT_EQ(second->getRefCount(), 2);
    }
    EXPECT_EQ(second->getRefCount(), 1);
    first->release();
    second->release();
}

TEST(ValueDisplay, TextComesFromTheConverterOrTwoDecimals) {
    ValueDisplay display(Rect(0, 0, 48, 16), nullptr, 0);
    display.setValue(0.5f);
    EXPECT_EQ(shown(display), "0.50");
    display.setValue(1.0f);
    EXPECT_EQ(shown(display), "1.00");
    display.setValueToText([](float v, char* text) { std::sprintf(text, "plain %.1f", v); });
    EXPECT_EQ(shown(display), "plain 1.0");
    static int data = 42;
    display.setValueToTextWithData(
        [](float v, char* text, void* user) {
            std::sprintf(text, "data %d %.1f", *static_cast<int*>(user), v);
        },
        &data);
    EXPECT_EQ(shown(display), "data 42 1.0");  // the converter with data wins
}

TEST(ValueDisplay, SettersMarkDirtyOnlyForVisibleChanges) {
    ValueDisplay display(Rect(0, 0, 48, 16), nullptr, 0);
    display.setDirty(false);
    display.setFontColor(Color(255, 255, 255, 9));  // differs from white only in the 4th byte
    EXPECT_FALSE(display.isDirty());
    EXPECT_EQ(display.getFontColor().unused, 9);
    display.setBackColor(Color(0, 0, 1, 0));
    EXPECT_TRUE(display.isDirty());
    display.setDirty(false);
    display.setFont(3);
    display.setTextStyle(0);
    display.setStyle(0);
    display.setTextAlign(1);
    EXPECT_FALSE(display.isDirty());
    display.setTextStyle(1);
    EXPECT_TRUE(display.isDirty());

    ValueDisplay hidden(Rect(0, 0, 48, 16), nullptr, ValueDisplay::kNoDrawStyle);
    EXPECT_FALSE(hidden.isDirty());  // created clean
}

struct DisplayCanvas : ::testing::Test {
    DisplayCanvas() : surface(80, 40, rgb(200, 0, 200)) {}
    // Draws a display at (10, 10, 58, 26) with the given style: blue back, green frame.
    ValueDisplay* drawn(int32_t style, bool transparent = false) {
        display = new ValueDisplay(Rect(10, 10, 58, 26), nullptr, style);
        display->setValue(0.5f);
        display->setTransparency(transparent);
        display->setBackColor(Color(0, 0, 255));
        display->setFrameColor(Color(0, 255, 0));
        DrawContext context(surface.dc, nullptr);
        display->draw(&context);
        return display;
    }
    ~DisplayCanvas() override {
        if (display) display->release();
    }
    Surface surface;
    ValueDisplay* display = nullptr;
};

const platform::ColorRef kBlue = 0xFF0000;
const platform::ColorRef kGreen = 0x00FF00;
const platform::ColorRef kWhite = 0xFFFFFF;
const platform::ColorRef kRed = 0x0000FF;

TEST_F(DisplayCanvas, PlainStyleFillsAndFramesTheBoxAndWritesTheText) {
    drawn(0);
    EXPECT_FALSE(display->isDirty());
    EXPECT_EQ(surface.at(10, 10), kGreen);
    EXPECT_EQ(surface.at(58, 26), kGreen);  // right and bottom edges included
    EXPECT_EQ(surface.at(30, 10), kGreen);
    EXPECT_EQ(surface.at(11, 12), kBlue);
    EXPECT_EQ(surface.at(9, 9), rgb(200, 0, 200));
    EXPECT_EQ(surface.at(59, 27), rgb(200, 0, 200));
    EXPECT_GT(surface.count(kWhite), 0);  // the text
    EXPECT_EQ(surface.count(kRed), 0);    // no shadow
}

TEST_F(DisplayCanvas, SunkenAndRaisedBordersReplaceTheFrame) {
    drawn(ValueDisplay::k3DIn);
    EXPECT_EQ(surface.at(10, 18), kBlue);   // left edge: back colour
    EXPECT_EQ(surface.at(30, 10), kBlue);   // top edge
    EXPECT_EQ(surface.at(58, 18), kGreen);  // right edge: frame colour
    EXPECT_EQ(surface.at(30, 26), kGreen);  // bottom edge
    display->release();
    display = nullptr;

    drawn(ValueDisplay::k3DOut);
    EXPECT_EQ(surface.at(10, 18), kGreen);
    EXPECT_EQ(surface.at(30, 10), kGreen);
    EXPECT_EQ(surface.at(58, 18), kBlue);
    EXPECT_EQ(surface.at(30, 26), kBlue);
}

TEST_F(DisplayCanvas, StyleBitsForShadowNoTextAndNoDrawing) {
    drawn(ValueDisplay::kShadowText);
    EXPECT_GT(surface.count(kRed), 0);
    EXPECT_GT(surface.count(kWhite), 0);
    display->release();
    display = nullptr;

    surface.fill(0, 0, 80, 40, rgb(200, 0, 200));
    drawn(ValueDisplay::kNoTextStyle);
    EXPECT_EQ(surface.count(kWhite), 0);
    EXPECT_EQ(surface.at(11, 12), kBlue);
    display->release();
    display = nullptr;

    surface.fill(0, 0, 80, 40, rgb(200, 0, 200));
    drawn(ValueDisplay::kNoDrawStyle);
    EXPECT_EQ(surface.count(rgb(200, 0, 200)), 80 * 40);
    EXPECT_FALSE(display->isDirty());
    display->release();
    display = nullptr;

    // Transparent without a bitmap: no fill, no frame, only the text.
    drawn(0, true);
    EXPECT_EQ(surface.at(10, 10), rgb(200, 0, 200));
    EXPECT_EQ(surface.at(11, 12), rgb(200, 0, 200));
    EXPECT_GT(surface.count(kWhite), 0);
}

TEST(ToggleButton, DrawsTheUpperPictureOnlyForExactlyZero) {
    useOwnModule();
    Bitmap* pictures = new Bitmap(130);
    ASSERT_EQ(pictures->height, 32);
    ToggleButton toggle(Rect(20, 20, 36, 36), nullptr, 14, pictures);
    Surface drawn(64, 64), expected(64, 64);
    auto compare = [&](float value, int32_t sourceY) {
        DrawContext onDrawn(drawn.dc, nullptr);
        DrawContext onExpected(expected.dc, nullptr);
        toggle.setValue(value);
        toggle.draw(&onDrawn);
        pictures->draw(&onExpected, Rect(20, 20, 36, 36), Point(0, sourceY));
        return drawn.pixels() == expected.pixels();
    };
    EXPECT_TRUE(compare(0.0f, 0));
    EXPECT_TRUE(compare(0.3f, 16));
    EXPECT_TRUE(compare(1.0f, 16));
    EXPECT_FALSE(compare(1.0f, 0));  // the two pictures differ
    pictures->release();
}

#ifndef _WIN32
struct SwitchBench : ::testing::Test {
    SwitchBench() : editor(&script), frame(Rect(0, 0, 100, 100), nullptr, &editor) {
        platform::testdouble::releaseAllKeys();
        pictures = new Bitmap(130);
        toggle = new ToggleButton(Rect(20, 20, 36, 36), &listener, 14, pictures);
        frame.addView(toggle);
    }
    ~SwitchBench() override {
        platform::testdouble::releaseAllKeys();
        pictures->release();
    }
    void click(ButtonState held) {
        applyMouse(28, 28, held);
        DrawContext context(nullptr, nullptr);
        frame.mouse(&context, Point(28, 28));
        platform::testdouble::releaseAllKeys();
    }
    MouseScript script;
    ScriptedEditor editor;
    Frame frame;
    RecordingListener listener;
    Bitmap* pictures;
    ToggleButton* toggle;
};

TEST_F(SwitchBench, LeftClicksToggleAndAnyNonZeroValueCountsAsOff) {
    toggle->setValue(0.3f);
    click(kLButton);
    EXPECT_EQ(toggle->getValue(), 1.0f);
    EXPECT_EQ(listener.values, std::vector<float>{1.0f});
    EXPECT_EQ(listener.tags, std::vector<int32_t>{14});
    EXPECT_EQ(editor.idleCalls, 1);
    click(kLButton | kShift | kControl);
    EXPECT_EQ(toggle->getValue(), 0.0f);
    click(kRButton);
    click(kMButton);
    EXPECT_EQ(toggle->getValue(), 0.0f);
    EXPECT_EQ(listener.values.size(), 2u);
    toggle->setValue(-2.5f);
    click(kLButton);
    EXPECT_EQ(toggle->getValue(), 0.0f);
    EXPECT_EQ(listener.values.size(), 3u);  // reported even without a visible change
    toggle->setValue(std::nanf(""));
    click(kLButton);
    EXPECT_EQ(toggle->getValue(), 0.0f);
    toggle->setMouseEnabled(false);
    click(kLButton);
    EXPECT_EQ(listener.values.size(), 4u);
}

#endif

}  // namespace
