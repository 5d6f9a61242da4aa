// The frame on the native stand-in: window class, child window, messages, idle, drops and
// the release of every platform object.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "graphics/Bitmap.h"
#include "graphics/DrawContext.h"
#include "graphics/DropTarget.h"
#include "graphics/ModuleHandle.h"
#include "graphics/platform/Gdi.h"
#include "graphics/platform/raster/RasterControls.h"
#include "platform_double/PlatformDouble.h"
#include "toolkit/Frame.h"
#include "unit/frame/FrameTestSupport.h"

using namespace platform;

namespace {

constexpr platform::ColorRef kMarker = 0x00123456;

struct StandInFrame : ::testing::Test {
    void SetUp() override {
        platform::testdouble::releaseAllKeys();
        host = testdouble::createHostWindow(300, 200, 400, 450);
    }
    void TearDown() override {
        delete frame;
        if (background) background->release();
        platform::testdouble::releaseAllKeys();
        testdouble::destroyHostWindow(host);
    }
    // A panel-sized frame with the panel picture as background, inside the host window.
    void open(GuiEditorBase* editor = nullptr) {
        frame = new Frame(Rect(0, 0, 368, 412), host, editor);
        background = new Bitmap(128);
        frame->setBackground(background);
    }
    RecordingView* add(const Rect& size) {
        auto* view = new RecordingView(size, &log);
        frame->addView(view);
        return view;
    }
    int drawsOf(const View* view, const char* what) const {
        int n = 0;
        for (const auto& e : log) n += e.view == view && e.what == what;
        return n;
    }
    platform::ColorRef pixel(int x, int y) const {
        return platform::GetPixel(testdouble::windowSurface(frame->getWindow()), x, y);
    }

    std::vector<ViewEvent> log;
    WindowHandle host = nullptr;
    Frame* frame = nullptr;
    Bitmap* background = nullptr;
};

}  // namespace

TEST_F(StandInFrame, OneSharedClassIsRegisteredWhileAnyFrameHasAWindow) {
    void* savedInstance = moduleInstance;
    moduleInstance = reinterpret_cast<void*>(static_cast<uintptr_t>(0x1234abcd));
    int32_t registrations = testdouble::registerClassCalls();
    int32_t unregistrations = testdouble::unregisterClassCalls();
    WindowHandle otherHost = testdouble::createHostWindow(0, 0, 100, 100);

    auto* first = new Frame(Rect(0, 0, 368, 412), host, nullptr);
    auto* second = new Frame(Rect(0, 0, 50, 60), otherHost, nullptr);
    EXPECT_STREQ(Frame::windowClassName(), "Plugin1234abcd");
    EXPECT_EQ(testdouble::registerClassCalls(), registrations + 1);
    EXPECT_TRUE(testdouble::isClassRegistered("Plugin1234abcd"));
    EXPECT_EQ(testdouble::classStyle("Plugin1234abcd"), 0x4000u);
    EXPECT_EQ(Frame::windowClassUseCount(), 2);

    testdouble::WindowInfo info = testdouble::windowInfo(first->getWindow());
    EXPECT_EQ(info.className, "Plugin1234abcd");
    EXPECT_EQ(info.windowName, "Window");
    EXPECT_EQ(info.style, 0x50000000u);
    EXPECT_EQ(info.parent, host);
    EXPECT_EQ(info.x, 0);
    EXPECT_EQ(info.y, 0);
    EXPECT_EQ(info.width, 368);
    EXPECT_EQ(info.height, 412);
    EXPECT_EQ(info.instance, moduleInstance);
    EXPECT_EQ(getWindowUserData(first->getWindow()), first);
    EXPECT_EQ(testdouble::windowInfo(second->getWindow()).className, "Plugin1234abcd");
    EXPECT_EQ(testdouble::windowInfo(second->getWindow()).width, 50);

    WindowHandle firstWindow = first->getWindow();
    first->release();
    EXPECT_FALSE(testdouble::isLiveWindow(firstWindow));
    EXPECT_TRUE(testdouble::isClassRegistered("Plugin1234abcd"));
    EXPECT_EQ(testdouble::unregisterClassCalls(), unregistrations);
    second->release();
    EXPECT_FALSE(testdouble::isClassRegistered("Plugin1234abcd"));
    EXPECT_EQ(testdouble::unregisterClassCalls(), unregistrations + 1);
    EXPECT_EQ(Frame::windowClassUseCount(), 0);

    testdouble::destroyHostWindow(otherHost);
    moduleInstance = savedInstance;
}

