// The effect through its record and dispatcher: defaults, parameters, programs, identity,
// lifecycle.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "host/EditorBase.h"
#include "unit/vocoder/EffectFixture.h"

namespace {

std::string text(EffectUnderTest& fx, int32_t opcode, int32_t index) {
    char buffer[64];
    std::memset(buffer, 'q', sizeof buffer);
    buffer[63] = '\0';
    fx.dispatch(opcode, index, 0, buffer);
    return buffer;
}

const std::string kUntouched(63, 'q');

// Counts the update requests the effect sends.
class CountingEditor : public EditorBase {
public:
    explicit CountingEditor(EffectBase* effect) : EditorBase(effect) {}
    void requestUpdate() override { ++requests; }
    int requests = 0;
};

}  // namespace

TEST(VocoderEffect, ConstructionSetsRecordDefaultsAndEngine) {
    EffectUnderTest fx;
    EXPECT_EQ(fx.record->numPrograms, 8);
    EXPECT_EQ(fx.record->numParams, 21);
    EXPECT_EQ(fx.record->numInputs, 2);
    EXPECT_EQ(fx.record->numOutputs, 8);
    EXPECT_EQ(fx.record->flags & ~effFlagsHasEditor, effFlagsCanMono | effFlagsCanReplacing);
    EXPECT_EQ((fx.record->flags & effFlagsHasEditor) != 0, fx.effect->getEditor() != nullptr);
    EXPECT_EQ(fx.record->uniqueID, 0x6C51734F);
    EXPECT_EQ(std::memcmp(&fx.record->uniqueID, "OsQl", 4), 0);

    const float defaults[21] = {0.8f, 0,    0,    0, 0,     0.8f, 1.0f, 0.25f, 0.1f, 0.1f, 0.5f,
                                0.1f, 0.1f, 1.0f, 0, 0.25f, 0.1f, 0.1f, 0.5f,  0,    1.0f};
    for (int i = 0; i < 21; ++i) EXPECT_EQ(fx.get(i), defaults[i]) << "index " << i;
    EXPECT_EQ(fx.dispatch(effGetProgram), 0);
    EXPECT_EQ(text(fx, effGetProgramName, 0), "Init");

    const VocoderEngine& engine = fx.effect->getEngine();
    EXPECT_EQ(engine.modulatorPredictor().order(), 51);
    EXPECT_EQ(engine.carrierPredictor().order(), 51);
    EXPECT_EQ(engine.modulatorPredictor().learningRate(), 0.5 * static_cast<double>(0.1f));
    EXPECT_NEAR(engine.modulatorPredictor().forgettingRate(), 0.00001, 1e-12);
    EXPECT_NEAR(engine.carrierPredictor().learningRate(), 0.004, 1e-10);
    EXPECT_NEAR(engine.preEmphasis(), 0.99505, 1e-5);
    EXPECT_NEAR(engine.follower().attackTime(), 0.002, 1e-9);
    EXPECT_NEAR(engine.follower().releaseTime(), 0.05, 1e-9);
    EXPECT_EQ(engine.follower().sampleRate(), 44100.0);
    EXPECT_FALSE(engine.whitening());
    EXPECT_EQ(engine.envelopeAmount(), 1.0);
    EXPECT_EQ(engine.synthesisFilter().amount(), 1.0);
    EXPECT_NEAR(engine.vocodedGain(), 1.0, 1e-6);
    EXPECT_NEAR(engine.errorGain(), 1.58489e-5, 1e-9);
}

