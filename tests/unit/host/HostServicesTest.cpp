#include <gtest/gtest.h>

#include "TestEffect.h"

TEST(HostServices, WithoutAHostEveryServiceHasItsFixedAnswer) {
    TestEffect effect(nullptr);
    EXPECT_EQ(effect.getHostVersion(), 1);
    EXPECT_EQ(effect.getHostCurrentId(), 0);
    EXPECT_EQ(effect.hostIdle(), 0);
    EXPECT_TRUE(effect.isInputConnected(0));
    EXPECT_TRUE(effect.isOutputConnected(7));
    EXPECT_EQ(effect.hostGetTime(0), nullptr);
    EXPECT_FALSE(effect.hostSizeWindow(10, 10));
    EXPECT_FALSE(effect.beginEdit(3));
    EXPECT_FALSE(effect.endEdit(3));
    EXPECT_EQ(effect.updateSampleRate(), 44100.0f);
    EXPECT_EQ(effect.updateBlockSize(), 1024);
    EXPECT_EQ(effect.hostCanDo(const_cast<char*>("sizeWindow")), 0);
    effect.setParameterAutomated(4, 0.5f);  // only the local change
    EXPECT_EQ(effect.lastIndex, 4);
    EXPECT_EQ(effect.lastValue, 0.5f);
}

TEST(HostServices, SendTheirOpcodeWithTheOwnRecordAndArguments) {
    RecordingHost::reset(7);
    TestEffect effect(RecordingHost::callback);
    AEffect* self = effect.getAeffect();
    EXPECT_TRUE(effect.beginEdit(5));
    EXPECT_TRUE(effect.endEdit(5));
    EXPECT_TRUE(effect.hostSizeWindow(300, 200));
    EXPECT_EQ(effect.hostCanDo(const_cast<char*>("x")), 1);
    ASSERT_EQ(RecordingHost::calls.size(), 4u);
    EXPECT_EQ(RecordingHost::calls[0].effect, self);
    EXPECT_EQ(RecordingHost::calls[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(RecordingHost::calls[0].index, 5);
    EXPECT_EQ(RecordingHost::calls[1].opcode, audioMasterEndEdit);
    EXPECT_EQ(RecordingHost::calls[2].opcode, audioMasterSizeWindow);
    EXPECT_EQ(RecordingHost::calls[2].index, 300);
    EXPECT_EQ(RecordingHost::calls[2].value, 200);
    EXPECT_EQ(RecordingHost::calls[3].opcode, audioMasterCanDo);

    // Pins are connected when the host answers 0; input asks with value 0, output with 1.
    RecordingHost::reset(0);
    EXPECT_TRUE(effect.isInputConnected(1));
    RecordingHost::answer = 1;
    EXPECT_FALSE(effect.isOutputConnected(2));
    EXPECT_EQ(RecordingHost::calls[0].value, 0);
    EXPECT_EQ(RecordingHost::calls[1].value, 1);
    EXPECT_EQ(RecordingHost::calls[1].index, 2);

    // A null file selector is refused without asking the host.
    RecordingHost::reset(1);
    EXPECT_FALSE(effect.hostOpenFileSelector(nullptr));
    EXPECT_TRUE(RecordingHost::calls.empty());
}

TEST(HostServices, VersionAndRatesKeepSaneValues) {
    RecordingHost::reset(0);
    TestEffect effect(RecordingHost::callback);
    EXPECT_EQ(effect.getHostVersion(), 1);  // a host answering 0 counts as version 1
    RecordingHost::answer = 2400;
    EXPECT_EQ(effect.getHostVersion(), 2400);
    RecordingHost::answer = 48000;
    EXPECT_EQ(effect.updateSampleRate(), 48000.0f);
    RecordingHost::answer = 0;
    EXPECT_EQ(effect.updateSampleRate(), 48000.0f);
    RecordingHost::answer = -5;
    EXPECT_EQ(effect.updateSampleRate(), 48000.0f);
    EXPECT_EQ(effect.updateBlockSize(), 1024);
    RecordingHost::answer = 512;
    EXPECT_EQ(effect.updateBlockSize(), 512);
}

TEST(HostServices, AutomationChangesLocallyBeforeTellingTheHost) {
    static TestEffect* observed = nullptr;
    static int32_t indexSeenByHost = -1;
    struct Host {
        static intptr_t VSTCALLBACK callback(AEffect*, int32_t opcode, int32_t index, intptr_t,
                                             void*, float opt) {
            if (opcode == audioMasterAutomate) {
                indexSeenByHost = observed->lastIndex;  // already changed?
                EXPECT_EQ(opt, 0.75f);
                EXPECT_EQ(index, 9);
            }
            return 0;
        }
    };
    TestEffect effect(Host::callback);
    observed = &effect;
    effect.setParameterAutomated(9, 0.75f);
    EXPECT_EQ(indexSeenByHost, 9);
}