TEST_F(StandInFrame, AWindowThatCannotBeCreatedDoesNotKeepTheClassRegistered) {
    WindowHandle gone = testdouble::createHostWindow(0, 0, 10, 10);
    testdouble::destroyHostWindow(gone);
    auto* orphan = new Frame(Rect(0, 0, 10, 10), gone, nullptr);
    EXPECT_EQ(orphan->getWindow(), nullptr);
    EXPECT_FALSE(orphan->isDropEnabled());
    EXPECT_EQ(Frame::windowClassUseCount(), 0);
    EXPECT_FALSE(testdouble::isClassRegistered(Frame::windowClassName()));
    orphan->release();
    EXPECT_EQ(Frame::windowClassUseCount(), 0);
}

TEST_F(StandInFrame, WithoutAParentWindowThereIsNoWindowAndNothingIsDrawn) {
    int32_t registrations = testdouble::registerClassCalls();
    int32_t oleDepth = testdouble::oleDepth();
    frame = new Frame(Rect(0, 0, 100, 100), nullptr, nullptr);
    RecordingView* view = add(Rect(0, 0, 10, 10));
    EXPECT_EQ(frame->getWindow(), nullptr);
    EXPECT_FALSE(frame->isDropEnabled());
    EXPECT_EQ(testdouble::registerClassCalls(), registrations);
    EXPECT_EQ(testdouble::oleDepth(), oleDepth + 1);  // the frame's own OLE pair
    view->setDirty(true);
    frame->redrawAll();
    EXPECT_FALSE(frame->idle());
    EXPECT_EQ(drawsOf(view, "draw"), 0);
    delete frame;
    frame = nullptr;
    EXPECT_EQ(testdouble::oleDepth(), oleDepth);
}

TEST_F(StandInFrame, APartialPaintRestoresOnlyTheDamagedBackgroundAndOverlappingChildren) {
    open();
    RecordingView* apart = add(Rect(0, 0, 9, 9));
    RecordingView* touching = add(Rect(50, 50, 60, 60));  // shares the corner (50, 50)
    RecordingView* inside = add(Rect(20, 20, 30, 30));
    RecordingView* right = add(Rect(51, 10, 60, 20));
    EXPECT_TRUE(frame->isFirstDrawPending());
    testdouble::dispatchPending();  // the first, full paint
    EXPECT_FALSE(frame->isFirstDrawPending());
    log.clear();

    // What the background looks like, drawn on a surface of its own.
    platform::HDc reference = platform::createRasterDC(368, 412);
    {
        DrawContext context(reference, nullptr);
        background->draw(&context, Rect(0, 0, 368, 412), Point(0, 0));
    }
    platform::HDc surface = testdouble::windowSurface(frame->getWindow());
    for (int y = 0; y < 412; y += 3)
        for (int x = 0; x < 368; x += 3) platform::SetPixel(surface, x, y, kMarker);

    testdouble::invalidate(frame->getWindow(), WindowRect{10, 10, 50, 50});
    testdouble::dispatchPending();

    int differing = 0;
    for (int y = 9; y <= 51; y += 3) {
        for (int x = 9; x <= 51; x += 3) {
            bool damaged = x >= 10 && x < 50 && y >= 10 && y < 50;
            platform::ColorRef expected = damaged ? platform::GetPixel(reference, x, y) : kMarker;
            EXPECT_EQ(pixel(x, y), expected) << x << "," << y;
            differing += damaged && expected != platform::GetPixel(reference, x - 10, y - 10);
        }
    }
    EXPECT_GT(differing, 0) << "the picture cannot tell the source offsets apart";
    platform::deleteRasterDC(reference);

    EXPECT_EQ(drawsOf(apart, "drawRect"), 0);
    EXPECT_EQ(drawsOf(right, "drawRect"), 0);
    EXPECT_EQ(drawsOf(touching, "drawRect"), 1);
    EXPECT_EQ(drawsOf(inside, "drawRect"), 1);
    EXPECT_EQ(inside->lastRect, Rect(10, 10, 50, 50));
    EXPECT_EQ(testdouble::outstandingPaints(), 0);
}

