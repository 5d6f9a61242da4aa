// Drag and drop onto the frame's window on the native stand-in.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "graphics/DropTarget.h"
#include "graphics/platform/Gdi.h"
#include "platform_double/PlatformDouble.h"
#include "toolkit/Frame.h"
#include "unit/toolkit/RecordingView.h"

using namespace platform;

namespace {

struct StandInDrop : ::testing::Test {
    void SetUp() override {
        platform::testdouble::releaseAllKeys();
        host = testdouble::createHostWindow(100, 100, 300, 300);
        frame = new Frame(Rect(0, 0, 200, 200), host, nullptr);
        target = new RecordingView(Rect(0, 0, 100, 100), &log, -1, true);
        frame->addView(target);
        platform::testdouble::setCursorPos(150, 150);  // (50, 50) in the window: over the target
        globalsBefore = testdouble::liveGlobals();
        log.clear();
    }
    void TearDown() override {
        delete frame;
        testdouble::destroyHostWindow(host);
    }
    void dropOnWindow(testdouble::DataObject& data, uint32_t keyState = 0) {
        testdouble::dragEnter(frame->getWindow(), &data, keyState, 150, 150);
        testdouble::drop(frame->getWindow(), &data, keyState, 150, 150);
    }
    static std::vector<unsigned char> bytes(const char* text, size_t size) {
        return std::vector<unsigned char>(text, text + size);
    }

    std::vector<ViewEvent> log;
    WindowHandle host = nullptr;
    Frame* frame = nullptr;
    RecordingView* target = nullptr;
    int32_t globalsBefore = 0;
};

}  // namespace

TEST_F(StandInDrop, DraggingTextOrFilesShowsMoveOrWithControlCopyAndAnythingElseNothing) {
    testdouble::DataObject text;
    text.offersText = true;
    text.textBlock = bytes("hello", 6);
    EXPECT_EQ(testdouble::dragEnter(frame->getWindow(), &text, 0, 1, 1), kDropEffectMove);
    EXPECT_EQ(testdouble::dragOver(frame->getWindow(), kKeyControl, 1, 1), kDropEffectCopy);
    EXPECT_EQ(testdouble::dragOver(frame->getWindow(), 0, 1, 1), kDropEffectMove);

    testdouble::DataObject files;
    files.offersFiles = true;
    files.files = {"/tmp/a.wav"};
    EXPECT_EQ(testdouble::dragEnter(frame->getWindow(), &files, kKeyControl, 1, 1),
              kDropEffectCopy);

    testdouble::DataObject nothing;
    EXPECT_EQ(testdouble::dragEnter(frame->getWindow(), &nothing, kKeyControl, 1, 1),
              kDropEffectNone);
    EXPECT_EQ(testdouble::dragOver(frame->getWindow(), kKeyControl, 1, 1), kDropEffectNone);
    EXPECT_EQ(testdouble::dragEnter(frame->getWindow(), nullptr, 0, 1, 1), kDropEffectNone);
}

TEST_F(StandInDrop, TextWinsOverFilesAndArrivesWithItsBlockSizeAtTheCursor) {
    testdouble::DataObject both;
    both.offersText = true;
    both.textBlock = bytes("dropped words", 14);
    both.offersFiles = true;
    both.files = {"/tmp/a.wav"};
    dropOnWindow(both);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].where, Point(50, 50));
    EXPECT_EQ(target->dropType, 1);
    EXPECT_EQ(target->dropCount, 14);
    EXPECT_EQ(target->dropped, std::vector<std::string>{"dropped words"});
    EXPECT_EQ(testdouble::liveGlobals(), globalsBefore);
    EXPECT_EQ(testdouble::outstandingGlobalLocks(), 0);
}

TEST_F(StandInDrop, ATextBlockWithoutTerminatorIsNeverReadPastItsEnd) {
    // Exactly the block's bytes: no terminator inside, and room for nothing after it.
    testdouble::DataObject text;
    text.offersText = true;
    text.textBlock = bytes("abcdefgh", 8);
    dropOnWindow(text);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(target->dropCount, 8);
    EXPECT_EQ(target->dropped, std::vector<std::string>{"abcdefgh"});

    // A block larger than its text reports the block's size; the text ends at its terminator.
    text.textBlock = bytes("hi\0\0\0\0\0\0\0\0", 10);
    dropOnWindow(text);
    EXPECT_EQ(target->dropCount, 10);
    EXPECT_EQ(target->dropped, std::vector<std::string>{"hi"});
    EXPECT_EQ(testdouble::liveGlobals(), globalsBefore);
}

