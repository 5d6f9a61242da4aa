#include <gtest/gtest.h>

#include "unit/toolkit/RecordingView.h"

TEST(View, HitTestAndOverlapIncludeAllFourEdges) {
    View view(Rect(10, 20, 30, 40));
    EXPECT_TRUE(view.hitTest(Point(10, 20), kLButton));
    EXPECT_TRUE(view.hitTest(Point(30, 40), kLButton));  // right and bottom edge hit
    EXPECT_TRUE(view.hitTest(Point(30, 20), -1));        // the button state plays no part
    EXPECT_FALSE(view.hitTest(Point(31, 30), kLButton));
    EXPECT_FALSE(view.hitTest(Point(20, 41), kLButton));
    EXPECT_FALSE(view.hitTest(Point(9, 30), kLButton));
    EXPECT_FALSE(view.hitTest(Point(20, 19), kLButton));

    EXPECT_TRUE(view.overlaps(Rect(30, 40, 50, 50)));  // touching corners overlap
    EXPECT_TRUE(view.overlaps(Rect(0, 0, 10, 20)));
    EXPECT_TRUE(view.overlaps(Rect(0, 0, 100, 100)));
    EXPECT_FALSE(view.overlaps(Rect(31, 20, 50, 40)));
    EXPECT_FALSE(view.overlaps(Rect(0, 0, 9, 100)));
    EXPECT_FALSE(view.overlaps(Rect(10, 41, 30, 60)));
    EXPECT_FALSE(view.overlaps(Rect(10, 0, 30, 19)));
}

TEST(View, ViewSizeMarksDirtyButMouseAreaChangesNeitherDirtNorHits) {
    View view(Rect(0, 0, 10, 10));
    view.setMouseArea(Rect(100, 100, 200, 200));
    Rect area;
    EXPECT_EQ(view.getMouseArea(area), Rect(100, 100, 200, 200));
    EXPECT_FALSE(view.isDirty());
    EXPECT_TRUE(view.hitTest(Point(5, 5), 0));
    EXPECT_FALSE(view.hitTest(Point(150, 150), 0));

    view.setViewSize(Rect(50, 50, 60, 60));
    EXPECT_TRUE(view.isDirty());
    EXPECT_TRUE(view.hitTest(Point(60, 60), 0));
    EXPECT_FALSE(view.hitTest(Point(5, 5), 0));
}

TEST(View, UpdateDrawsOnlyADirtyViewAndCleansIt) {
    std::vector<ViewEvent> log;
    RecordingView view(Rect(0, 0, 10, 10), &log);
    view.update(nullptr);
    EXPECT_TRUE(log.empty());

    view.setDirty(true);
    view.update(nullptr);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].what, "draw");
    EXPECT_FALSE(view.isDirty());

    // drawRect ignores its rectangle and draws the whole view, which cleans it.
    view.setDirty(true);
    view.drawRect(nullptr, Rect(0, 0, 1, 1));
    EXPECT_FALSE(view.isDirty());
    EXPECT_EQ(log.back().what, "draw");
}

TEST(View, TheLastReleaseDestroysTheView) {
    int destroyed = 0;
    auto* view = new RecordingView(Rect(0, 0, 1, 1), nullptr, -1, false, &destroyed);
    view->retain();
    EXPECT_EQ(view->getRefCount(), 2);
    view->release();
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(view->getRefCount(), 1);
    view->release();
    EXPECT_EQ(destroyed, 1);
}