TEST_F(StandInFrame, IdleDrawsNothingBeforeTheFirstPaintAndOnlyDirtyViewsAfterIt) {
    open();
    RecordingView* dirty = add(Rect(0, 0, 10, 10));
    RecordingView* clean = add(Rect(20, 0, 30, 10));
    dirty->setDirty(true);
    EXPECT_FALSE(frame->idle());
    EXPECT_EQ(drawsOf(dirty, "draw"), 0);

    testdouble::dispatchPending();
    log.clear();
    dirty->setDirty(true);
    EXPECT_TRUE(frame->idle());
    EXPECT_EQ(drawsOf(dirty, "draw"), 1);
    EXPECT_EQ(drawsOf(clean, "draw"), 0);
    EXPECT_FALSE(dirty->isDirty());
    EXPECT_FALSE(frame->idle());  // nothing dirty any more
    EXPECT_EQ(log.size(), 1u);

    // A dirty frame draws everything once.
    frame->setDirty(true);
    EXPECT_TRUE(frame->idle());
    EXPECT_EQ(drawsOf(clean, "draw"), 1);
    EXPECT_FALSE(frame->isDirty());
    EXPECT_EQ(testdouble::outstandingWindowDCs(), 0);
}

TEST_F(StandInFrame, RedrawAllBeforeTheFirstPaintDrawsEverythingAndUnblocksIdle) {
    open();
    RecordingView* a = add(Rect(0, 0, 10, 10));
    RecordingView* b = add(Rect(20, 0, 30, 10));
    frame->redrawAll();
    EXPECT_EQ(drawsOf(a, "draw"), 1);
    EXPECT_EQ(drawsOf(b, "draw"), 1);
    EXPECT_FALSE(frame->isFirstDrawPending());
    // The background is on the window.
    platform::HDc reference = platform::createRasterDC(368, 412);
    {
        DrawContext context(reference, nullptr);
        background->draw(&context, Rect(0, 0, 368, 412), Point(0, 0));
    }
    EXPECT_EQ(pixel(200, 300), platform::GetPixel(reference, 200, 300));
    platform::deleteRasterDC(reference);

    b->setDirty(true);
    EXPECT_TRUE(frame->idle());
    EXPECT_EQ(drawsOf(b, "draw"), 2);
}

TEST_F(StandInFrame, EveryMouseButtonPressReachesTheViewUnderItWithClientCoordinates) {
    open();
    auto* target = new ButtonView(Rect(40, 40, 80, 80), &log);
    frame->addView(target);
    add(Rect(100, 100, 120, 120));
    testdouble::dispatchPending();
    log.clear();

    platform::testdouble::setKeyDown(platform::kVkRButton, true);
    testdouble::postMessage(frame->getWindow(), kMessageRightButtonDown, 0,
                            testdouble::pointParam(80, 55));
    testdouble::dispatchPending();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].view, target);
    EXPECT_EQ(log[0].where, Point(80, 55));
    EXPECT_EQ(target->buttons, kRButton);
    platform::testdouble::setKeyDown(platform::kVkRButton, false);

    platform::testdouble::setKeyDown(platform::kVkMButton, true);
    platform::testdouble::setKeyDown(platform::kVkControl, true);
    testdouble::postMessage(frame->getWindow(), kMessageMiddleButtonDown, 0,
                            testdouble::pointParam(40, 40));
    platform::testdouble::setKeyDown(platform::kVkLButton, true);
    testdouble::postMessage(frame->getWindow(), kMessageLeftButtonDown, 0,
                            testdouble::pointParam(41, 79));
    testdouble::dispatchPending();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1].where, Point(40, 40));
    EXPECT_EQ(log[2].where, Point(41, 79));
    EXPECT_EQ(target->buttons, kLButton | kMButton | kControl);

    // A press outside every view reaches none, and no device context stays out.
    testdouble::postMessage(frame->getWindow(), kMessageLeftButtonDown, 0,
                            testdouble::pointParam(300, 300));
    testdouble::dispatchPending();
    EXPECT_EQ(log.size(), 3u);
    EXPECT_EQ(testdouble::outstandingWindowDCs(), 0);
}

