// The LV2 instance in front of the core: what a host's port values and buffers become, and
// what each kind of bad input from a host gets.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "lv2/Lv2Instance.h"
#include "lv2/PortUnits.h"

namespace {

const int32_t kFrames = 3000;  // several scratch blocks and a short last one
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

struct Signals {
    std::vector<float> carrier, modulator;
    explicit Signals(int32_t frames) : carrier(frames), modulator(frames) {
        for (int32_t i = 0; i < frames; ++i) {
            carrier[i] = static_cast<float>(0.4 * std::sin(0.031 * i) + 0.2 * std::sin(0.17 * i));
            modulator[i] = static_cast<float>(0.5 * std::sin(0.013 * i) * std::sin(0.002 * i));
        }
    }
};

using Channels = std::vector<std::vector<float>>;

// The host's side of one instance: a buffer for every port, control ports at their defaults.
struct Host {
    PluginVariant variant;
    std::unique_ptr<Lv2Instance> instance;
    float controls[kParameterSlots];
    Channels outputs;

    explicit Host(PluginVariant variant = PluginVariant::full, double rate = 44100.0)
        : variant(variant),
          instance(new Lv2Instance(variant, rate)),
          outputs(audioPortCount(variant) - 2, std::vector<float>(kFrames, 7.0f)) {
        for (int32_t slot = 0; slot < kParameterSlots; ++slot) {
            const ParameterInfo& info = slotInfo(slot);
            controls[slot] = normalisedToPortValue(info, info.defaultValue);
            instance->connect(controlPortIndex(variant, slot), &controls[slot]);
        }
        for (size_t channel = 0; channel < outputs.size(); ++channel)
            instance->connect(2 + channel, outputs[channel].data());
    }

    void set(int32_t index, float portValue) { controls[parameterSlot(index)] = portValue; }

