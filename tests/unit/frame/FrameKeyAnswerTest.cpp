// What the frame answers the X11 layer about keys over its window: whether a view holds the
// key focus (only then is a key offered to the panel), and whether the key offered was used
// (else it goes on to the host's window).

// On the native stand-in only: the Windows builds link the real window layer.
#ifndef _WIN32

#include <gtest/gtest.h>

#include "graphics/platform/Window.h"
#include "platform_double/PlatformDouble.h"
#include "toolkit/Frame.h"
#include "toolkit/View.h"

using namespace platform;

namespace {

// Takes the arrow keys only, as a knob does.
class ArrowView : public View {
public:
    explicit ArrowView(const Rect& size) : View(size) {}
    int32_t onKeyDown(KeyCode& key) override { return key.virt >= 11 && key.virt <= 14 ? 1 : -1; }
};

struct FrameKeys : ::testing::Test {
    void SetUp() override {
        host = testdouble::createHostWindow(300, 200, 400, 450);
        frame = new Frame(Rect(0, 0, 368, 412), host, nullptr);
        view = new ArrowView(Rect(10, 10, 50, 50));
        frame->addView(view);
    }
    void TearDown() override {
        delete frame;
        testdouble::destroyHostWindow(host);
    }
    intptr_t send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
        return testdouble::sendMessage(frame->getWindow(), message, wParam, lParam);
    }
    WindowHandle host = nullptr;
    Frame* frame = nullptr;
    ArrowView* view = nullptr;
};

}  // namespace

TEST_F(FrameKeys, TheFocusQueryFollowsTheFocusViewAndAKeyAnswersWhetherItWasUsed) {
    ASSERT_NE(frame->getWindow(), nullptr);
    EXPECT_EQ(send(kMessageKeyFocus), 0);
    frame->setFocusView(view);
    EXPECT_EQ(send(kMessageKeyFocus), 1);

    EXPECT_EQ(send(kMessageKey, 12), 1);      // Up: used
    EXPECT_EQ(send(kMessageKey, 7, ' '), 0);  // Space: nobody takes it, the host's
    EXPECT_EQ(send(kMessageKey, 0, 'a'), 0);  // a character: the host's

    frame->setFocusView(nullptr);
    EXPECT_EQ(send(kMessageKeyFocus), 0);
}

#endif