namespace {
// Records the keys and wheel turns it is given; answers keys only when asked to.
class InputView : public View {
public:
    InputView(const Rect& size, bool takesKeys) : View(size), takesKeys(takesKeys) {}
    int32_t onKeyDown(KeyCode& key) override {
        keys.push_back(key);
        return takesKeys ? 1 : -1;
    }
    bool onWheel(DrawContext* context, const Point&, float distance) override {
        wheel.push_back(distance);
        return context != nullptr;
    }
    bool takesKeys;
    std::vector<KeyCode> keys;
    std::vector<float> wheel;
};
}  // namespace

// On Linux keys and the wheel arrive at the panel's window (the X11 layer posts them as the
// frame's private messages), not at the host.
TEST_F(StandInFrame, KeysAndWheelTurnsAtTheWindowReachTheFocusViewAndTheViewUnderTheCursor) {
    open();
    auto* left = new InputView(Rect(10, 10, 50, 50), true);
    auto* right = new InputView(Rect(100, 10, 140, 50), false);
    frame->addView(left);
    frame->addView(right);
    testdouble::dispatchPending();

    // Up with Shift: without a focus view, the views from the last added on until one takes it.
    testdouble::sendMessage(frame->getWindow(), kMessageKey, 12 | (1 << 8), 0);
    ASSERT_EQ(right->keys.size(), 1u);
    ASSERT_EQ(left->keys.size(), 1u);
    EXPECT_EQ(left->keys[0].virt, 12);
    EXPECT_EQ(left->keys[0].modifier, 1);
    // With the focus on a view that takes keys, no other view sees them.
    frame->setFocusView(left);
    testdouble::sendMessage(frame->getWindow(), kMessageKey, 0, 'a');
    EXPECT_EQ(right->keys.size(), 1u);
    ASSERT_EQ(left->keys.size(), 2u);
    EXPECT_EQ(left->keys[1].character, 'a');
    frame->setFocusView(nullptr);

    // Wheel notches go to the view under the cursor (window at 300, 200 on the screen), with a
    // context of the window, signed.
    testdouble::setCursorPos(300 + 120, 200 + 30);
    testdouble::sendMessage(frame->getWindow(), kMessageWheel, static_cast<uintptr_t>(-1), 0);
    testdouble::setCursorPos(300 + 20, 200 + 30);
    testdouble::sendMessage(frame->getWindow(), kMessageWheel, 1, 0);
    ASSERT_EQ(right->wheel.size(), 1u);
    EXPECT_EQ(right->wheel[0], -1.0f);
    ASSERT_EQ(left->wheel.size(), 1u);
    EXPECT_EQ(left->wheel[0], 1.0f);
    EXPECT_EQ(testdouble::outstandingWindowDCs(), 0);
}

TEST_F(StandInFrame, AfterTheHostDestroysItsWindowTheFrameIsClosed) {
    open();
    RecordingView* view = add(Rect(0, 0, 10, 10));
    testdouble::dispatchPending();
    WindowHandle window = frame->getWindow();
    testdouble::destroyHostWindow(host);
    EXPECT_FALSE(testdouble::isLiveWindow(window));
    EXPECT_FALSE(frame->isOpen());
    log.clear();
    view->setDirty(true);
    EXPECT_FALSE(frame->idle());
    frame->update(nullptr);
    EXPECT_TRUE(log.empty());
    delete frame;  // still fine after the window is gone
    frame = nullptr;
    EXPECT_EQ(Frame::windowClassUseCount(), 0);
}

