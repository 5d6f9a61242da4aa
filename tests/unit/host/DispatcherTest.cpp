#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "TestEffect.h"
#include "host/EditorBase.h"

namespace {
intptr_t send(EffectBase& effect, int32_t opcode, int32_t index = 0, intptr_t value = 0,
              void* ptr = nullptr, float opt = 0.0f) {
    AEffect* r = effect.getAeffect();
    return r->dispatcher(r, opcode, index, value, ptr, opt);
}

class SpyEditor : public EditorBase {
public:
    explicit SpyEditor(EffectBase* effect) : EditorBase(effect) {}
    ~SpyEditor() override { ++destroyed; }
    int32_t onKeyDown(VstKeyCode* key) override {
        lastKey = *key;
        return 7;
    }
    int32_t onKeyUp(VstKeyCode* key) override {
        lastKey = *key;
        return 8;
    }
    int32_t setKnobMode(int32_t mode) override {
        knobMode = mode;
        return 1;
    }
    void idle() override { ++idles; }
    VstKeyCode lastKey{};
    int32_t knobMode = -1;
    int idles = 0;
    static int destroyed;
};
int SpyEditor::destroyed = 0;
}  // namespace

TEST(Dispatcher, AnswersTheFixedValues) {
    TestEffect effect;
    EXPECT_EQ(send(effect, effIdentify, 5, 6, &effect, 1.0f), 0x4E764566);
    EXPECT_EQ(send(effect, effKeysRequired), 1);
    EXPECT_EQ(send(effect, effGetVstVersion), 2300);
    EXPECT_EQ(send(effect, effConnectInput, 0, 1), 1);
    EXPECT_EQ(send(effect, effConnectOutput, 3, 0), 1);
    EXPECT_EQ(send(effect, effSetTotalSampleToProcess, 0, 4096), 4096);
    EXPECT_EQ(send(effect, effGetCurrentMidiProgram), -1);
    EXPECT_EQ(send(effect, effGetNumProgramCategories), 1);
    EXPECT_EQ(send(effect, effCanBeAutomated, 3), 1);
    EXPECT_EQ(send(effect, effGetPlugCategory), 0);
    EXPECT_EQ(send(effect, effCanDo, 0, 0, const_cast<char*>("receiveVstEvents")), 0);
    for (int32_t opcode : {77, 78, -1, 1000, INT32_MIN, INT32_MAX})
        EXPECT_EQ(send(effect, opcode, 1, 1, &effect, 1.0f), 0) << opcode;
}

TEST(Dispatcher, ProgramChangesStayWithinBounds) {
    TestEffect effect;
    send(effect, effSetProgram, 0, 5);
    EXPECT_EQ(send(effect, effGetProgram), 5);
    for (intptr_t bad : {intptr_t(8), intptr_t(-1), INTPTR_MAX, INTPTR_MIN, intptr_t(1000)})
        send(effect, effSetProgram, 0, bad);
    EXPECT_EQ(send(effect, effGetProgram), 5);
    EXPECT_EQ(effect.setProgramCalls, 1);
}

TEST(Dispatcher, MainsChangedSuspendsOnZeroAndResumesOtherwise) {
    TestEffect effect;
    EXPECT_EQ(send(effect, effMainsChanged, 0, 0), 0);
    EXPECT_EQ(send(effect, effMainsChanged, 0, 1), 0);
    EXPECT_EQ(send(effect, effMainsChanged, 0, -5), 0);
    EXPECT_EQ(effect.suspends, 1);
    EXPECT_EQ(effect.resumes, 2);
}

