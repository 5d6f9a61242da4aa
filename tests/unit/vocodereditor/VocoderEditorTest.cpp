// The vocoder panel: its control table, the display texts, both directions of the parameter
// binding, the begin-edit / automate / end-edit order of a drag, and its life cycle in a host
// window of the stand-in (without a window on Windows, where the real-window checks are made
// by host_editor_session).

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "graphics/Bitmap.h"
#include "graphics/DrawContext.h"
#ifndef _WIN32
#include "platform_double/PlatformDouble.h"
#endif
#include "graphics/platform/raster/RasterControls.h"
#include "toolkit/FilmStripKnob.h"
#include "toolkit/ToggleButton.h"
#include "unit/graphics/Surface.h"
#include "unit/vocodereditor/EditorFixture.h"

EditorHost* currentHost = nullptr;

namespace {

struct Place {
    int32_t index;
    Rect knob, display;
    float defaultValue;
};
const Place kTable[] = {
    {0, {276, 68, 308, 100}, {311, 76, 359, 92}, 0.8f},
    {1, {276, 124, 308, 156}, {311, 132, 359, 148}, 0.0f},
    {2, {276, 184, 308, 216}, {311, 191, 359, 207}, 0.0f},
    {3, {276, 240, 308, 272}, {311, 247, 359, 263}, 0.0f},
    {4, {276, 296, 308, 328}, {311, 303, 359, 319}, 0.0f},
    {5, {276, 352, 308, 384}, {311, 359, 359, 375}, 0.8f},
    {6, {24, 64, 56, 96}, {16, 100, 64, 116}, 1.0f},
    {7, {88, 64, 120, 96}, {80, 100, 128, 116}, 0.25f},
    {8, {144, 64, 176, 96}, {136, 100, 184, 116}, 0.1f},
    {9, {208, 64, 240, 96}, {200, 100, 248, 116}, 0.1f},
    {10, {24, 144, 56, 176}, {16, 180, 64, 196}, 0.5f},
    {11, {144, 144, 176, 176}, {136, 180, 184, 196}, 0.1f},
    {12, {208, 144, 240, 176}, {200, 180, 248, 196}, 0.1f},
    {13, {192, 244, 224, 276}, {184, 279, 232, 295}, 1.0f},
    {15, {20, 264, 52, 296}, {12, 299, 60, 315}, 0.25f},
    {16, {92, 264, 124, 296}, {84, 299, 132, 315}, 0.1f},
    {17, {20, 336, 52, 368}, {12, 371, 60, 387}, 0.1f},
    {18, {92, 336, 124, 368}, {84, 371, 132, 387}, 0.5f},
    {20, {192, 332, 224, 364}, {184, 367, 232, 383}, 1.0f},
};

TEST(VocoderEditor, ExistsFromConstructionWithItsRectangleButNoWindow) {
    OpenEditor fx;
    ASSERT_NE(fx.editor, nullptr);
    EXPECT_EQ(fx.record->flags, effFlagsHasEditor | effFlagsCanMono | effFlagsCanReplacing);
    ERect* rect = nullptr;
    EXPECT_EQ(fx.dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 412);
    EXPECT_EQ(rect->right, 368);
    EXPECT_EQ(fx.frame(), nullptr);
    EXPECT_FALSE(fx.editor->isOpened());
    // Parameter changes before open have nothing to move.
    fx.set(7, 0.6f);
    fx.set(14, 1.0f);
    EXPECT_EQ(fx.editor->getKnob(7), nullptr);
    EXPECT_EQ(fx.frame(), nullptr);
}

// Natively (the X11 layer and its test double) a panel cannot live without a parent window.
#ifndef _WIN32
TEST(VocoderEditor, ANullParentIsRefusedAndLeavesNothingOpen) {
    OpenEditor fx;
    EXPECT_EQ(fx.dispatch(effEditOpen, 0, 0, nullptr), 0);
    EXPECT_FALSE(fx.editor->isOpened());
    EXPECT_EQ(fx.frame(), nullptr);
    // The host may then give a real window.
    EXPECT_EQ(fx.open(), 1);
    EXPECT_NE(fx.window(), nullptr);
}
#endif

TEST(VocoderEditor, OpeningBuildsThe39ControlsInTableOrder) {
    OpenEditor fx;
    fx.set(7, 0.6f);  // set before open: the knob starts there
    Frame::setProcessKnobMode(0);
    EXPECT_EQ(fx.open(), 1);
    ASSERT_NE(fx.frame(), nullptr);
    EXPECT_TRUE(fx.editor->isOpened());
    EXPECT_EQ(fx.frame()->getKnobMode(), 2);
    EXPECT_EQ(fx.frame()->getBackground(), fx.editor->getBackgroundBitmap());
    EXPECT_EQ(fx.frame()->getSize(), Rect(0, 0, 368, 412));
    ASSERT_EQ(fx.frame()->getViewCount(), 39);

    int32_t position = 0;
    for (const Place& place : kTable) {
        SCOPED_TRACE(place.index);
        auto* knob = dynamic_cast<FilmStripKnob*>(fx.frame()->getView(position++));
        ASSERT_NE(knob, nullptr);
        EXPECT_EQ(knob, fx.editor->getKnob(place.index));
        EXPECT_EQ(knob->getTag(), place.index);
        EXPECT_EQ(knob->getSize(), place.knob);
        EXPECT_EQ(knob->getDefaultValue(), place.defaultValue);
        EXPECT_EQ(knob->getValue(), fx.get(place.index));
        EXPECT_EQ(knob->getFineFactor(), 100.0f);
        EXPECT_TRUE(knob->getTransparency());
        EXPECT_EQ(knob->getFrameCount(), 101);
        EXPECT_EQ(knob->getFrameHeight(), 32);
        EXPECT_EQ(knob->getListener(), fx.editor);
        ASSERT_NE(knob->getBackground(), nullptr);
        EXPECT_EQ(knob->getBackground()->height, 3232);

        auto* display = dynamic_cast<ValueDisplay*>(fx.frame()->getView(position++));
        ASSERT_NE(display, nullptr);
        EXPECT_EQ(display, fx.editor->getDisplay(place.index));
        EXPECT_EQ(display->getTag(), 0);
        EXPECT_EQ(display->getListener(), nullptr);
        EXPECT_EQ(display->getSize(), place.display);
        EXPECT_EQ(display->getValue(), fx.get(place.index));
        EXPECT_FALSE(display->getTransparency());
        EXPECT_EQ(display->getFont(), 3);
        EXPECT_EQ(display->getTextStyle(), 1);
        EXPECT_EQ(display->getFontColor(), Color(255, 255, 255, 0));
        EXPECT_EQ(display->getBackColor(), Color(0, 0, 0, 0));

        if (place.index == 13) {
            auto* toggle = dynamic_cast<ToggleButton*>(fx.frame()->getView(position++));
            ASSERT_NE(toggle, nullptr);
            EXPECT_EQ(toggle, fx.editor->getSwitch());
            EXPECT_EQ(toggle->getTag(), 14);
            EXPECT_EQ(toggle->getSize(), Rect(132, 227, 148, 243));
            EXPECT_EQ(toggle->getDefaultValue(), 0.0f);
            EXPECT_FALSE(toggle->getTransparency());
            ASSERT_NE(toggle->getBackground(), nullptr);
            EXPECT_EQ(toggle->getBackground()->height, 32);
        }
    }
    EXPECT_EQ(fx.editor->getKnob(7)->getValue(), 0.6f);
    EXPECT_EQ(fx.editor->getKnob(19), nullptr);
    EXPECT_EQ(fx.editor->getKnob(14), nullptr);
    // The strip and switch pictures are held by the controls alone.
    EXPECT_EQ(fx.editor->getKnob(0)->getBackground()->getRefCount(), 19);
    EXPECT_EQ(fx.editor->getSwitch()->getBackground()->getRefCount(), 1);
}

TEST(VocoderEditor, DisplaysWriteEachParametersTextInItsExactFormat) {
    OpenEditor fx;
    fx.open();
    struct Case {
        int32_t index;
        float value;
        const char* text;
    };
    const Case cases[] = {
        {0, 0.5f, "-36.0  dB"}, {0, 0.0f, "-96.0  dB"}, {5, 1.0f, "24.0  dB"},
        {1, 0.8f, "0.0  dB"},   {6, 0.5f, "0.500 "},    {6, 1.0f, "1.000 "},
        {7, 0.5f, "101 "},      {7, 0.25f, "51 "},      {7, 1.0f, "201 "},
        {15, 0.0f, "1 "},       {8, 0.5f, "0.250 "},    {16, 0.5f, "0.250 "},
        {16, 0.1f, "0.050 "},   {9, 0.5f, "0.50 e-4"},  {17, 0.5f, "0.50 e-4"},
        {17, 0.1f, "0.10 e-4"}, {10, 0.5f, "0.3 "},     {18, 1.0f, "0.7 "},
        {11, 0.5f, "10.0 ms"},  {11, 0.1f, "2.0 ms"},   {12, 0.5f, "250.0 ms"},
        {12, 0.1f, "50.0 ms"},  {13, 0.5f, "50.0 %"},   {20, 1.0f, "100.0 %"},
    };
    for (const Case& c : cases) {
        fx.set(c.index, c.value);
        EXPECT_EQ(fx.text(c.index), c.text) << c.index << " at " << c.value;
    }
}

TEST(VocoderEditor, HostChangesMoveTheMatchingControlsOnly) {
    OpenEditor fx;
    fx.open();
    FilmStripKnob* knob = fx.editor->getKnob(3);
    fx.dispatch(effEditIdle);
    fx.set(3, 0.7f);
    EXPECT_EQ(knob->getValue(), 0.7f);
    EXPECT_EQ(fx.editor->getDisplay(3)->getValue(), 0.7f);
    EXPECT_TRUE(knob->isDirty());
    fx.set(14, 0.3f);
    EXPECT_EQ(fx.editor->getSwitch()->getValue(), 0.3f);

    // Index 19 and indices outside the table move nothing.
    std::vector<float> before;
    for (int32_t i = 0; i < fx.frame()->getViewCount(); i++)
        before.push_back(static_cast<Control*>(fx.frame()->getView(i))->getValue());
    fx.set(19, 0.9f);
    fx.set(-1, 0.9f);
    fx.set(21, 0.9f);
    for (int32_t i = 0; i < fx.frame()->getViewCount(); i++)
        EXPECT_EQ(static_cast<Control*>(fx.frame()->getView(i))->getValue(), before[i]) << i;

    // Programs re-apply every value, and the controls follow.
    fx.dispatch(effSetProgram, 0, 1);
    EXPECT_EQ(knob->getValue(), fx.get(3));
}

TEST(VocoderEditor, ClosedEditorIgnoresChangesAndReopensWithCurrentValues) {
    OpenEditor fx;
    fx.open();
    fx.close();
    EXPECT_EQ(fx.frame(), nullptr);
    EXPECT_FALSE(fx.editor->isOpened());
    EXPECT_EQ(fx.editor->getKnob(7), nullptr);
    // The controls are gone: these must not reach them.
    fx.set(7, 0.9f);
    fx.set(14, 1.0f);
    fx.set(19, 1.0f);
    fx.open();
    EXPECT_EQ(fx.editor->getKnob(7)->getValue(), 0.9f);
    EXPECT_EQ(fx.editor->getSwitch()->getValue(), 1.0f);
    EXPECT_EQ(fx.text(7), "181 ");
}

TEST(VocoderEditor, HostParameterThreadRacingOpenAndCloseNeverReachesFreedControls) {
    OpenEditor fx;
    std::atomic<bool> stop(false);
    std::atomic<int> changes(0);
    std::thread automation([&] {
        for (uint32_t i = 0; !stop.load(); i++) {
            fx.set(static_cast<int32_t>(i % 21), static_cast<float>(i % 100) / 100.0f);
            changes.fetch_add(1);
        }
    });
    for (int cycle = 0; cycle < 100; cycle++) {
        fx.open();
        while (changes.load() < cycle * 4) std::this_thread::yield();  // let them overlap
        fx.close();
    }
    stop = true;
    automation.join();
    EXPECT_EQ(fx.frame(), nullptr);
    fx.open();
    fx.set(3, 0.25f);
    EXPECT_EQ(fx.editor->getKnob(3)->getValue(), 0.25f);
}

#ifndef _WIN32
TEST(VocoderEditor, KnobDragIsBracketedByBeginAndEndEditAroundTheAutomation) {
    OpenEditor fx;
    fx.open();
    platform::testdouble::dispatchPending();  // first paint
    EXPECT_EQ(fx.get(7), 0.25f);
    // Knob 7 at (88, 64, 120, 96): press on its centre and go up 200 pixels.
    fx.scriptFrom(104, 80);
    fx.scriptMove(104, -120, kLButton, 20);
    fx.press(104, 80, kLButton);
    EXPECT_EQ(fx.get(7), 1.0f);
    EXPECT_EQ(fx.text(7), "201 ");
    EXPECT_EQ(fx.editor->getKnob(7)->getValue(), 1.0f);

    const std::vector<HostCall>& calls = fx.host.calls;
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(calls.front().index, 7);
    EXPECT_EQ(calls.back().opcode, audioMasterEndEdit);
    EXPECT_EQ(calls.back().index, 7);
    for (size_t i = 1; i + 1 < calls.size(); i++) {
        EXPECT_EQ(calls[i].opcode, audioMasterAutomate) << i;
        EXPECT_EQ(calls[i].index, 7);
    }
    EXPECT_EQ(calls[calls.size() - 2].value, 1.0f);
    EXPECT_GT(fx.host.idleCalls, 20);  // the host kept its idle time during the drag

    // Control-click: back to the default, one automation, no edit bracket.
    fx.host.calls.clear();
    fx.press(104, 80, kLButton | kControl);
    EXPECT_EQ(fx.get(7), 0.25f);
    EXPECT_EQ(fx.text(7), "51 ");
    ASSERT_EQ(fx.host.calls.size(), 1u);
    EXPECT_EQ(fx.host.calls[0].opcode, audioMasterAutomate);
    EXPECT_EQ(fx.host.calls[0].index, 7);
    EXPECT_EQ(fx.host.calls[0].value, 0.25f);
}

// The host's knob mode reaches the panel's knobs, and Alt drags in the other mode: with the
// host's circular mode, Alt gives the linear drag; with the panel's own linear mode, circular.
TEST(VocoderEditor, AltDragsInTheOtherModeOfTheHostsKnobMode) {
    OpenEditor fx;
    fx.open();
    platform::testdouble::dispatchPending();
    // Knob 7 at (88, 64, 120, 96), value 0.25. From its centre straight up 100 pixels: linear
    // adds half the range, circular points the knob at twelve o'clock, the middle.
    auto dragUp = [&fx](ButtonState held) {
        fx.set(7, 0.25f);
        fx.scriptFrom(104, 80);
        fx.scriptMove(104, -20, held, 10);
        fx.press(104, 80, held);
        return fx.get(7);
    };
    ASSERT_EQ(fx.dispatch(effSetEditKnobMode, 0, 0), 1);  // circular
    EXPECT_NEAR(dragUp(kLButton | kAlt), 0.75f, 1e-5);
    EXPECT_NEAR(dragUp(kLButton), 0.5f, 0.02);
    ASSERT_EQ(fx.dispatch(effSetEditKnobMode, 0, 2), 1);  // linear
    EXPECT_NEAR(dragUp(kLButton), 0.75f, 1e-5);
    EXPECT_NEAR(dragUp(kLButton | kAlt), 0.5f, 0.02);
}

TEST(VocoderEditor, HostClosingTheEditorDuringADragEndsItWithPairedEdits) {
    // Closed from the host's idle callback, then from its automation callback.
    for (int viaAutomate = 0; viaAutomate < 2; viaAutomate++) {
        OpenEditor fx;
        fx.open();
        platform::testdouble::dispatchPending();  // first paint
        fx.scriptFrom(104, 80);
        fx.scriptMove(104, -120, kLButton, 20);
        if (viaAutomate)
            fx.host.closeAtAutomate = 3;
        else
            fx.host.closeAtIdle = 5;
        fx.press(104, 80, kLButton);
        EXPECT_EQ(fx.frame(), nullptr) << viaAutomate;
        EXPECT_FALSE(fx.editor->isOpened());
        // The drag stopped where the host closed the editor.
        EXPECT_LT(fx.host.script.next, fx.host.script.steps.size()) << viaAutomate;

        const std::vector<HostCall>& calls = fx.host.calls;
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls.front().opcode, audioMasterBeginEdit);
        EXPECT_EQ(calls.back().opcode, audioMasterEndEdit);
        EXPECT_EQ(calls.back().index, 7);
        int ends = 0;
        for (const HostCall& call : calls) ends += call.opcode == audioMasterEndEdit;
        EXPECT_EQ(ends, 1);

        // The editor opens again and works.
        EXPECT_EQ(fx.open(), 1);
        fx.set(7, 0.5f);
        EXPECT_EQ(fx.editor->getKnob(7)->getValue(), 0.5f);
    }
}