TEST_F(StandInFrame, EditServicesAndIdleWorkGoThroughTheEditor) {
    FrameTestEffect effect;
    auto* editor = new FrameTestEditor(&effect);
    open(editor);
    editor->setFrame(frame);
    RecordingView* view = add(Rect(0, 0, 50, 50));

    FrameHost::calls().clear();
    frame->beginEdit(7);
    frame->endEdit(7);
    ASSERT_EQ(FrameHost::calls().size(), 2u);
    EXPECT_EQ(FrameHost::calls()[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(FrameHost::calls()[0].index, 7);
    EXPECT_EQ(FrameHost::calls()[1].opcode, audioMasterEndEdit);
    EXPECT_EQ(FrameHost::calls()[1].index, 7);

    // The editor's idle work takes the pending paint while a control holds the mouse.
    FrameHost::calls().clear();
    testdouble::setTickCount(50000);
    editor->runIdleWork();  // may or may not be due; make the next one due
    testdouble::setTickCount(60000);
    log.clear();
    testdouble::invalidate(frame->getWindow(), WindowRect{0, 0, 20, 20});
    frame->runEditorIdle();
    EXPECT_EQ(drawsOf(view, "drawRect"), 1);
    EXPECT_FALSE(testdouble::hasPendingPaint(frame->getWindow()));
    EXPECT_EQ(FrameHost::calls().back().opcode, audioMasterIdle);

    // The cursor in window coordinates: the host window sits at (300, 200) on the screen.
    platform::testdouble::setCursorPos(310, 250);
    Point where;
    EXPECT_TRUE(frame->getCursorLocation(where));
    EXPECT_EQ(where, Point(10, 50));

    editor->setFrame(nullptr);
    delete frame;
    frame = nullptr;
}

TEST_F(StandInFrame, DestructionRevokesTheDropTargetAndReleasesEverything) {
    int32_t oleDepth = testdouble::oleDepth();
    int libraries = platform::testdouble::loadedLibraryCount();
    open();
    EXPECT_EQ(platform::testdouble::loadedLibraryCount(), libraries + 1);
    EXPECT_EQ(testdouble::oleDepth(), oleDepth + 1);
    int destroyed = 0;
    frame->addView(new RecordingView(Rect(0, 0, 1, 1), nullptr, -1, false, &destroyed));
    WindowHandle window = frame->getWindow();
    EXPECT_TRUE(frame->isDropEnabled());
    ASSERT_NE(testdouble::registeredDropTarget(window), nullptr);
    EXPECT_EQ(background->getRefCount(), 2);

    delete frame;
    frame = nullptr;
    EXPECT_EQ(testdouble::registeredDropTarget(window), nullptr);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(background->getRefCount(), 1);
    EXPECT_EQ(testdouble::oleDepth(), oleDepth);
    EXPECT_EQ(platform::testdouble::loadedLibraryCount(), libraries);
    EXPECT_FALSE(testdouble::isLiveWindow(window));
}

TEST_F(StandInFrame, AThousandPaintAndIdlePassesLeaveNoPlatformObjectBehind) {
    open();
    auto* view = new ButtonView(Rect(10, 10, 60, 40), &log);
    frame->addView(view);
    add(Rect(100, 100, 200, 200));
    testdouble::dispatchPending();
    const platform::raster::ObjectCounts before = platform::raster::objectCounts();

    for (int i = 0; i < 1000; i++) {
        testdouble::invalidate(frame->getWindow(), WindowRect{0, 0, 368, 412});
        testdouble::dispatchPending();
        view->setDirty(true);
        ASSERT_TRUE(frame->idle());
        if (i % 100 == 0) frame->redrawAll();
    }
    const platform::raster::ObjectCounts after = platform::raster::objectCounts();
    EXPECT_GT(after.pensCreated, before.pensCreated + 1000);  // the passes did create objects
    EXPECT_GT(after.fontsCreated, before.fontsCreated + 1000);
    EXPECT_EQ(after.livePens(), before.livePens());
    EXPECT_EQ(after.liveBrushes(), before.liveBrushes());
    EXPECT_EQ(after.liveFonts(), before.liveFonts());
    EXPECT_EQ(after.liveBitmaps(), before.liveBitmaps());
    EXPECT_EQ(after.liveDcs(), before.liveDcs());
    EXPECT_EQ(testdouble::outstandingWindowDCs(), 0);
    EXPECT_EQ(testdouble::outstandingPaints(), 0);
}

#endif