TEST(VocoderEffect, NamesLabelsAndDisplaysThroughTheDispatcher) {
    EffectUnderTest fx;
    const char* names[21] = {"Voco-Vol",      "Error-Vol",    "Modulator-Vol", "Carrier-Vol",
                             "w-Carrier-Vol", "main Vol",     "PreEmphasis",   "Pred-Order",
                             "Pred-Learn",    "Pred-Forget",  "Pred-Smooth",   "Env-Att",
                             "Env-Rel",       "Env-Amt",      "Whiten",        "White-Order",
                             "White-Learn",   "White-Forget", "White-Smooth",  nullptr,
                             "Filt-Amt"};
    const char* labels[21] = {
        "dB",     "dB",         "dB",          "dB",          "dB",          "dB",    "coeff",
        "taps",   "learn-rate", "forget-rate", "smooth-rate", "ms",          "ms",    "%",
        "on/off", "taps",       "learn-rate",  "forget-rate", "smooth-rate", nullptr, "%"};
    for (int i = 0; i < 21; ++i) {
        if (!names[i]) continue;
        EXPECT_EQ(text(fx, effGetParamName, i), names[i]);
        EXPECT_EQ(text(fx, effGetParamLabel, i), labels[i]);
    }
    for (int i : {19, 21, -1, 1000}) {
        EXPECT_EQ(text(fx, effGetParamName, i), kUntouched) << i;
        EXPECT_EQ(text(fx, effGetParamLabel, i), kUntouched) << i;
        EXPECT_EQ(text(fx, effGetParamDisplay, i), kUntouched) << i;
    }

    EXPECT_EQ(text(fx, effGetParamDisplay, 7), "51.00000");
    EXPECT_EQ(text(fx, effGetParamDisplay, 13), "100.0000");
    EXPECT_EQ(text(fx, effGetParamDisplay, 14), "0.000000");
    EXPECT_EQ(text(fx, effGetParamDisplay, 6), "0.995054");  // tanh 3, truncated
    fx.set(0, 1.0f);
    EXPECT_EQ(text(fx, effGetParamDisplay, 0), "24.00000");
    fx.set(0, 0.0f);
    EXPECT_EQ(text(fx, effGetParamDisplay, 0), "-96.0000");
    fx.set(14, 0.5f);
    EXPECT_EQ(text(fx, effGetParamDisplay, 14), "1.000000");
    fx.set(7, -0.5f);
    EXPECT_EQ(text(fx, effGetParamDisplay, 7), "-99.0000");
    fx.set(12, 0.25f);
    EXPECT_EQ(text(fx, effGetParamDisplay, 12), "125.0000");
    fx.set(20, 0.25f);
    EXPECT_EQ(text(fx, effGetParamDisplay, 20), "25.00000");
}

TEST(VocoderEffect, ValueMappingsReachTheEngineWithTheirGuards) {
    EffectUnderTest fx;
    const VocoderEngine& engine = fx.effect->getEngine();

    fx.set(7, 1.0f);
    EXPECT_EQ(engine.modulatorPredictor().order(), 201);
    fx.set(7, 0.0f);
    EXPECT_EQ(engine.modulatorPredictor().order(), 1);
    fx.set(7, -0.5f);
    EXPECT_EQ(fx.effect->getDisplayValue(7), -99.0);
    EXPECT_EQ(engine.modulatorPredictor().order(), 1024);
    fx.set(15, 1e30f);  // far outside the 32-bit range: still a valid order
    EXPECT_EQ(engine.carrierPredictor().order(), 1024);
    fx.set(15, NAN);
    EXPECT_EQ(engine.carrierPredictor().order(), 1024);

    fx.set(0, 1.0f);
    EXPECT_NEAR(engine.vocodedGain(), std::pow(10.0, 1.2), 1e-12);
    fx.set(0, 0.8f);
    EXPECT_NEAR(fx.effect->getDisplayValue(0), 0.0000014, 1e-7);
    EXPECT_GT(engine.vocodedGain(), 1.0);
    EXPECT_NEAR(engine.vocodedGain(), 1.0000002, 1e-7);

    fx.set(14, 0.4999f);
    EXPECT_FALSE(engine.whitening());
    fx.set(14, 0.5f);
    EXPECT_TRUE(engine.whitening());
    fx.set(14, NAN);
    EXPECT_FALSE(engine.whitening());

    fx.set(8, 2.5f);
    EXPECT_EQ(fx.get(8), 2.5f);
    EXPECT_EQ(fx.effect->getDisplayValue(8), 1.25);
    EXPECT_EQ(engine.modulatorPredictor().learningRate(), 0.5 * static_cast<double>(0.1f));

    fx.set(13, 0.5f);
    EXPECT_EQ(engine.envelopeAmount(), 0.5);
    fx.set(13, 1.5f);  // 150 %: shown, not applied
    EXPECT_EQ(fx.effect->getDisplayValue(13), 150.0);
    EXPECT_EQ(engine.envelopeAmount(), 0.5);
    fx.set(20, 0.0f);
    EXPECT_EQ(engine.synthesisFilter().amount(), 0.0);
    fx.set(6, -0.2f);  // negative coefficient: ignored
    EXPECT_NEAR(engine.preEmphasis(), 0.99505, 1e-5);
    fx.set(6, 0.0f);
    EXPECT_EQ(engine.preEmphasis(), 0.0);
    fx.set(11, 0.0f);  // zero attack: one sample period
    EXPECT_EQ(engine.follower().attackTime(), 1.0 / 44100.0);
    fx.set(17, 0.5f);
    EXPECT_NEAR(engine.carrierPredictor().forgettingRate(), 0.0002, 1e-12);
}