TEST(VocoderEditor, HostClosingTheEditorDuringASwitchClickStillReportsTheClick) {
    OpenEditor fx;
    fx.open();
    platform::testdouble::dispatchPending();
    fx.host.closeAtIdle = 1;
    fx.press(140, 235, kLButton);
    EXPECT_EQ(fx.frame(), nullptr);
    EXPECT_EQ(fx.get(14), 1.0f);
    ASSERT_EQ(fx.host.calls.size(), 1u);
    EXPECT_EQ(fx.host.calls[0].opcode, audioMasterAutomate);
    EXPECT_EQ(fx.host.calls[0].index, 14);
}

TEST(VocoderEditor, SwitchClicksSendOnThenOff) {
    OpenEditor fx;
    fx.open();
    fx.press(140, 235, kLButton);
    EXPECT_EQ(fx.get(14), 1.0f);
    ASSERT_EQ(fx.host.calls.size(), 1u);
    EXPECT_EQ(fx.host.calls[0].opcode, audioMasterAutomate);
    EXPECT_EQ(fx.host.calls[0].index, 14);
    EXPECT_EQ(fx.host.calls[0].value, 1.0f);
    fx.press(140, 235, kLButton);
    EXPECT_EQ(fx.get(14), 0.0f);
    EXPECT_EQ(fx.host.calls.back().value, 0.0f);
    fx.press(140, 235, kRButton);
    EXPECT_EQ(fx.get(14), 0.0f);
    EXPECT_EQ(fx.host.calls.size(), 2u);
}

