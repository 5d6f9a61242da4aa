// The format-neutral core on its own, as a second format's adapter drives it: values,
// programs, processing on plain channel pointers, and the output names.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/OutputPairs.h"
#include "core/VocoderCore.h"

namespace {

TEST(VocoderCore, ValuesAreStoredInTheCurrentProgramAndReachTheEngine) {
    VocoderCore core;
    EXPECT_TRUE(core.hasPrograms());
    EXPECT_EQ(core.program(), 0);
    for (int32_t slot = 0; slot < kParameterSlots; ++slot) {
        const ParameterInfo& info = slotInfo(slot);
        EXPECT_EQ(core.value(info.index), info.defaultValue) << info.name;
    }
    EXPECT_TRUE(core.setValue(kPredictionOrder, 0.1f));
    EXPECT_EQ(core.displayValue(kPredictionOrder), 21.0);
    EXPECT_EQ(core.engine().modulatorPredictor().order(), 21);
    EXPECT_TRUE(core.setValue(kWhiten, 0.7f));
    EXPECT_TRUE(core.engine().whitening());
    EXPECT_EQ(core.displayValue(kWhiten), 1.0);

    char text[64];
    core.displayText(kPredictionOrder, text);
    EXPECT_STREQ(text, "21 ");
    core.setValue(kMainVolume, 0.7f);
    core.displayText(kMainVolume, text);
    EXPECT_STREQ(text, "-12.0  dB");  // as the panel writes it

    // Index 19 and unknown indices change nothing, read 0 and have no text.
    for (int32_t index : {int32_t(kUnusedParameter), int32_t(-1), kParameterCount}) {
        EXPECT_FALSE(core.setValue(index, 0.5f)) << index;
        EXPECT_EQ(core.value(index), 0.0f) << index;
        EXPECT_EQ(core.displayValue(index), 0.0) << index;
        std::strcpy(text, "kept");
        core.displayText(index, text);
        EXPECT_STREQ(text, "kept") << index;
    }
}

TEST(VocoderCore, ProgramsKeepTheirOwnValuesAndNames) {
    VocoderCore core;
    core.setValue(kMainVolume, 0.25f);
    EXPECT_TRUE(core.setProgramName("a name longer than twenty-three characters"));
    EXPECT_STREQ(core.programName(0), "a name longer than twen");
    EXPECT_TRUE(core.copyProgram(3));
    EXPECT_TRUE(core.setProgram(1));
    EXPECT_EQ(core.value(kMainVolume), slotInfo(parameterSlot(kMainVolume)).defaultValue);
    EXPECT_STREQ(core.programName(1), "Init");
    EXPECT_TRUE(core.setProgram(3));
    EXPECT_EQ(core.value(kMainVolume), 0.25f);
    EXPECT_STREQ(core.programName(3), "a name longer than twen");

    for (int32_t program : {-1, VocoderCore::kProgramCount}) {
        EXPECT_FALSE(core.setProgram(program));
        EXPECT_FALSE(core.copyProgram(program));
        EXPECT_EQ(core.programName(program), nullptr);
    }
    EXPECT_EQ(core.program(), 3);
    EXPECT_FALSE(core.setProgramName(nullptr));
}

TEST(VocoderCore, ProcessingOnPlainPointers) {
    VocoderCore core;
    const int32_t frames = 64;
    std::vector<float> carrier(frames), modulator(frames);
    for (int32_t k = 0; k < frames; ++k) {
        carrier[k] = (k % 8) / 8.0f - 0.5f;
        modulator[k] = (k % 5) / 10.0f - 0.2f;
    }
    std::vector<std::vector<float>> out(VocoderCore::kOutputCount,
                                        std::vector<float>(frames, 9.0f));
    float* outputs[VocoderCore::kOutputCount];
    for (int32_t i = 0; i < VocoderCore::kOutputCount; ++i) outputs[i] = out[i].data();
    outputs[3] = nullptr;  // an output the host left unconnected
    const float* inputs[2] = {carrier.data(), modulator.data()};
    core.process(inputs, outputs, frames);
    EXPECT_EQ(out[2][0], 9.0f);  // the error pair lacks one buffer: untouched
    for (int32_t k = 0; k < frames; ++k) ASSERT_NE(out[0][k], 9.0f) << k;

    // Without inputs every connected output is silence; 0 or fewer frames touch nothing.
    const float* missing[2] = {carrier.data(), nullptr};
    core.process(missing, outputs, frames);
    for (int32_t i = 0; i < VocoderCore::kOutputCount; ++i) {
        if (!outputs[i]) continue;
        for (int32_t k = 0; k < frames; ++k) ASSERT_EQ(out[i][k], 0.0f) << i << "," << k;
    }
    out[0][0] = 5.0f;
    core.process(inputs, outputs, 0);
    core.process(inputs, outputs, -3);
    core.process(inputs, nullptr, frames);
    EXPECT_EQ(out[0][0], 5.0f);
}

TEST(VocoderCore, OutputChannelsAreNamedByTheirPair) {
    const char* expected[8] = {"Mix/Voc", "Mix/Voc", "Error",     "Error",
                               "Carrier", "Carrier", "Modulator", "Modulator"};
    for (int32_t channel = 0; channel < 8; ++channel)
        EXPECT_STREQ(outputChannelName(channel), expected[channel]) << channel;
    for (int32_t pair = 0; pair < kOutputPairCount; ++pair)
        EXPECT_STREQ(outputPairName(pair), expected[2 * pair]) << pair;
    EXPECT_EQ(outputChannelName(-1), nullptr);
    EXPECT_EQ(outputChannelName(8), nullptr);
    EXPECT_EQ(outputPairName(4), nullptr);
}

}  // namespace