TEST(VocoderEffect, IndexNineteenStoresNothingButStillNotifiesTheEditor) {
    EffectUnderTest fx;
    delete fx.effect->getEditor();
    CountingEditor* editor = new CountingEditor(fx.effect);
    fx.effect->setEditor(editor);  // the effect deletes it
    float before[21];
    for (int i = 0; i < 21; ++i) before[i] = fx.get(i);
    fx.set(19, 0.7f);
    EXPECT_EQ(fx.get(19), 0.0f);
    for (int i = 0; i < 21; ++i) EXPECT_EQ(fx.get(i), before[i]);
    EXPECT_EQ(editor->requests, 1);
    fx.set(-3, 0.2f);
    fx.set(21, 0.2f);
    fx.set(3, 0.2f);
    EXPECT_EQ(editor->requests, 4);
    // A program change notifies once per re-applied parameter.
    fx.dispatch(effSetProgram, 0, 2);
    EXPECT_EQ(editor->requests, 24);
}

TEST(VocoderEffect, ProgramsStoreEditsAndReapplyThem) {
    EffectUnderTest fx;
    const VocoderEngine& engine = fx.effect->getEngine();
    fx.dispatch(effSetProgram, 0, 3);
    EXPECT_EQ(fx.dispatch(effGetProgram), 3);
    fx.set(0, 0.3f);
    fx.set(7, 0.5f);
    fx.set(20, 0.6f);
    fx.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(fx.get(0), 0.8f);
    EXPECT_EQ(engine.modulatorPredictor().order(), 51);

    // Let the predictors adapt, then change program: they start from zero again.
    Block block(256);
    block.fill(7);
    fx.dispatch(effSetProgram, 0, 3);
    block.replacing(fx.record);
    ASSERT_NE(engine.modulatorPredictor().coefficients()[0], 0.0);
    fx.dispatch(effSetProgram, 0, 3);
    EXPECT_EQ(fx.get(0), 0.3f);
    EXPECT_EQ(fx.get(7), 0.5f);
    EXPECT_EQ(fx.get(20), 0.6f);
    EXPECT_EQ(fx.get(1), 0.0f);
    EXPECT_EQ(engine.modulatorPredictor().order(), 101);
    EXPECT_EQ(engine.synthesisFilter().amount(), 0.6f * 100.0 * 0.01);
    for (int i = 0; i < 1024; ++i) {
        ASSERT_EQ(engine.modulatorPredictor().coefficients()[i], 0.0);
        ASSERT_EQ(engine.carrierPredictor().history()[i], 0.0);
    }

    // Out-of-range program numbers from the host change nothing.
    fx.dispatch(effSetProgram, 0, 8);
    fx.dispatch(effSetProgram, 0, -1);
    EXPECT_EQ(fx.dispatch(effGetProgram), 3);
    // Nor do they from a direct call.
    fx.effect->setProgram(99);
    fx.effect->setProgram(-1);
    EXPECT_EQ(fx.dispatch(effGetProgram), 3);
}

