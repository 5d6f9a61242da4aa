#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "editor/GuiEditorBase.h"
#include "plugin/VstEditor.h"
#include "toolkit/Frame.h"
#include "toolkit/View.h"
#include "unit/editorbase/ControllingEffect.h"

#ifndef _WIN32
#include "graphics/platform/Gdi.h"
#include "platform_double/PlatformDouble.h"
#endif

namespace {

// Records the host callbacks; a test may hook the idle service to call back into the editor.
struct Host {
    static std::vector<int32_t> opcodes;
    static std::function<void()> onIdle;
    static intptr_t VSTCALLBACK callback(AEffect*, int32_t opcode, int32_t, intptr_t, void*,
                                         float) {
        opcodes.push_back(opcode);
        if (opcode == audioMasterIdle && onIdle) onIdle();
        return 0;
    }
    static int count(int32_t opcode) {
        int n = 0;
        for (int32_t o : opcodes) n += o == opcode;
        return n;
    }
};
std::vector<int32_t> Host::opcodes;
std::function<void()> Host::onIdle;

class Effect : public ControllingEffect {
public:
    Effect() : ControllingEffect(&Host::callback) {}
};

// Registers with the effect through its VST 2.x adapter, which the effect then owns.
class Editor : public GuiEditorBase {
public:
    explicit Editor(Effect* effect) : GuiEditorBase(effect), adapter(new VstEditor(effect, this)) {
        rect = Rect(0, 0, 368, 412);
    }
    void update() override { ++updates; }
    void setFrame(Frame* f) { frame = f; }
    void* parent() const { return parentWindow; }
    VstEditor* adapter;
    int updates = 0;
};

class KeyView : public View {
public:
    explicit KeyView(const Rect& size) : View(size) {}
    int32_t onKeyDown(KeyCode& key) override {
        last = key;
        return key.character == 'k' ? 11 : -1;
    }
    int32_t onKeyUp(KeyCode& key) override {
        last = key;
        return 12;
    }
    bool onWheel(DrawContext*, const Point&, float distance) override {
        wheel = distance;
        return true;
    }
    float wheel = 0.0f;
    KeyCode last{0, 0, 0};
};

struct EditorBaseFixture : ::testing::Test {
    void SetUp() override {
        Host::opcodes.clear();
        Host::onIdle = nullptr;
#ifndef _WIN32
        platform::testdouble::setTickCount(1000);
#endif
        effect = new Effect;
        editor = new Editor(effect);  // the effect owns it from here on
    }
    void TearDown() override {
        Host::onIdle = nullptr;
        delete effect;
    }
    Effect* effect = nullptr;
    Editor* editor = nullptr;
};

}  // namespace