TEST(VocoderEditor, HostSetParameterRedrawsTheKnobWithItsStripPictureAtTheNextIdle) {
    OpenEditor fx;
    fx.open();
    platform::testdouble::dispatchPending();  // the first paint
    fx.dispatch(effEditIdle);
    fx.set(0, 0.5f);
    platform::HDc window = platform::testdouble::windowSurface(fx.window());
    // Knob 0 at (276, 68): not yet redrawn.
    Surface frame50(32, 32, 0xFFFFFF);
    {
        Bitmap* strip = new Bitmap(129);
        DrawContext context(frame50.dc, nullptr);
        strip->draw(&context, Rect(0, 0, 32, 32), Point(0, 50 * 32));
        strip->release();
    }
    auto matches = [&]() {
        int compared = 0;
        for (int y = 0; y < 32; y++)
            for (int x = 0; x < 32; x++) {
                const platform::ColorRef want = frame50.at(x, y);
                if (want == 0xFFFFFF) continue;  // the strip's key colour leaves the panel
                compared++;
                if (platform::GetPixel(window, 276 + x, 68 + y) != want) return false;
            }
        return compared > 200;
    };
    EXPECT_FALSE(matches());
    fx.dispatch(effEditIdle);
    EXPECT_TRUE(matches());
    EXPECT_FALSE(fx.editor->getKnob(0)->isDirty());
}

