// A knob's drag where the platform feeds it with the window's pointer messages (X11), here on
// the test double switched to that mode: the press returns at once, the moves and the release
// arrive as messages, and every way out ends the host's edit.

// On the native stand-in only: the Windows builds link the real window layer.
#ifndef _WIN32

#include <gtest/gtest.h>

#include "platform_double/PlatformDouble.h"
#include "toolkit/Frame.h"
#include "toolkit/Knob.h"
#include "unit/frame/FrameTestSupport.h"

using namespace platform;

namespace {

struct DragMessages : ::testing::Test {
    void SetUp() override {
        followed = testdouble::setDragsFollowMessages(true);
        testdouble::releaseAllKeys();
        host = testdouble::createHostWindow(300, 200, 400, 450);
        editor = new FrameTestEditor(&effect);
        frame = new Frame(Rect(0, 0, 368, 412), host, editor);
        editor->setFrame(frame);
        Frame::setProcessKnobMode(2);  // linear drags
        knob = new Knob(Rect(88, 64, 120, 96), nullptr, 7, nullptr, nullptr, Point(0, 0));
        knob->setValue(0.25f);
        frame->addView(knob);
        FrameHost::calls().clear();
    }
    void TearDown() override {
        if (frame) {
            editor->setFrame(nullptr);
            frame->markClosed();
            frame->release();
        }
        testdouble::destroyHostWindow(host);
        testdouble::releaseAllKeys();
        testdouble::setDragsFollowMessages(followed);
    }
    void send(uint32_t message, int x, int y) {
        testdouble::sendMessage(frame->getWindow(), message, 0, testdouble::pointParam(x, y));
    }
    std::vector<int32_t> opcodes() const {
        std::vector<int32_t> seen;
        for (const FrameHost::Call& c : FrameHost::calls()) seen.push_back(c.opcode);
        return seen;
    }

    bool followed = false;
    WindowHandle host = nullptr;
    FrameTestEffect effect;
    FrameTestEditor* editor = nullptr;
    Frame* frame = nullptr;
    Knob* knob = nullptr;
};

}  // namespace

TEST_F(DragMessages, ThePressReturnsAndTheMovesAndTheReleaseDriveTheDrag) {
    ASSERT_TRUE(frame->dragsFollowMessages());
    testdouble::setKeyDown(kVkLButton, true);
    send(kMessageLeftButtonDown, 104, 80);
    EXPECT_EQ(opcodes(), std::vector<int32_t>{audioMasterBeginEdit});

    send(kMessageMouseMove, 104, 40);  // 40 pixels up of 200 for the range
    EXPECT_FLOAT_EQ(knob->getValue(), 0.45f);
    // Another press while the drag lasts starts nothing.
    send(kMessageLeftButtonDown, 104, 80);
    EXPECT_EQ(opcodes(), std::vector<int32_t>{audioMasterBeginEdit});
    EXPECT_FLOAT_EQ(knob->getValue(), 0.45f);
    // Left of the window the coordinates are negative, not 65000-odd: the value goes down.
    send(kMessageMouseMove, -16, 0);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f + ((-16 - 104) + (80 - 0)) / 200.0f);

    testdouble::setKeyDown(kVkLButton, false);
    send(kMessageLeftButtonUp, -16, 0);
    EXPECT_EQ(opcodes(), (std::vector<int32_t>{audioMasterBeginEdit, audioMasterEndEdit}));
    EXPECT_EQ(FrameHost::calls().back().index, 7);
    const float after = knob->getValue();
    send(kMessageMouseMove, 104, 0);  // after the end: nothing follows
    EXPECT_FLOAT_EQ(knob->getValue(), after);
    EXPECT_EQ(testdouble::outstandingWindowDCs(), 0);
}

TEST_F(DragMessages, AMoveWithTheButtonUpEndsTheDragAsTheReleaseWould) {
    testdouble::setKeyDown(kVkLButton, true);
    send(kMessageLeftButtonDown, 104, 80);
    testdouble::setKeyDown(kVkLButton, false);  // the release itself was missed
    send(kMessageMouseMove, 104, 60);
    EXPECT_EQ(opcodes(), (std::vector<int32_t>{audioMasterBeginEdit, audioMasterEndEdit}));
}

TEST_F(DragMessages, ClosingTheEditorOrLosingTheWindowDuringADragEndsTheEdit) {
    testdouble::setKeyDown(kVkLButton, true);
    send(kMessageLeftButtonDown, 104, 80);
    send(kMessageMouseMove, 104, 70);
    editor->setFrame(nullptr);
    frame->markClosed();
    EXPECT_EQ(opcodes().back(), audioMasterEndEdit);
    frame->release();
    frame = nullptr;

    // A new frame whose window the host destroys in the middle of a drag.
    frame = new Frame(Rect(0, 0, 368, 412), host, editor);
    editor->setFrame(frame);
    knob = new Knob(Rect(88, 64, 120, 96), nullptr, 7, nullptr, nullptr, Point(0, 0));
    frame->addView(knob);
    FrameHost::calls().clear();
    send(kMessageLeftButtonDown, 104, 80);
    testdouble::sendMessage(frame->getWindow(), kMessageDestroy, 0, 0);
    EXPECT_EQ(opcodes(), (std::vector<int32_t>{audioMasterBeginEdit, audioMasterEndEdit}));
}

#endif
