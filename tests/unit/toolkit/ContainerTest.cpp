// The child-list contract and the dispatch order, on a frame without a window.

#include <gtest/gtest.h>

#include "toolkit/Frame.h"
#include "unit/toolkit/RecordingView.h"

#ifndef _WIN32
#include "graphics/platform/Gdi.h"
#include "platform_double/PlatformDouble.h"
#endif

namespace {

struct Container : ::testing::Test {
    std::vector<ViewEvent> log;  // outlives the frame, whose children note their removal
    Frame frame{Rect(0, 0, 200, 200), nullptr, nullptr};

    RecordingView* add(const Rect& size, int32_t keyAnswer = -1, bool dropAnswer = false,
                       int* destroyed = nullptr) {
        auto* view = new RecordingView(size, &log, keyAnswer, dropAnswer, destroyed);
        EXPECT_TRUE(frame.addView(view));
        log.clear();  // tests look at what happens after the views are in place
        return view;
    }
    std::vector<std::string> events() const {
        std::vector<std::string> out;
        for (const auto& e : log) out.push_back(e.what);
        return out;
    }
};

}  // namespace

TEST_F(Container, AddTakesOverTheReferenceAndAttachesTheView) {
    RecordingView* view = add(Rect(0, 0, 10, 10));
    EXPECT_EQ(view->getRefCount(), 1);
    EXPECT_EQ(view->getParentFrame(), &frame);
    EXPECT_EQ(view->attachedTo, &frame);
    EXPECT_TRUE(frame.isChild(view));
    EXPECT_EQ(frame.getViewCount(), 1);
    EXPECT_EQ(frame.getView(0), view);
    EXPECT_EQ(frame.getView(1), nullptr);
    EXPECT_EQ(frame.getView(-1), nullptr);
}

TEST_F(Container, TheListGrowsPastItsFirstTwentyEntriesInOrder) {
    std::vector<View*> views;
    for (int i = 0; i < 45; i++) views.push_back(add(Rect(i, 0, i + 1, 1)));
    ASSERT_EQ(frame.getViewCount(), 45);
    for (int i = 0; i < 45; i++) EXPECT_EQ(frame.getView(i), views[i]) << i;
}

TEST_F(Container, RemovalKeepsTheOrderOfTheOthers) {
    int destroyed = 0;
    RecordingView* a = add(Rect(0, 0, 1, 1));
    RecordingView* b = add(Rect(0, 0, 1, 1), -1, false, &destroyed);
    RecordingView* c = add(Rect(0, 0, 1, 1));
    b->retain();  // kept alive by the test to check what it was told
    EXPECT_TRUE(frame.removeView(b, true));
    EXPECT_EQ(b->removedFrom, &frame);
    EXPECT_EQ(b->getRefCount(), 1);
    EXPECT_EQ(b->getParentFrame(), &frame);  // never cleared by removal
    ASSERT_EQ(frame.getViewCount(), 2);
    EXPECT_EQ(frame.getView(0), a);
    EXPECT_EQ(frame.getView(1), c);

    // A view that is not a child changes nothing, and removal still answers true.
    EXPECT_TRUE(frame.removeView(b, true));
    EXPECT_EQ(b->getRefCount(), 1);
    EXPECT_EQ(frame.getViewCount(), 2);
    b->release();
    EXPECT_EQ(destroyed, 1);

    // Without release the caller keeps the view.
    frame.removeView(a, false);
    EXPECT_EQ(a->getRefCount(), 1);
    EXPECT_EQ(frame.getView(0), c);
    a->release();
}

TEST_F(Container, RemoveAllTellsTheFocusViewFirstAndReleasesEveryChild) {
    int destroyed = 0;
    RecordingView* a = add(Rect(0, 0, 1, 1), -1, false, &destroyed);
    add(Rect(0, 0, 1, 1), -1, false, &destroyed);
    frame.setFocusView(a);
    log.clear();
    EXPECT_TRUE(frame.removeAll(true));
    EXPECT_EQ(events(), (std::vector<std::string>{"focusLost", "removed", "removed"}));
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(frame.getViewCount(), 0);
    EXPECT_EQ(frame.getFocusView(), nullptr);
    // The list is usable again afterwards.
    add(Rect(0, 0, 1, 1));
    EXPECT_EQ(frame.getViewCount(), 1);
}

TEST_F(Container, DestroyingTheFrameDestroysChildrenItAloneHolds) {
    int destroyed = 0;
    auto* frameOnHeap = new Frame(Rect(0, 0, 10, 10), nullptr, nullptr);
    auto* held = new RecordingView(Rect(0, 0, 1, 1), nullptr, -1, false, &destroyed);
    auto* shared = new RecordingView(Rect(0, 0, 1, 1), nullptr, -1, false, &destroyed);
    frameOnHeap->addView(held);
    frameOnHeap->addView(shared);
    shared->retain();
    frameOnHeap->release();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(shared->getRefCount(), 1);
    shared->release();
    EXPECT_EQ(destroyed, 2);
}

