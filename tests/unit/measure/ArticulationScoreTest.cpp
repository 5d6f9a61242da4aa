#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "MeasureTestSignals.h"
#include "tools/measure/ArticulationScore.h"
#include "tools/measure/Level.h"

using namespace measuretest;

namespace {

double articulation(const std::vector<float>& voice, const std::vector<float>& processed,
                    int rate) {
    Measurement m = ArticulationScore::measure(voice, rate, processed, rate);
    EXPECT_TRUE(m.ok) << m.error;
    return m.score;
}

std::vector<float> tone(size_t length, double hz, double rate, double amplitude) {
    std::vector<float> out(length);
    const double pi = std::acos(-1.0);
    for (size_t i = 0; i < length; ++i) {
        out[i] = static_cast<float>(amplitude * std::sin(2.0 * pi * hz * double(i) / rate));
    }
    return out;
}

}  // namespace

TEST(MeasureArticulation, FramesStepBy10MsAndTheBandsRunFrom100Hz) {
    const double rate = 44100.0;
    // 20 ms frames (882 samples) every 10 ms (441): one second holds 99 of them.
    auto frames = BandEnergy::analyse(tone(44100, 1000.0, rate, 0.5), rate,
                                      ArticulationScore::layout());
    ASSERT_EQ(frames.size(), 99u);
    // Band b spans 100 Hz * 80^(b/20) to 100 Hz * 80^((b+1)/20): 1 kHz lies in band 10 (894
    // to 1114 Hz) and 3 kHz in band 15 (2675 to 3331 Hz).
    auto loudestBand = [](const BandEnergy::Frame& frame) {
        int best = 0;
        for (int b = 1; b < BandEnergy::kBands; ++b) {
            if (frame[size_t(b)] > frame[size_t(best)]) best = b;
        }
        return best;
    };
    EXPECT_EQ(loudestBand(frames[50]), 10);
    auto higher = BandEnergy::analyse(tone(44100, 3000.0, rate, 0.5), rate,
                                      ArticulationScore::layout());
    EXPECT_EQ(loudestBand(higher[50]), 15);
    // The renderer's own band analysis keeps its frames back to back from 150 Hz.
    EXPECT_EQ(BandEnergy::analyse(tone(44100, 1000.0, rate, 0.5), rate).size(), 50u);
}

TEST(MeasureArticulation, OnlyFramesWithin40DbOfTheVoicesLoudestTakePart) {
    BandEnergy::Frame loud;
    BandEnergy::Frame softer;
    BandEnergy::Frame faint;
    loud.fill(-10.0);
    softer.fill(-49.0);
    faint.fill(-51.0);
    std::vector<bool> active = ArticulationScore::activeFrames({softer, loud, faint, loud});
    EXPECT_EQ(active, (std::vector<bool>{true, true, false, true}));

    // The voice with two seconds of silence; the processed copy has noise there. The
    // silence does not count, so the copy still scores almost 1.
    const Voice& voice = demoVoice();
    std::vector<float> gapped(voice.samples.begin(), voice.samples.begin() + voice.rate * 3);
    gapped.resize(gapped.size() + size_t(voice.rate) * 2, 0.0f);
    gapped.insert(gapped.end(), voice.samples.begin() + voice.rate * 3, voice.samples.end());
    std::vector<float> filled = gapped;
    auto hiss = noise(size_t(voice.rate) * 2, 0.1, 4);
    for (size_t i = 0; i < hiss.size(); ++i) filled[size_t(voice.rate) * 3 + i] += hiss[i];
    EXPECT_GT(articulation(gapped, filled, voice.rate), 0.97);
}

TEST(MeasureArticulation, TheVoiceScoresOneAndUnrelatedSignalsAboutZero) {
    const Voice& voice = demoVoice();
    const auto& x = voice.samples;
    EXPECT_NEAR(articulation(x, x, voice.rate), 1.0, 1e-9);
    std::vector<float> quieter(x);
    for (float& s : quieter) s *= 0.1f;
    EXPECT_NEAR(articulation(x, quieter, voice.rate), 1.0, 1e-6);
    double noiseAlone = articulation(x, noise(x.size(), 0.1, 8), voice.rate);
    double carrierAlone = articulation(x, sawtoothChord(x.size(), voice.rate, 0.5), voice.rate);
    EXPECT_NEAR(noiseAlone, 0.0, 0.1);
    EXPECT_NEAR(carrierAlone, 0.0, 0.1);
    double delayed20 = articulation(x, delayed(x, size_t(voice.rate) / 50), voice.rate);
    EXPECT_LT(delayed20, 0.9);
    EXPECT_GT(delayed20, 0.2);
    // A processed signal that stops early counts as silent after its end.
    std::vector<float> cut(x.begin(), x.begin() + long(x.size() / 2));
    EXPECT_LT(articulation(x, cut, voice.rate), 0.9);
}

TEST(MeasureArticulation, PairsThatCannotBeMeasuredAreRefused) {
    const Voice& voice = demoVoice();
    const auto& x = voice.samples;
    EXPECT_FALSE(ArticulationScore::measure(x, 44100, x, 22050).ok);
    EXPECT_FALSE(ArticulationScore::measure({}, 44100, x, 44100).ok);
    EXPECT_FALSE(ArticulationScore::measure(std::vector<float>(44100, 0.0f), 44100, x, 44100).ok);
    Measurement low = ArticulationScore::measure(x, 8000, x, 8000);
    EXPECT_FALSE(low.ok);
    EXPECT_NE(low.error.find("8 kHz"), std::string::npos);
    Measurement brief = ArticulationScore::measure(std::vector<float>(500, 0.1f), 44100,
                                                   std::vector<float>(500, 0.1f), 44100);
    EXPECT_FALSE(brief.ok);
    EXPECT_NE(brief.error.find("shorter"), std::string::npos);
}

TEST(MeasureLevel, PeakAndRmsOfASineAndOfSilence) {
    Level sine = Level::of(tone(44100, 1000.0, 44100.0, 0.5));
    EXPECT_NEAR(sine.peakDb, -6.02, 0.01);
    EXPECT_NEAR(sine.rmsDb, -9.03, 0.01);
    Level silence = Level::of(std::vector<float>(100, 0.0f));
    EXPECT_EQ(silence.peakDb, -300.0);
    EXPECT_EQ(silence.rmsDb, -300.0);
}