TEST(VocoderEditor, DestroyingTheEffectWithTheEditorOpenTakesTheWindowDown) {
    const int32_t oleBefore = platform::testdouble::oleDepth();
    platform::WindowHandle window;
    {
        OpenEditor fx;
        fx.open();
        window = fx.window();
        ASSERT_TRUE(platform::testdouble::isLiveWindow(window));
        EXPECT_EQ(Frame::windowClassUseCount(), 1);
        delete fx.effect;  // effClose without effEditClose
        fx.effect = nullptr;
        EXPECT_FALSE(platform::testdouble::isLiveWindow(window));
        EXPECT_EQ(Frame::windowClassUseCount(), 0);
        EXPECT_EQ(platform::testdouble::oleDepth(), oleBefore);
        // Messages still queued for the window find no frame.
        platform::testdouble::dispatchPending();
    }
}

TEST(VocoderEditor, RepeatedOpenAndCloseLeavesNothingBehind) {
    OpenEditor fx;
    const auto objectsBefore = platform::raster::objectCounts();
    const int32_t oleBefore = platform::testdouble::oleDepth();
    for (int i = 0; i < 50; i++) {
        fx.open();
        platform::testdouble::dispatchPending();
        fx.set(i % 21, 0.5f);
        fx.dispatch(effEditIdle);
        fx.close();
    }
    const auto objectsAfter = platform::raster::objectCounts();
    EXPECT_EQ(objectsAfter.liveBitmaps(), objectsBefore.liveBitmaps());
    EXPECT_EQ(objectsAfter.livePens(), objectsBefore.livePens());
    EXPECT_EQ(objectsAfter.liveBrushes(), objectsBefore.liveBrushes());
    EXPECT_EQ(objectsAfter.liveFonts(), objectsBefore.liveFonts());
    EXPECT_EQ(objectsAfter.liveDcs(), objectsBefore.liveDcs());
    EXPECT_EQ(platform::testdouble::oleDepth(), oleBefore);
    EXPECT_EQ(Frame::windowClassUseCount(), 0);
    int live = 0;
    for (platform::WindowHandle child : platform::testdouble::childWindows(fx.hostWindow))
        live += platform::testdouble::isLiveWindow(child);
    EXPECT_EQ(live, 0);
    EXPECT_EQ(fx.editor->getBackgroundBitmap()->getRefCount(), 1);

    // Opening twice without a close keeps one window, not two.
    fx.open();
    fx.open();
    live = 0;
    for (platform::WindowHandle child : platform::testdouble::childWindows(fx.hostWindow))
        live += platform::testdouble::isLiveWindow(child);
    EXPECT_EQ(live, 1);
}