    void run(Signals& in, int32_t offset, int32_t frames) {
        instance->connect(0, in.carrier.data() + offset);
        instance->connect(1, in.modulator.data() + offset);
        for (size_t channel = 0; channel < outputs.size(); ++channel)
            if (!outputs[channel].empty())
                instance->connect(2 + channel, outputs[channel].data() + offset);
        instance->run(static_cast<uint32_t>(frames));
    }
    void run(Signals& in) { run(in, 0, kFrames); }
};

// The core on its own, as the VST 2.x effect drives it: normalised values, all outputs.
Channels coreOutputs(Signals& in, const std::vector<std::pair<int32_t, float>>& values,
                     double rate = 44100.0) {
    auto core = std::make_unique<VocoderCore>();
    core->setSampleRate(rate);
    for (const auto& value : values) core->setValue(value.first, value.second);
    Channels out(VocoderCore::kOutputCount, std::vector<float>(kFrames));
    const float* inputs[] = {in.carrier.data(), in.modulator.data()};
    float* outputs[VocoderCore::kOutputCount];
    for (int32_t i = 0; i < VocoderCore::kOutputCount; ++i) outputs[i] = out[i].data();
    core->process(inputs, outputs, kFrames);
    return out;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

float peak(const std::vector<float>& values) {
    float worst = 0.0f;
    for (float v : values) worst = std::fabs(v) > worst || v != v ? std::fabs(v) : worst;
    return worst;
}

}  // namespace

TEST(Lv2Instance, PortValuesThatMapExactlyGiveTheCoresAudioBitForBit) {
    Signals in(kFrames);
    Host defaults;
    defaults.run(in);
    const Channels reference = coreOutputs(in, {});
    for (int32_t channel = 0; channel < VocoderCore::kOutputCount; ++channel)
        EXPECT_TRUE(sameBits(defaults.outputs[channel], reference[channel])) << channel;

    Host edited;
    edited.set(kWhiten, 1.0f);
    edited.set(kPredictionOrder, 21.0f);
    edited.set(kWhiteningOrder, 81.0f);
    edited.set(kEnvelopeRelease, normalisedToPortValue(*findParameter(kEnvelopeRelease), 0.3f));
    edited.set(kMainVolume, -6.0f);
    edited.run(in);
    const Channels whitened = coreOutputs(in, {{kWhiten, 1.0f},
                                               {kPredictionOrder, 0.1f},
                                               {kWhiteningOrder, 0.4f},
                                               {kEnvelopeRelease, 0.3f},
                                               {kMainVolume, 0.75f}});
    for (int32_t channel = 0; channel < VocoderCore::kOutputCount; ++channel)
        EXPECT_TRUE(sameBits(edited.outputs[channel], whitened[channel])) << channel;
    EXPECT_FALSE(sameBits(edited.outputs[0], reference[0]));
}

TEST(Lv2Instance, TheStereoPlugInHasTheMixPairOfTheFullOne) {
    Signals in(kFrames);
    Host full, stereo(PluginVariant::mix);
    full.set(kWhiten, 1.0f);
    stereo.set(kWhiten, 1.0f);
    full.run(in);
    stereo.run(in);
    ASSERT_EQ(stereo.outputs.size(), 2u);
    EXPECT_TRUE(sameBits(stereo.outputs[0], full.outputs[0]));
    EXPECT_TRUE(sameBits(stereo.outputs[1], full.outputs[1]));
    EXPECT_EQ(controlPortIndex(PluginVariant::mix, 0), 4);
}

TEST(Lv2Instance, ValuesOutOfRangeTakeTheEndsAndNonFiniteValuesKeepTheLastUsableOne) {
    Signals in(kFrames);
    Host host;
    host.set(kVocodedVolume, -1e6f);
    host.set(kEnvelopeAmount, 1e30f);
    host.set(kPredictionOrder, 5000.0f);
    host.run(in, 0, 100);
    const VocoderCore& core = host.instance->core();
    EXPECT_EQ(core.value(kVocodedVolume), 0.0f);
    EXPECT_EQ(core.value(kEnvelopeAmount), 1.0f);
    EXPECT_EQ(core.displayValue(kPredictionOrder), 201.0);

    host.set(kVocodedVolume, kNaN);
    host.set(kEnvelopeAmount, -kInf);
    host.set(kPredictionOrder, kInf);
    host.set(kEnvelopeAttack, kNaN);
    host.run(in, 100, kFrames - 100);
    EXPECT_EQ(core.value(kVocodedVolume), 0.0f);
    EXPECT_EQ(core.value(kEnvelopeAmount), 1.0f);
    EXPECT_EQ(core.displayValue(kPredictionOrder), 201.0);
    EXPECT_EQ(core.value(kEnvelopeAttack), findParameter(kEnvelopeAttack)->defaultValue);
    for (const auto& channel : host.outputs) EXPECT_LT(peak(channel), 100.0f);
}

TEST(Lv2Instance, RunWithZeroFramesAppliesValuesAndWritesNothing) {
    Signals in(kFrames);
    Host host;
    host.set(kWhiten, 1.0f);
    host.run(in, 0, 0);
    EXPECT_EQ(host.instance->core().value(kWhiten), 1.0f);
    for (const auto& channel : host.outputs) EXPECT_EQ(channel[0], 7.0f);
    host.run(in);
    EXPECT_TRUE(sameBits(host.outputs[0], coreOutputs(in, {{kWhiten, 1.0f}})[0]));
}

TEST(Lv2Instance, UnconnectedOutputsAreSkippedAndAHalfConnectedPairStillGetsItsSignal) {
    Signals in(kFrames);
    const Channels reference = coreOutputs(in, {});
    Host host;
    for (uint32_t port = 4; port < 10; ++port) host.instance->connect(port, nullptr);
    // Only the right channel of the error pair and the left of the modulator pair.
    host.outputs[2].clear();
    host.outputs[4].clear();
    host.outputs[5].clear();
    host.outputs[7].clear();
    host.instance->connect(5, host.outputs[3].data());
    host.instance->connect(8, host.outputs[6].data());
    host.run(in);
    EXPECT_TRUE(sameBits(host.outputs[0], reference[0]));
    EXPECT_TRUE(sameBits(host.outputs[1], reference[1]));
    EXPECT_TRUE(sameBits(host.outputs[3], reference[3]));
    EXPECT_TRUE(sameBits(host.outputs[6], reference[6]));
}

TEST(Lv2Instance, OutputsMayBeTheInputBuffers) {
    Signals in(kFrames);
    const Channels reference = coreOutputs(in, {});
    Host host;
    host.instance->connect(0, in.carrier.data());
    host.instance->connect(1, in.modulator.data());
    host.instance->connect(2, in.carrier.data());
    host.instance->connect(3, in.modulator.data());
    host.instance->run(kFrames);
    EXPECT_TRUE(sameBits(in.carrier, reference[0]));
    EXPECT_TRUE(sameBits(in.modulator, reference[1]));
}

TEST(Lv2Instance, RatesFrom8To384KilohertzReachTheEngine) {
    for (double rate : {8000.0, 22050.0, 44100.0, 96000.0, 192000.0, 384000.0}) {
        Signals in(kFrames);
        Host host(PluginVariant::full, rate);
        EXPECT_EQ(host.instance->core().engine().sampleRate(), rate);
        host.run(in);
        EXPECT_TRUE(sameBits(host.outputs[0], coreOutputs(in, {}, rate)[0])) << rate;
        EXPECT_GT(peak(host.outputs[0]), 0.0f) << rate;
    }
}

TEST(Lv2Instance, ActivateStartsFromSilenceWithTheValuesKept) {
    Signals in(kFrames);
    Host host;
    host.set(kWhiten, 1.0f);
    host.run(in);  // without an activate first, as a host may
    const std::vector<float> first = host.outputs[0];
    host.instance->activate();
    host.run(in);
    EXPECT_TRUE(sameBits(host.outputs[0], first));
    host.instance->activate();
    host.instance->activate();
    host.run(in, 0, 1000);
    host.run(in, 1000, kFrames - 1000);
    EXPECT_TRUE(sameBits(host.outputs[0], first));
}

TEST(Lv2Instance, AChangedOrderClearsStateButTheSameOrderFromAnotherPortValueDoesNot) {
    Signals in(kFrames);
    Host steady, nudged;
    steady.run(in, 0, 1000);
    nudged.run(in, 0, 1000);
    nudged.set(kPredictionOrder, 51.3f);  // still order 51
    steady.run(in, 1000, kFrames - 1000);
    nudged.run(in, 1000, kFrames - 1000);
    EXPECT_TRUE(sameBits(steady.outputs[0], nudged.outputs[0]));
}

TEST(Lv2Instance, ANonFiniteModulatorSampleIsTakenAsSilence) {
    Signals in(kFrames), zeroed(kFrames);
    in.modulator[1000] = kNaN;
    in.modulator[1500] = kInf;
    in.carrier[2000] = -kInf;
    zeroed.modulator[1000] = 0.0f;
    zeroed.modulator[1500] = 0.0f;
    zeroed.carrier[2000] = 0.0f;
    Host bad, clean;
    bad.run(in);
    clean.run(zeroed);
    for (int32_t channel = 0; channel < VocoderCore::kOutputCount; ++channel) {
        EXPECT_TRUE(sameBits(bad.outputs[channel], clean.outputs[channel])) << channel;
        EXPECT_LT(peak(bad.outputs[channel]), 10.0f) << channel;
    }
}