TEST(Dispatcher, SampleRateOpcodes) {
    TestEffect effect;
    send(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    send(effect, effSetBlockSize, 0, 256);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
    EXPECT_EQ(effect.getBlockSize(), 256);
    EXPECT_EQ(effect.sampleRateCalls, 1);
    // Opcode 43 stores both fields but does not run the effect's own reaction.
    EXPECT_EQ(send(effect, effSetBlockSizeAndSampleRate, 0, 64, nullptr, 96000.0f), 1);
    EXPECT_EQ(effect.getSampleRate(), 96000.0f);
    EXPECT_EQ(effect.getBlockSize(), 64);
    EXPECT_EQ(effect.sampleRateCalls, 1);
}

TEST(Dispatcher, VuIsScaledAndTruncatedEvenForAbsurdValues) {
    TestEffect effect;
    effect.vu = 0.5f;
    EXPECT_EQ(send(effect, effGetVu), 16383);  // 16383.5 truncated
    effect.vu = -0.5f;
    EXPECT_EQ(send(effect, effGetVu), -16383);
    effect.vu = 1e30f;
    EXPECT_EQ(send(effect, effGetVu), INT32_MAX);
    effect.vu = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(send(effect, effGetVu), 0);
}

TEST(Dispatcher, TextDefaultsAreEmptyAndNullBuffersAreSafe) {
    TestEffect effect;
    char text[64];
    for (int32_t opcode : {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName,
                           effSetProgramName}) {
        std::strcpy(text, "junk");
        EXPECT_EQ(send(effect, opcode, 2, 0, text), 0);
        EXPECT_STREQ(text, "") << opcode;
        EXPECT_EQ(send(effect, opcode, 2, 0, nullptr), 0);
    }
    for (int32_t opcode : {effGetEffectName, effGetVendorString, effGetProductString,
                           effGetErrorText, effGetProgramNameIndexed, effString2Parameter})
        EXPECT_EQ(send(effect, opcode, 0, 0, text), 0) << opcode;
}

TEST(Dispatcher, SpeakerArrangementQueryClearsPointersButNotNull) {
    TestEffect effect;
    VstSpeakerArrangement dummy{};
    VstSpeakerArrangement* in = &dummy;
    VstSpeakerArrangement* out = &dummy;
    EXPECT_EQ(send(effect, effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(send(effect, effGetSpeakerArrangement, 0, 0, nullptr), 0);
}

TEST(Dispatcher, EditorOpcodesWithoutAnEditorAnswerZero) {
    TestEffect effect;
    ERect* rect = reinterpret_cast<ERect*>(&effect);
    for (int32_t opcode :
         {effEditGetRect, effEditOpen, effEditClose, effEditIdle, effEditKeyDown, effEditKeyUp,
          effSetEditKnobMode, effEditDraw, effEditMouse, effEditKey, effEditTop, effEditSleep})
        EXPECT_EQ(send(effect, opcode, 1, 1, &rect, 1.0f), 0) << opcode;
    EXPECT_EQ(rect, reinterpret_cast<ERect*>(&effect));
}

TEST(Dispatcher, EditorOpcodesReachTheEditorWithAKeyRecord) {
    SpyEditor::destroyed = 0;
    {
        TestEffect effect;
        auto* editor = new SpyEditor(&effect);
        effect.setEditor(editor);
        EXPECT_EQ(effect.getAeffect()->flags & effFlagsHasEditor, effFlagsHasEditor);
        EXPECT_EQ(effect.getEditor(), editor);
        EXPECT_EQ(send(effect, effEditKeyDown, 'a', 0x1234, nullptr, 3.9f), 7);
        EXPECT_EQ(editor->lastKey.character, 'a');
        EXPECT_EQ(editor->lastKey.virt, 0x34);
        EXPECT_EQ(editor->lastKey.modifier, 3);
        EXPECT_EQ(send(effect, effEditKeyUp, 'b', 2, nullptr, 0.0f), 8);
        EXPECT_EQ(editor->lastKey.character, 'b');
        // Modifiers from any float: truncated toward zero, pinned beyond the integer range.
        const float inf = std::numeric_limits<float>::infinity();
        const struct {
            float opt;
            int modifier;
        } modifiers[] = {{-3.9f, 0xFD}, {2147483648.0f, 0xFF}, {1e30f, 0xFF},        {inf, 0xFF},
                         {-inf, 0x00},  {-1e30f, 0x00},        {std::nanf(""), 0x00}};
        for (const auto& m : modifiers) {
            EXPECT_EQ(send(effect, effEditKeyDown, 'c', 1, nullptr, m.opt), 7);
            EXPECT_EQ(editor->lastKey.modifier, m.modifier) << m.opt;
        }
        EXPECT_EQ(send(effect, effSetEditKnobMode, 0, 2), 1);
        EXPECT_EQ(editor->knobMode, 2);
        send(effect, effEditIdle);
        EXPECT_EQ(editor->idles, 1);
        ERect* rect = reinterpret_cast<ERect*>(&effect);
        EXPECT_EQ(send(effect, effEditGetRect, 0, 0, &rect), 0);
        EXPECT_EQ(rect, nullptr);
        EXPECT_EQ(send(effect, effEditGetRect, 0, 0, nullptr), 0);
    }
    EXPECT_EQ(SpyEditor::destroyed, 1);  // the effect owns its editor

    TestEffect effect;
    SpyEditor editor(&effect);
    effect.setEditor(&editor);
    effect.setEditor(nullptr);
    EXPECT_EQ(effect.getAeffect()->flags & effFlagsHasEditor, 0);
}

namespace {
// Records the typed arguments each operation receives from the dispatcher.
class ArgumentSpy : public TestEffect {
public:
    int32_t getChunk(void** data, bool isPreset) override {
        record("getChunk", 0, reinterpret_cast<intptr_t>(data), isPreset);
        return 40;
    }
    int32_t setChunk(void* data, int32_t byteSize, bool isPreset) override {
        record("setChunk", byteSize, reinterpret_cast<intptr_t>(data), isPreset);
        return 41;
    }
    void setBlockSize(int32_t size) override { record("setBlockSize", size, 0, false); }
    bool getProgramNameIndexed(int32_t category, int32_t index, char*) override {
        record("getProgramNameIndexed", category, index, false);
        return true;
    }
    bool copyProgram(int32_t destination) override {
        record("copyProgram", destination, 0, false);
        return true;
    }
    void connectInput(int32_t index, bool connected) override {
        record("connectInput", index, 0, connected);
    }
    bool offlineNotify(VstAudioFile*, int32_t numFiles, bool start) override {
        record("offlineNotify", numFiles, 0, start);
        return true;
    }
    bool setSpeakerArrangement(VstSpeakerArrangement* input,
                               VstSpeakerArrangement* output) override {
        record("setSpeakerArrangement", 0, reinterpret_cast<intptr_t>(input),
               output == reinterpret_cast<VstSpeakerArrangement*>(this));
        return true;
    }
    bool setBypass(bool on) override {
        record("setBypass", 0, 0, on);
        return true;
    }
    bool setViewPosition(int32_t x, int32_t y) override {
        record("setViewPosition", x, y, false);
        return true;
    }
    intptr_t vendorSpecific(int32_t index, intptr_t value, void*, float opt) override {
        record("vendorSpecific", index, value, opt == 2.5f);
        return -9;
    }
    bool setPanLaw(int32_t type, float gain) override {
        record("setPanLaw", type, 0, gain == 0.25f);
        return true;
    }
    int32_t getCurrentMidiProgram(int32_t channel, MidiProgramName*) override {
        record("getCurrentMidiProgram", channel, 0, false);
        return 3;
    }

    struct Call {
        std::string name;
        int32_t a;
        intptr_t b;
        bool flag;
    };
    std::vector<Call> calls;

private:
    void record(const char* name, int32_t a, intptr_t b, bool flag) {
        calls.push_back({name, a, b, flag});
    }
};
}  // namespace

TEST(Dispatcher, UnpacksEachOpcodesArgumentsIntoTheirTypedSlots) {
    ArgumentSpy effect;
    void* data = &effect;
    EXPECT_EQ(send(effect, effGetChunk, 1, 0, data), 40);
    EXPECT_EQ(send(effect, effSetChunk, 0, 123, data), 41);
    EXPECT_EQ(send(effect, effSetBlockSize, 0, 512), 0);
    EXPECT_EQ(send(effect, effGetProgramNameIndexed, 4, 2, data), 1);
    EXPECT_EQ(send(effect, effCopyProgram, 6), 1);
    EXPECT_EQ(send(effect, effConnectInput, 1, 0), 1);
    EXPECT_EQ(send(effect, effOfflineNotify, 2, 5, data), 1);
    EXPECT_EQ(send(effect, effSetSpeakerArrangement, 0, 77, data), 1);
    EXPECT_EQ(send(effect, effSetBypass, 0, 9), 1);
    EXPECT_EQ(send(effect, effSetViewPosition, 30, 40), 1);
    EXPECT_EQ(send(effect, effVendorSpecific, 11, 12, data, 2.5f), -9);
    EXPECT_EQ(send(effect, effSetPanLaw, 0, 2, nullptr, 0.25f), 1);
    EXPECT_EQ(send(effect, effGetCurrentMidiProgram, 15, 0, data), 3);

    const ArgumentSpy::Call expected[] = {
        {"getChunk", 0, reinterpret_cast<intptr_t>(data), true},  // index 1: a preset
        {"setChunk", 123, reinterpret_cast<intptr_t>(data), false},
        {"setBlockSize", 512, 0, false},
        {"getProgramNameIndexed", 2, 4, false},  // category from value, program from index
        {"copyProgram", 6, 0, false},
        {"connectInput", 1, 0, false},
        {"offlineNotify", 5, 0, true},  // count from value, start from index
        {"setSpeakerArrangement", 0, 77, true},
        {"setBypass", 0, 0, true},
        {"setViewPosition", 30, 40, false},
        {"vendorSpecific", 11, 12, true},
        {"setPanLaw", 2, 0, true},
        {"getCurrentMidiProgram", 15, 0, false},
    };
    ASSERT_EQ(effect.calls.size(), sizeof expected / sizeof expected[0]);
    for (size_t i = 0; i < effect.calls.size(); ++i) {
        EXPECT_EQ(effect.calls[i].name, expected[i].name);
        EXPECT_EQ(effect.calls[i].a, expected[i].a) << expected[i].name;
        EXPECT_EQ(effect.calls[i].b, expected[i].b) << expected[i].name;
        EXPECT_EQ(effect.calls[i].flag, expected[i].flag) << expected[i].name;
    }
}