TEST(VocoderEffect, ProgramNamesCopyAndIndexedNames) {
    EffectUnderTest fx;
    char name[] = "Whisper";
    fx.dispatch(effSetProgramName, 0, 0, name);
    fx.set(2, 0.4f);
    EXPECT_EQ(fx.dispatch(effCopyProgram, 5), 1);
    EXPECT_EQ(fx.dispatch(effGetProgram), 0);
    EXPECT_EQ(text(fx, effGetProgramNameIndexed, 5), "Whisper");
    EXPECT_EQ(text(fx, effGetProgramNameIndexed, 4), "Init");
    fx.dispatch(effSetProgram, 0, 5);
    EXPECT_EQ(fx.get(2), 0.4f);
    EXPECT_EQ(text(fx, effGetProgramName, 0), "Whisper");

    EXPECT_EQ(fx.dispatch(effCopyProgram, 8), 0);
    EXPECT_EQ(fx.dispatch(effCopyProgram, -1), 0);
    // Onto the current program itself: succeeds and changes nothing.
    EXPECT_EQ(fx.dispatch(effCopyProgram, 5), 1);
    EXPECT_EQ(text(fx, effGetProgramNameIndexed, 5), "Whisper");
    EXPECT_EQ(fx.get(2), 0.4f);
    char buffer[32] = "untouched";
    EXPECT_EQ(fx.dispatch(effGetProgramNameIndexed, 8, 0, buffer), 0);
    EXPECT_EQ(fx.dispatch(effGetProgramNameIndexed, -1, 0, buffer), 0);
    EXPECT_STREQ(buffer, "untouched");
    EXPECT_EQ(fx.dispatch(effGetProgramNameIndexed, 2, 77, buffer), 1);  // category ignored
    EXPECT_STREQ(buffer, "Init");
}

TEST(VocoderEffect, LongProgramNameIsCutToTwentyThreeCharacters) {
    EffectUnderTest fx;
    fx.dispatch(effSetProgram, 0, 6);
    char longName[] = "An exceedingly long program name of fifty-odd characters";
    fx.dispatch(effSetProgramName, 0, 0, longName);
    EXPECT_EQ(text(fx, effGetProgramName, 0), std::string(longName, 23));
    // The neighbouring program record is intact.
    EXPECT_EQ(text(fx, effGetProgramNameIndexed, 7), "Init");
    fx.dispatch(effSetProgram, 0, 7);
    EXPECT_EQ(fx.get(0), 0.8f);
    EXPECT_EQ(fx.get(7), 0.25f);
    char exact[] = "Twenty-three characters";
    fx.dispatch(effSetProgramName, 0, 0, exact);
    EXPECT_EQ(text(fx, effGetProgramName, 0), "Twenty-three characters");
}

