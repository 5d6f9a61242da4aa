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

// Each service sends its own opcode with its arguments in the slots hosts read them from.
TEST(HostServices, EveryServiceUsesItsOpcodeAndArgumentSlots) {
    RecordingHost::reset(7);
    TestEffect effect(RecordingHost::callback);
    char text[8] = "t";
    auto* task = reinterpret_cast<VstOfflineTask*>(text + 1);
    auto* files = reinterpret_cast<VstAudioFile*>(text + 2);
    auto* window = reinterpret_cast<VstWindow*>(text + 3);
    auto* selector = reinterpret_cast<VstFileSelect*>(text + 4);

    struct Expected {
        int32_t opcode;
        int32_t index;
        intptr_t value;
        void* ptr;
        float opt;
    };
    const Expected expected[] = {
        {audioMasterVersion, 0, 0, nullptr, 0.0f},
        {audioMasterCurrentId, 0, 0, nullptr, 0.0f},
        {audioMasterIdle, 0, 0, nullptr, 0.0f},
        {audioMasterPinConnected, 3, 0, nullptr, 0.0f},
        {audioMasterPinConnected, 4, 1, nullptr, 0.0f},
        {audioMasterWantMidi, 0, 5, nullptr, 0.0f},
        {audioMasterGetTime, 0, 6, nullptr, 0.0f},
        {audioMasterTempoAt, 0, 9, nullptr, 0.0f},
        {audioMasterGetNumAutomatableParameters, 0, 0, nullptr, 0.0f},
        {audioMasterGetParameterQuantization, 0, 0, nullptr, 0.0f},
        {audioMasterIOChanged, 0, 0, nullptr, 0.0f},
        {audioMasterNeedIdle, 0, 0, nullptr, 0.0f},
        {audioMasterGetSampleRate, 0, 0, nullptr, 0.0f},
        {audioMasterGetBlockSize, 0, 0, nullptr, 0.0f},
        {audioMasterGetInputLatency, 0, 0, nullptr, 0.0f},
        {audioMasterGetOutputLatency, 0, 0, nullptr, 0.0f},
        {audioMasterGetPreviousPlug, 0, 0, nullptr, 0.0f},  // the pin is not sent
        {audioMasterGetNextPlug, 0, 0, nullptr, 0.0f},
        {audioMasterWillReplaceOrAccumulate, 0, 0, nullptr, 0.0f},
        {audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.0f},
        {audioMasterGetAutomationState, 0, 0, nullptr, 0.0f},
        {audioMasterOfflineStart, 12, 11, files, 0.0f},
        {audioMasterOfflineRead, 1, 13, task, 0.0f},
        {audioMasterOfflineWrite, 0, 14, task, 0.0f},
        {audioMasterOfflineGetCurrentPass, 0, 0, nullptr, 0.0f},
        {audioMasterOfflineGetCurrentMetaPass, 0, 0, nullptr, 0.0f},
        {audioMasterSetOutputSampleRate, 0, 0, nullptr, 22050.0f},
        {audioMasterGetOutputSpeakerArrangement, 0, 0, nullptr, 0.0f},
        {audioMasterGetInputSpeakerArrangement, 0, 0, nullptr, 0.0f},
        {audioMasterGetVendorString, 0, 0, text, 0.0f},
        {audioMasterGetProductString, 0, 0, text, 0.0f},
        {audioMasterGetVendorVersion, 0, 0, nullptr, 0.0f},
        {audioMasterVendorSpecific, 15, 16, text, 0.5f},
        {audioMasterGetLanguage, 0, 0, nullptr, 0.0f},
        {audioMasterOpenWindow, 0, 0, window, 0.0f},
        {audioMasterCloseWindow, 0, 0, window, 0.0f},
        {audioMasterGetDirectory, 0, 0, nullptr, 0.0f},
        {audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f},
        {audioMasterOpenFileSelector, 0, 0, selector, 0.0f},
    };

    EXPECT_EQ(effect.getHostVersion(), 7);
    EXPECT_EQ(effect.getHostCurrentId(), 7);
    EXPECT_EQ(effect.hostIdle(), 7);
    EXPECT_FALSE(effect.isInputConnected(3));
    EXPECT_FALSE(effect.isOutputConnected(4));
    effect.hostWantMidi(5);
    EXPECT_EQ(reinterpret_cast<intptr_t>(effect.hostGetTime(6)), 7);
    EXPECT_EQ(effect.hostTempoAt(9), 7);
    EXPECT_EQ(effect.hostGetNumAutomatableParameters(), 7);
    EXPECT_EQ(effect.hostGetParameterQuantization(), 7);
    EXPECT_TRUE(effect.hostIOChanged());
    EXPECT_TRUE(effect.hostNeedIdle());
    EXPECT_EQ(effect.updateSampleRate(), 7.0f);
    EXPECT_EQ(effect.updateBlockSize(), 7);
    EXPECT_EQ(effect.hostGetInputLatency(), 7);
    EXPECT_EQ(effect.hostGetOutputLatency(), 7);
    EXPECT_EQ(reinterpret_cast<intptr_t>(effect.hostGetPreviousPlug(2)), 7);
    EXPECT_EQ(reinterpret_cast<intptr_t>(effect.hostGetNextPlug(2)), 7);
    EXPECT_EQ(effect.hostWillReplaceOrAccumulate(), 7);
    EXPECT_EQ(effect.hostGetCurrentProcessLevel(), 7);
    EXPECT_EQ(effect.hostGetAutomationState(), 7);
    EXPECT_TRUE(effect.hostOfflineStart(files, 11, 12));
    EXPECT_TRUE(effect.hostOfflineRead(task, 13, true));
    EXPECT_TRUE(effect.hostOfflineWrite(task, 14));
    EXPECT_EQ(effect.hostOfflineGetCurrentPass(), 1);
    EXPECT_EQ(effect.hostOfflineGetCurrentMetaPass(), 1);
    effect.hostSetOutputSampleRate(22050.0f);
    EXPECT_EQ(reinterpret_cast<intptr_t>(effect.hostGetOutputSpeakerArrangement()), 7);
    EXPECT_EQ(reinterpret_cast<intptr_t>(effect.hostGetInputSpeakerArrangement()), 7);
    EXPECT_TRUE(effect.hostGetVendorString(text));
    EXPECT_TRUE(effect.hostGetProductString(text));
    EXPECT_EQ(effect.hostGetVendorVersion(), 7);
    EXPECT_EQ(effect.hostVendorSpecific(15, 16, text, 0.5f), 7);
    EXPECT_EQ(effect.hostGetLanguage(), 7);
    EXPECT_EQ(reinterpret_cast<intptr_t>(effect.hostOpenWindow(window)), 7);
    EXPECT_TRUE(effect.hostCloseWindow(window));
    EXPECT_EQ(reinterpret_cast<intptr_t>(effect.hostGetDirectory()), 7);
    EXPECT_TRUE(effect.hostUpdateDisplay());
    EXPECT_TRUE(effect.hostOpenFileSelector(selector));

    const size_t count = sizeof expected / sizeof expected[0];
    ASSERT_EQ(RecordingHost::calls.size(), count);
    for (size_t i = 0; i < count; ++i) {
        const HostCall& call = RecordingHost::calls[i];
        EXPECT_EQ(call.effect, effect.getAeffect()) << "call " << i;
        EXPECT_EQ(call.opcode, expected[i].opcode) << "call " << i;
        EXPECT_EQ(call.index, expected[i].index) << "call " << i;
        EXPECT_EQ(call.value, expected[i].value) << "call " << i;
        EXPECT_EQ(call.ptr, expected[i].ptr) << "call " << i;
        EXPECT_EQ(call.opt, expected[i].opt) << "call " << i;
    }

    // Answers converted to true or false, or to 1 or 0, follow the host's zero test.
    RecordingHost::reset(0);
    EXPECT_FALSE(effect.hostIOChanged());
    EXPECT_FALSE(effect.hostOfflineRead(task, 0, false));
    EXPECT_EQ(effect.hostOfflineGetCurrentPass(), 0);
    EXPECT_EQ(effect.hostCanDo(text), 0);
    EXPECT_EQ(RecordingHost::calls[1].index, 0);  // readSource false goes as 0
}