TEST_F(StandInDrop, FilesArriveAsPathsWithShortcutsReplacedByTheirTargetsShortPath) {
    testdouble::addShortcut("/home/user/Desktop/Loop.LNK", "/home/user/LOOPTA~1.WAV");
    testdouble::DataObject files;
    files.offersFiles = true;
    files.files = {"/home/user/Desktop/Loop.LNK", "/home/user/plain.wav", "/home/user/broken.lnk",
                   "/home/user/archive.lnk.zip"};
    int32_t resolves = testdouble::shortcutResolveCalls();
    dropOnWindow(files);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(target->dropType, 0);
    EXPECT_EQ(target->dropCount, 4);
    EXPECT_EQ(target->dropped,
              (std::vector<std::string>{"/home/user/LOOPTA~1.WAV", "/home/user/plain.wav",
                                        "/home/user/broken.lnk", "/home/user/archive.lnk.zip"}));
    // Only the two names ending in ".lnk" were tried as shortcuts.
    EXPECT_EQ(testdouble::shortcutResolveCalls(), resolves + 2);
    EXPECT_EQ(testdouble::liveGlobals(), globalsBefore);
}

TEST_F(StandInDrop, NamesThatCannotBeReadAreSkippedAndOverlongOnesCutTo1023Bytes) {
    testdouble::DataObject files;
    files.offersFiles = true;
    files.files = {"", std::string(1500, 'x'), "/tmp/b.wav"};
    dropOnWindow(files);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(target->dropCount, 2);
    ASSERT_EQ(target->dropped.size(), 2u);
    EXPECT_EQ(target->dropped[0], std::string(1023, 'x'));
    EXPECT_EQ(target->dropped[1], "/tmp/b.wav");
}

TEST_F(StandInDrop, DataThatReachesNoViewIsStillReleased) {
    int32_t frees = testdouble::globalFreeCalls();
    int32_t objectReleases = testdouble::mediumObjectReleases();

    testdouble::DataObject nullText;  // GetData succeeds with a null handle
    nullText.offersText = true;
    nullText.nullMemory = true;
    dropOnWindow(nullText);

    testdouble::DataObject empty;  // a block of size 0 cannot be locked
    empty.offersText = true;
    dropOnWindow(empty);

    testdouble::DataObject noFiles;  // a file list with no names
    noFiles.offersFiles = true;
    dropOnWindow(noFiles);

    testdouble::DataObject nothing;
    dropOnWindow(nothing);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(testdouble::liveGlobals(), globalsBefore);
    EXPECT_EQ(testdouble::globalFreeCalls(), frees + 2);

    // A medium with an object responsible for it is released through that object.
    testdouble::DataObject owned;
    owned.offersText = true;
    owned.textBlock = bytes("x", 2);
    owned.releaseThroughObject = true;
    dropOnWindow(owned);
    EXPECT_EQ(log.size(), 1u);
    EXPECT_EQ(testdouble::mediumObjectReleases(), objectReleases + 1);
    EXPECT_EQ(testdouble::globalFreeCalls(), frees + 2);
    EXPECT_EQ(testdouble::liveGlobals(), globalsBefore);
}

TEST_F(StandInDrop, NoDropReachesAViewWhileAnotherHoldsTheFocusOrOutsideItsRectangle) {
    testdouble::DataObject text;
    text.offersText = true;
    text.textBlock = bytes("t", 2);
    auto* focus = new RecordingView(Rect(150, 150, 160, 160), &log);
    frame->addView(focus);
    frame->setFocusView(focus);
    log.clear();
    dropOnWindow(text);
    EXPECT_TRUE(log.empty());

    frame->setFocusView(nullptr);
    log.clear();
    platform::testdouble::setCursorPos(100 + 101, 100 + 50);  // just right of the target
    dropOnWindow(text);
    EXPECT_TRUE(log.empty());
    platform::testdouble::setCursorPos(100 + 100, 100 + 100);  // its bottom-right corner
    dropOnWindow(text);
    EXPECT_EQ(log.size(), 1u);
    EXPECT_EQ(testdouble::liveGlobals(), globalsBefore);
}

TEST_F(StandInDrop, TheTargetAnswersOnlyForItsOwnInterfacesAndDiesWithItsLastReference) {
    DropTarget* registered = testdouble::registeredDropTarget(frame->getWindow());
    ASSERT_NE(registered, nullptr);
    void* object = reinterpret_cast<void*>(1);
    const InterfaceId other = {0x0000010E, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};  // IDataObject
    EXPECT_EQ(registered->QueryInterface(other, &object), kComNoInterface);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(registered->QueryInterface(kIidDropTarget, &object), kComOk);
    EXPECT_EQ(object, registered);
    EXPECT_EQ(registered->QueryInterface(kIidUnknown, &object), kComOk);
    EXPECT_EQ(registered->Release(), 2u);
    EXPECT_EQ(registered->Release(), 1u);

    // A drop that arrives after the frame let go of its window reaches no frame.
    auto* target = new DropTarget(nullptr);
    target->AddRef();
    testdouble::DataObject text;
    text.offersText = true;
    text.textBlock = bytes("t", 2);
    uint32_t effect = 99;
    EXPECT_EQ(target->Drop(&text, 0, ScreenPoint{0, 0}, &effect), kComOk);
    EXPECT_EQ(effect, 99u);  // Drop does not write the effect
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(target->Release(), 0u);
}

#endif