TEST(VocoderEffect, IdentityStringsPinsAndCapabilities) {
    EffectUnderTest fx;
    EXPECT_EQ(text(fx, effGetEffectName, 0), "Ostraquelle");
    EXPECT_EQ(text(fx, effGetProductString, 0), "Ostraquelle");
    EXPECT_EQ(text(fx, effGetVendorString, 0), "Valtrisk");
    char plain[] = "receiveVstEvents";
    char other[] = "anything at all";
    EXPECT_EQ(fx.dispatch(effCanDo, 0, 0, plain), 0);
    EXPECT_EQ(fx.dispatch(effCanDo, 0, 0, other), 0);
    EXPECT_EQ(fx.dispatch(effGetTailSize), 0);

    const char* labels[8] = {"Mix/Voc", "Mix/Voc", "Error",     "Error",
                             "Carrier", "Carrier", "Modulator", "Modulator"};
    for (int i = 0; i < 8; ++i) {
        VstPinProperties pin;
        std::memset(&pin, 0x55, sizeof pin);
        EXPECT_EQ(fx.dispatch(effGetOutputProperties, i, 0, &pin), 1);
        EXPECT_STREQ(pin.label, labels[i]);
        EXPECT_EQ(pin.flags, 3);
        EXPECT_EQ(pin.arrangementType, 1);
        for (char c : pin.shortLabel) EXPECT_EQ(c, 0x55);  // left as it was
    }
    for (int i : {8, -1}) {
        VstPinProperties pin;
        std::memset(&pin, 0x55, sizeof pin);
        EXPECT_EQ(fx.dispatch(effGetOutputProperties, i, 0, &pin), 0);
        EXPECT_EQ(pin.flags, 0x55555555);
    }
}

TEST(VocoderEffect, SuspendClearsTheEngineAndResumeDoesNot) {
    EffectUnderTest fx;
    const VocoderEngine& engine = fx.effect->getEngine();
    Block loud(512);
    loud.fill(3);
    loud.replacing(fx.record);
    const double adapted = engine.modulatorPredictor().coefficients()[0];
    ASSERT_NE(adapted, 0.0);
    EXPECT_EQ(fx.dispatch(effMainsChanged, 0, 1), 0);
    EXPECT_EQ(engine.modulatorPredictor().coefficients()[0], adapted);
    EXPECT_NE(engine.follower().envelope(), 0.0);

    EXPECT_EQ(fx.dispatch(effMainsChanged, 0, 0), 0);
    Block silence(256);
    silence.replacing(fx.record);
    for (const auto& channel : silence.out)
        for (float value : channel) ASSERT_EQ(value, 0.0f);
}

TEST(VocoderEffect, SampleRateReachesTheFollowerOnly) {
    EffectUnderTest fx;
    const VocoderEngine& engine = fx.effect->getEngine();
    Block block(300);
    block.fill(11);
    block.replacing(fx.record);
    const double adapted = engine.modulatorPredictor().coefficients()[3];
    ASSERT_NE(adapted, 0.0);
    fx.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_NEAR(engine.follower().attackCoefficient(), 0.98963, 1e-5);
    EXPECT_EQ(engine.modulatorPredictor().coefficients()[3], adapted);
    EXPECT_EQ(fx.effect->getSampleRate(), 48000.0f);

    // A rate of 0 is stored by the effect but ignored by the engine.
    fx.dispatch(effSetSampleRate, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(fx.effect->getSampleRate(), 0.0f);
    EXPECT_EQ(engine.sampleRate(), 48000.0);
    fx.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);

    // Opcode 43 stores the rate in the base state only.
    EXPECT_EQ(fx.dispatch(effSetBlockSizeAndSampleRate, 0, 256, nullptr, 96000.0f), 1);
    EXPECT_EQ(fx.effect->getSampleRate(), 96000.0f);
    EXPECT_EQ(fx.effect->getBlockSize(), 256);
    EXPECT_EQ(engine.sampleRate(), 48000.0);
    EXPECT_EQ(engine.follower().sampleRate(), 48000.0);
}

// The panel's controller, answered by the effect in-process: values, the user's change as an
// automated one, and the panel's text of the current value.
TEST(VocoderEffect, AnswersThePanelsControllerInProcess) {
    EffectUnderTest fx;
    EditorController& controller = *fx.effect;
    EXPECT_EQ(controller.parameterValue(7), 0.25f);
    controller.setParameterByUser(7, 0.1f);
    EXPECT_EQ(fx.get(7), 0.1f);
    EXPECT_EQ(fx.effect->getEngine().modulatorPredictor().order(), 21);
    char text[64] = "kept";
    controller.parameterText(19, text);
    EXPECT_STREQ(text, "kept");
    controller.parameterText(7, text);
    EXPECT_STREQ(text, "21 ");
}