TEST(VocoderEditor, TwoInstancesWithOpenEditorsAreIndependent) {
    OpenEditor first, second;
    first.open();
    second.open();
    EXPECT_EQ(Frame::windowClassUseCount(), 2);
    currentHost = &first.host;
    first.set(7, 1.0f);
    EXPECT_EQ(first.text(7), "201 ");
    EXPECT_EQ(second.text(7), "51 ");
    first.close();
    EXPECT_EQ(Frame::windowClassUseCount(), 1);
    currentHost = &second.host;
    second.press(140, 235, kLButton);
    EXPECT_EQ(second.get(14), 1.0f);
    EXPECT_EQ(first.get(14), 0.0f);
}

#endif

TEST(VocoderEditor, ControlsReachTheEffectOnlyWithAParameterTag) {
    OpenEditor fx;
    fx.open();
    ToggleButton control(Rect(0, 0, 16, 16), fx.editor, 9, nullptr);
    control.setValue(0.75f);
    fx.editor->valueChanged(nullptr, &control);
    EXPECT_EQ(fx.get(9), 0.75f);
    EXPECT_EQ(fx.editor->getKnob(9)->getValue(), 0.75f);  // moved through parameterChanged
    ASSERT_EQ(fx.host.calls.size(), 1u);
    EXPECT_EQ(fx.host.calls[0].opcode, audioMasterAutomate);
    EXPECT_EQ(fx.host.calls[0].index, 9);
    for (int32_t tag : {21, -1, 1000}) {
        control.setTag(tag);
        control.setValue(0.2f);
        fx.editor->valueChanged(nullptr, &control);
    }
    EXPECT_EQ(fx.host.calls.size(), 1u);
    EXPECT_EQ(fx.get(9), 0.75f);
}

}  // namespace