TEST_F(Container, ClicksGoToTheLastAddedEnabledViewUnderThePoint) {
    RecordingView* below = add(Rect(0, 0, 50, 50));
    RecordingView* above = add(Rect(40, 40, 100, 100));
    RecordingView* disabled = add(Rect(0, 0, 200, 200));
    disabled->setMouseEnabled(false);

    frame.mouse(nullptr, Point(45, 45));    // both overlap here: the later one wins
    frame.mouse(nullptr, Point(50, 20));    // the first view's right edge, outside the second
    frame.mouse(nullptr, Point(30, 50));    // and its bottom edge
    frame.mouse(nullptr, Point(150, 150));  // only the disabled view: nobody
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].view, above);
    EXPECT_EQ(log[0].where, Point(45, 45));
    EXPECT_EQ(log[1].view, below);
    EXPECT_EQ(log[1].where, Point(50, 20));
    EXPECT_EQ(log[2].view, below);
    EXPECT_EQ(log[2].where, Point(30, 50));
}

TEST_F(Container, AClickTakesTheFocusAwayFirst) {
    RecordingView* focus = add(Rect(100, 100, 110, 110));
    RecordingView* target = add(Rect(0, 0, 10, 10));
    frame.setFocusView(focus);
    frame.mouse(nullptr, Point(5, 5));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].what, "focusLost");
    EXPECT_EQ(log[0].view, focus);
    EXPECT_EQ(log[1].view, target);
    EXPECT_EQ(frame.getFocusView(), nullptr);
}

TEST_F(Container, KeysGoToTheFocusViewThenChildrenFromTheLast) {
    RecordingView* first = add(Rect(0, 0, 1, 1), 7);
    RecordingView* second = add(Rect(0, 0, 1, 1), -1);
    RecordingView* third = add(Rect(0, 0, 1, 1), -1);
    KeyCode key{0, 0, 0};
    EXPECT_EQ(frame.onKeyDown(key), 7);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].view, third);
    EXPECT_EQ(log[1].view, second);
    EXPECT_EQ(log[2].view, first);

    log.clear();
    second->keyAnswer = 3;
    frame.setFocusView(first);
    EXPECT_EQ(frame.onKeyUp(key), 7);  // the focus view answers before the others
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].view, first);

    log.clear();
    first->keyAnswer = -1;
    EXPECT_EQ(frame.onKeyDown(key), 3);  // focus declined, then from the last: third, second
    EXPECT_EQ(log.size(), 3u);

    second->keyAnswer = -1;
    EXPECT_EQ(frame.onKeyUp(key), -1);
}

TEST_F(Container, RemovingTheFocusViewClearsTheFocus) {
    RecordingView* focus = add(Rect(0, 0, 10, 10));
    frame.setFocusView(focus);
    frame.removeView(focus, true);  // destroyed: the frame must not keep pointing at it
    EXPECT_EQ(frame.getFocusView(), nullptr);
    KeyCode key{0, 0, 0};
    EXPECT_EQ(frame.onKeyDown(key), -1);
    frame.mouse(nullptr, Point(5, 5));
    EXPECT_EQ(events(), std::vector<std::string>{"removed"});  // no focusLost to a dead view
}

TEST_F(Container, DropsGoToTheLastEnabledViewThatAcceptsAndNeverWhileAViewHasFocus) {
    RecordingView* accepting = add(Rect(0, 0, 50, 50), -1, true);
    RecordingView* refusing = add(Rect(0, 0, 50, 50), -1, false);
    RecordingView* disabled = add(Rect(0, 0, 50, 50), -1, true);
    disabled->setMouseEnabled(false);
    const char* path = "C:\\a.wav";
    void* items[1] = {const_cast<char*>(path)};

    EXPECT_TRUE(frame.onDrop(items, 1, 0, Point(50, 50)));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].view, refusing);
    EXPECT_EQ(log[1].view, accepting);
    EXPECT_EQ(accepting->dropped, std::vector<std::string>{"C:\\a.wav"});

    log.clear();
    EXPECT_FALSE(frame.onDrop(items, 1, 0, Point(51, 10)));  // outside every view
    EXPECT_TRUE(log.empty());

    frame.setFocusView(refusing);
    log.clear();
    EXPECT_FALSE(frame.onDrop(items, 1, 0, Point(10, 10)));
    EXPECT_TRUE(log.empty());
}

#ifndef _WIN32
// The wheel goes to the view under the cursor (not the given position), mouse-enabled or not.
TEST_F(Container, TheWheelGoesToTheLastViewUnderTheCursorEvenWhenMouseDisabled) {
    RecordingView* below = add(Rect(0, 0, 50, 50));
    RecordingView* above = add(Rect(20, 20, 60, 60));
    above->setMouseEnabled(false);

    platform::testdouble::setCursorPos(30,
                                       30);  // no window: the cursor stays in screen coordinates
    EXPECT_TRUE(frame.onWheel(nullptr, Point(5, 5), 2.5f));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].view, above);
    EXPECT_EQ(log[0].where, Point(30, 30));
    EXPECT_FLOAT_EQ(above->wheelDistance, 2.5f);

    platform::testdouble::setCursorPos(10, 50);
    EXPECT_TRUE(frame.onWheel(nullptr, Point(0, 0), -1.0f));
    EXPECT_EQ(log.back().view, below);

    log.clear();
    platform::testdouble::setCursorPos(61, 61);
    EXPECT_FALSE(frame.onWheel(nullptr, Point(30, 30), 1.0f));
    EXPECT_TRUE(log.empty());
}
#endif