TEST_F(EditorBaseFixture, RegistersWithItsEffectAndAnswersItsRectangleBeforeOpen) {
    EXPECT_EQ(effect->getEditor(), editor->adapter);
    EXPECT_NE(effect->getAeffect()->flags & effFlagsHasEditor, 0);
    ERect* rect = nullptr;
    EXPECT_EQ(editor->adapter->getRect(&rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 412);
    EXPECT_EQ(rect->right, 368);
}

TEST_F(EditorBaseFixture, WithoutAFrameKeysAndWheelAreNotHandledAndDrawingDoesNothing) {
    VstKeyCode key{'k', 0, 0};
    EXPECT_EQ(editor->adapter->onKeyDown(&key), -1);
    EXPECT_EQ(editor->adapter->onKeyUp(&key), -1);
    EXPECT_EQ(editor->adapter->onKeyDown(nullptr), -1);
    EXPECT_FALSE(editor->adapter->onWheel(1.0f));
    editor->draw();
    editor->idle();
    EXPECT_EQ(editor->updates, 0);
}

TEST_F(EditorBaseFixture, AnUpdateRequestIsCarriedOutOnceByIdle) {
    editor->adapter->requestUpdate();  // as the effect asks
    editor->adapter->idle();
    editor->adapter->idle();
    EXPECT_EQ(editor->updates, 1);

    // Opening and a parameter change each ask for one.
    int parent = 0;
    EXPECT_EQ(editor->adapter->open(&parent), 0);
    EXPECT_EQ(editor->parent(), &parent);
    editor->idle();
    EXPECT_EQ(editor->updates, 2);
    editor->adapter->parameterChanged(3, 0.5f);
    editor->idle();
    editor->idle();
    EXPECT_EQ(editor->updates, 3);
}

TEST_F(EditorBaseFixture, KnobModeIsStoredForEveryFrame) {
    EXPECT_EQ(editor->adapter->setKnobMode(2), 1);
    Frame frame(Rect(0, 0, 10, 10), nullptr, editor);
    EXPECT_EQ(frame.getKnobMode(), 2);
    EXPECT_EQ(editor->adapter->setKnobMode(0), 1);
    EXPECT_EQ(frame.getKnobMode(), 0);
}

TEST_F(EditorBaseFixture, KeysWheelAndRedrawGoToTheFrame) {
    auto* frame = new Frame(Rect(0, 0, 100, 100), nullptr, editor);
    auto* view = new KeyView(Rect(0, 0, 100, 100));
    frame->addView(view);
    editor->setFrame(frame);
    VstKeyCode k{'k', 0, 0}, other{'x', 0, 0};
    EXPECT_EQ(editor->adapter->onKeyDown(&k), 11);
    EXPECT_EQ(editor->adapter->onKeyDown(&other), -1);
    EXPECT_EQ(editor->adapter->onKeyUp(&other), 12);
    // The views get the host's character, virtual key and modifiers, each in its own field.
    VstKeyCode shiftUp{'u', 12, 1};
    editor->adapter->onKeyDown(&shiftUp);
    EXPECT_EQ(view->last.character, 'u');
    EXPECT_EQ(view->last.virt, 12);
    EXPECT_EQ(view->last.modifier, 1);
    VstKeyCode altLeft{0, 11, 2};
    editor->adapter->onKeyUp(&altLeft);
    EXPECT_EQ(view->last.virt, 11);
    EXPECT_EQ(view->last.modifier, 2);
    EXPECT_EQ(frame->getEditor(), editor);
    EXPECT_EQ(view->getEditor(), editor);
#ifndef _WIN32
    platform::testdouble::setCursorPos(50, 50);  // the wheel goes to the view under the cursor
    EXPECT_TRUE(editor->adapter->onWheel(-3.0f));
    EXPECT_FLOAT_EQ(view->wheel, -3.0f);
    platform::testdouble::setCursorPos(500, 500);
    EXPECT_FALSE(editor->adapter->onWheel(1.0f));
#endif
    editor->setFrame(nullptr);
    frame->release();
}

TEST_F(EditorBaseFixture, IdleCalledBackFromTheHostsIdleServiceDoesNothing) {
    int updatesSeenInside = -1;
    Host::onIdle = [this, &updatesSeenInside] {
        editor->requestUpdate();
        editor->idle();  // the host calls effEditIdle from inside audioMasterIdle
        updatesSeenInside = editor->updates;
    };
    editor->runIdleWork();
    EXPECT_EQ(Host::count(audioMasterIdle), 1);
    EXPECT_EQ(updatesSeenInside, 0);
    Host::onIdle = nullptr;
    editor->idle();  // outside, the pending update is carried out
    EXPECT_EQ(editor->updates, 1);
}

#ifndef _WIN32
TEST_F(EditorBaseFixture, IdleWorkRunsAboutEvery100MsAndSleeps4MsInBetween) {
    int sleepsBefore = platform::testdouble::sleepCalls();
    editor->requestUpdate();
    editor->runIdleWork();  // due at once after construction
    EXPECT_EQ(Host::count(audioMasterIdle), 1);
    EXPECT_EQ(editor->updates, 1);
    EXPECT_EQ(platform::testdouble::sleepCalls(), sleepsBefore);

    editor->requestUpdate();
    editor->runIdleWork();  // a few ms later: sleeps, does nothing
    EXPECT_EQ(Host::count(audioMasterIdle), 1);
    EXPECT_EQ(editor->updates, 1);
    EXPECT_EQ(platform::testdouble::sleepCalls(), sleepsBefore + 1);
    EXPECT_EQ(platform::getTickCount(), 1004u);

    platform::testdouble::setTickCount(1045);  // +4 after the sleep: still 1 ms short of 1050
    editor->runIdleWork();
    EXPECT_EQ(Host::count(audioMasterIdle), 1);

    platform::testdouble::setTickCount(1046);  // 1050 after the sleep: starts early
    editor->runIdleWork();
    EXPECT_EQ(Host::count(audioMasterIdle), 2);
    EXPECT_EQ(editor->updates, 2);

    // The next deadline counts from the time after the sleep (1050 + 100).
    platform::testdouble::setTickCount(1095);
    editor->runIdleWork();
    EXPECT_EQ(Host::count(audioMasterIdle), 2);
    platform::testdouble::setTickCount(1096);
    editor->runIdleWork();
    EXPECT_EQ(Host::count(audioMasterIdle), 3);
}

TEST_F(EditorBaseFixture, IdleWorkKeepsRunningAcrossTheTickCountWrap) {
    platform::testdouble::setTickCount(0xFFFFFF00u);
    Effect wrapEffect;
    auto* wrapEditor = new Editor(&wrapEffect);
    Host::opcodes.clear();
    wrapEditor->runIdleWork();  // deadline now 0xFFFFFF64
    EXPECT_EQ(Host::count(audioMasterIdle), 1);

    platform::testdouble::setTickCount(0x00000010u);  // 0xAC ms past the deadline, after the wrap
    wrapEditor->runIdleWork();
    EXPECT_EQ(Host::count(audioMasterIdle), 2);

    platform::testdouble::setTickCount(0x00000012u);  // and throttled again right after
    wrapEditor->runIdleWork();
    EXPECT_EQ(Host::count(audioMasterIdle), 2);

    // Just before the wrap, a deadline just after it is still in the future.
    platform::testdouble::setTickCount(0xFFFFFFF0u);
    Effect lateEffect;
    auto* lateEditor = new Editor(&lateEffect);
    lateEditor->runIdleWork();  // deadline 0x54, after the wrap
    Host::opcodes.clear();
    platform::testdouble::setTickCount(0xFFFFFFF8u);
    lateEditor->runIdleWork();
    EXPECT_EQ(Host::count(audioMasterIdle), 0);
}

TEST_F(EditorBaseFixture, IdleWorkRunsAgainAfterWeeksWithoutIt) {
    editor->runIdleWork();  // at 1000: deadline 1100
    EXPECT_EQ(Host::count(audioMasterIdle), 1);
    // 2^31 to 2^32 ms (25 to 50 days) after the last run a signed difference says "not yet".
    uint32_t lastRun = 1000;
    for (uint32_t later : {0x80000100u, 0xC0000000u, 0xFFFFFF00u}) {
        lastRun += later;
        platform::testdouble::setTickCount(lastRun);
        const int before = Host::count(audioMasterIdle);
        editor->runIdleWork();
        EXPECT_EQ(Host::count(audioMasterIdle), before + 1) << later;
    }
}

TEST_F(EditorBaseFixture, OleIsInitialisedForTheEditorsLifetime) {
    int32_t depth = platform::testdouble::oleDepth();
    auto* other = new Effect;
    new Editor(other);
    EXPECT_EQ(platform::testdouble::oleDepth(), depth + 1);
    delete other;
    EXPECT_EQ(platform::testdouble::oleDepth(), depth);
}
#endif
