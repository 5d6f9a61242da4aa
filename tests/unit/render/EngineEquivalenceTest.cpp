#ifndef _WIN32

// The renderer must deliver exactly what the vocoder engine computes: the same eight outputs,
// sample for sample, whatever the block size and however the inputs arrive.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "RenderTestSupport.h"
#include "vocoder/DenormalGuard.h"
#include "vocoder/PortableMath.h"
#include "vocoder/VocoderEngine.h"

using namespace rendertest;

namespace {

// Normalised values of indices 0..18 and 20, as the plug-in starts.
struct Settings {
    float x[21] = {0.8f, 0.0f, 0.0f, 0.0f, 0.0f,  0.8f, 1.0f, 0.25f, 0.1f, 0.1f, 0.5f,
                   0.1f, 0.1f, 1.0f, 0.0f, 0.25f, 0.1f, 0.1f, 0.5f,  0.0f, 1.0f};
};

void configure(VocoderEngine& engine, const Settings& s) {
    auto dB = [&](int i) { return 120.0 * static_cast<double>(s.x[i]) - 96.0; };
    auto order = [&](int i) {
        return static_cast<int32_t>(std::floor(200.0 * static_cast<double>(s.x[i]))) + 1;
    };
    auto scaled = [&](int i, double scale) { return scale * static_cast<double>(s.x[i]); };
    engine.setSampleRate(44100.0);
    engine.setVocodedGain(dB(0));
    engine.setErrorGain(dB(1));
    engine.setModulatorGain(dB(2));
    engine.setCarrierGain(dB(3));
    engine.setWhitenedCarrierGain(dB(4));
    engine.setMasterGain(dB(5));
    engine.setPreEmphasis(portableTanh(3.0 * static_cast<double>(s.x[6])));
    engine.setModulatorOrder(order(7));
    engine.setModulatorLearningRate(scaled(8, 0.5));
    engine.setModulatorForgettingRate(scaled(9, 0.0001));
    engine.setModulatorSmoothing(scaled(10, 0.7));
    engine.setAttack(scaled(11, 20.0));
    engine.setRelease(scaled(12, 500.0));
    engine.setEnvelopeAmount(scaled(13, 100.0) * 0.01);
    engine.setWhitening(s.x[14] >= 0.5f);
    engine.setCarrierOrder(order(15));
    engine.setCarrierLearningRate(scaled(16, 0.04));
    engine.setCarrierForgettingRate(scaled(17, 0.0004));
    engine.setCarrierSmoothing(scaled(18, 0.7));
    engine.setSynthesisAmount(scaled(20, 100.0) * 0.01);
}

// The engine run directly over the inputs in blocks, as the plug-in runs it.
std::vector<float> engineOutputs(const Settings& settings, const std::vector<float>& carrier,
                                 const std::vector<float>& modulator, size_t blockSize) {
    VocoderEngine engine;
    configure(engine, settings);
    std::vector<float> interleaved(carrier.size() * 8);
    DenormalGuard flushDenormals;
    for (size_t start = 0; start < carrier.size(); start += blockSize) {
        size_t end = std::min(carrier.size(), start + blockSize);
        for (size_t k = start; k < end; ++k) {
            float* places[8];
            for (int i = 0; i < 8; ++i) places[i] = &interleaved[k * 8 + static_cast<size_t>(i)];
            engine.process(&carrier[k], &modulator[k], places, 1);
        }
        engine.clearNonFiniteState();
    }
    return interleaved;
}

size_t firstDifference(const std::vector<float>& a, const std::vector<float>& b) {
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a[i] != b[i]) return i;
    }
    return a.size() == b.size() ? std::string::npos : std::min(a.size(), b.size());
}

}  // namespace

TEST(RenderEngineEquivalence, AllEightOutputsEqualTheEngineSampleForSample) {
    ScratchDirectory dir;
    // 1.1 s, not a multiple of any block size used.
    std::vector<float> carrier = testSignal(48511, 110.0, 11);
    std::vector<float> modulator = testSignal(48511, 240.0, 12);
    writeAudio(dir.file("c.wav"), carrier, 1, 44100);
    writeAudio(dir.file("m.wav"), modulator, 1, 44100);

    Settings defaults;
    RunResult run = runRenderer({"--carrier", dir.file("c.wav"), "--modulator", dir.file("m.wav"),
                                 "--outputs", "all", "-q", "-o", dir.file("default.wav")});
    ASSERT_EQ(run.status, 0) << run.err;
    Audio rendered = readAudio(dir.file("default.wav"));
    ASSERT_EQ(rendered.channels, 8);
    EXPECT_EQ(firstDifference(rendered.samples, engineOutputs(defaults, carrier, modulator, 512)),
              std::string::npos);

    // Other settings, another block size, and both inputs from one stereo file.
    Settings changed;
    changed.x[14] = 1.0f;   // Whiten
    changed.x[7] = 0.3f;    // Pred-Order: 61 taps
    changed.x[15] = 0.12f;  // White-Order: 25 taps
    changed.x[1] = 0.7f;    // Error-Vol: -12 dB
    changed.x[13] = 0.6f;   // Env-Amt
    std::vector<float> stereo;
    for (size_t k = 0; k < carrier.size(); ++k) {
        stereo.push_back(carrier[k]);
        stereo.push_back(modulator[k]);
    }
    writeAudio(dir.file("both.wav"), stereo, 2, 44100);
    run = runRenderer({"--input", dir.file("both.wav"), "--outputs", "all", "-q", "--block-size",
                       "100", "--set", "Whiten=1", "--set", "Pred-Order=0.3", "--set",
                       "White-Order=0.12", "--set", "Error-Vol=0.7", "--set", "Env-Amt=0.6", "-o",
                       dir.file("changed.wav")});
    ASSERT_EQ(run.status, 0) << run.err;
    rendered = readAudio(dir.file("changed.wav"));
    std::vector<float> expected = engineOutputs(changed, carrier, modulator, 100);
    EXPECT_EQ(firstDifference(rendered.samples, expected), std::string::npos);
    // And the settings mattered: the default render differs.
    EXPECT_NE(firstDifference(rendered.samples, readAudio(dir.file("default.wav")).samples),
              std::string::npos);
}

#endif
