#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "MeasureTestSignals.h"
#include "tools/measure/Stoi.h"

using namespace measuretest;

namespace {

double stoi(const std::vector<float>& clean, const std::vector<float>& processed, int rate) {
    Measurement m = Stoi::measure(clean, rate, processed, rate);
    EXPECT_TRUE(m.ok) << m.error;
    return m.score;
}

}  // namespace

TEST(MeasureStoi, TheBandsAreContiguousThirdOctavesFrom150HzTo4kHz) {
    // The bins (10 kHz / 512 = 19.53 Hz apart) nearest 150 Hz * 2^((2k -+ 1) / 6).
    const Stoi::Band expected[Stoi::kBands] = {{7, 9},     {9, 11},    {11, 14},   {14, 17},
                                               {17, 22},   {22, 27},   {27, 34},   {34, 43},
                                               {43, 55},   {55, 69},   {69, 87},   {87, 109},
                                               {109, 138}, {138, 174}, {174, 219}};
    auto bands = Stoi::bands();
    for (int k = 0; k < Stoi::kBands; ++k) {
        EXPECT_EQ(bands[size_t(k)].first, expected[k].first) << k;
        EXPECT_EQ(bands[size_t(k)].end, expected[k].end) << k;
    }
}

TEST(MeasureStoi, ASegmentIsNormalisedThenClippedAt15DbAboveTheCleanEnvelope) {
    // A clean envelope that drops by 40 dB halfway through the segment.
    double step[Stoi::kSegmentFrames];
    double shallow[Stoi::kSegmentFrames];
    for (int t = 0; t < Stoi::kSegmentFrames; ++t) {
        step[t] = t < 15 ? 1.0 : 0.01;
        shallow[t] = t < 15 ? 1.0 : 0.5;
    }
    // A flat processed envelope, at any level, is scaled to the clean energy (0.707) and then
    // clipped to (1 + 10^0.75) * 0.01 = 0.066 where the clean one is 40 dB down: the clipped
    // envelope is the step itself.
    for (double level : {0.01, 1.0, 100.0}) {
        double flat[Stoi::kSegmentFrames];
        for (double& v : flat) v = level;
        EXPECT_NEAR(Stoi::segmentCorrelation(step, flat), 1.0, 1e-9) << level;
        // A 6 dB dip stays above the clipping (the flat envelope scaled to 0.79 is below
        // 6.62 * 0.5), so nothing of the step is imposed and the flat envelope correlates 0.
        EXPECT_NEAR(Stoi::segmentCorrelation(shallow, flat), 0.0, 1e-9) << level;
    }
    // The processed envelope in proportion to the clean one correlates fully; in antiphase -1.
    double scaled[Stoi::kSegmentFrames];
    double inverted[Stoi::kSegmentFrames];
    for (int t = 0; t < Stoi::kSegmentFrames; ++t) {
        scaled[t] = 3.0 * shallow[t];
        inverted[t] = 1.5 - shallow[t];
    }
    EXPECT_NEAR(Stoi::segmentCorrelation(shallow, scaled), 1.0, 1e-9);
    EXPECT_NEAR(Stoi::segmentCorrelation(shallow, inverted), -1.0, 1e-9);
    // An all-zero processed envelope is uncorrelated, not NaN.
    double zeros[Stoi::kSegmentFrames] = {};
    EXPECT_EQ(Stoi::segmentCorrelation(step, zeros), 0.0);
}

TEST(MeasureStoi, FramesOfSilenceInTheCleanSignalAreRemovedFromBoth) {
    const int rate = 10000;
    std::vector<double> clean(3 * rate, 0.0);
    std::vector<double> processed(3 * rate, 0.0);
    // 1 s of tone, 1 s of near-silence (60 dB down), 1 s of tone; the processed signal has
    // noise all through.
    auto hiss = noise(clean.size(), 0.1, 5);
    for (size_t i = 0; i < clean.size(); ++i) {
        double gain = (i >= size_t(rate) && i < size_t(2 * rate)) ? 0.001 : 1.0;
        clean[i] = gain * 0.5 * std::sin(0.3 * static_cast<double>(i));
        processed[i] = clean[i] + hiss[i];
    }
    std::vector<double> x = clean;
    std::vector<double> y = processed;
    Stoi::removeSilentFrames(x, y);
    ASSERT_EQ(x.size(), y.size());
    // About 2 s of frames stay, at the same positions in both signals.
    EXPECT_NEAR(static_cast<double>(x.size()), 2.0 * rate, 3.0 * Stoi::kFrameLength);
    // The first second stays where it was; the last one moves up by the removed frames.
    // (The overlapping Hann windows sum to 1 within 1 %.)
    const size_t first = size_t(rate) / 2;
    EXPECT_NEAR(x[first], clean[first], 0.01);
    EXPECT_NEAR(y[first], processed[first], 0.01);
    const size_t removed = clean.size() - x.size();
    const size_t shift = (removed + Stoi::kHop / 2) / Stoi::kHop * Stoi::kHop;
    for (size_t i = size_t(rate) * 3 / 2; i < size_t(rate) * 3 / 2 + 100; ++i) {
        EXPECT_NEAR(x[i], clean[i + shift], 0.01) << i;
        EXPECT_NEAR(y[i], processed[i + shift], 0.01) << i;
    }

    // The demo voice with a second of silence inserted, against the same with noise in the
    // silence only: the noise is in removed frames and costs nothing.
    const Voice& voice = demoVoice();
    std::vector<float> gapped(voice.samples.begin(), voice.samples.begin() + voice.rate * 3);
    std::vector<float> quiet(size_t(voice.rate), 0.0f);
    gapped.insert(gapped.end(), quiet.begin(), quiet.end());
    gapped.insert(gapped.end(), voice.samples.begin() + voice.rate * 3, voice.samples.end());
    std::vector<float> filled = gapped;
    auto burst = noise(size_t(voice.rate), 0.2, 9);
    for (size_t i = 0; i < burst.size(); ++i) filled[size_t(voice.rate) * 3 + i] += burst[i];
    EXPECT_GT(stoi(gapped, filled, voice.rate), 0.97);
}

TEST(MeasureStoi, TheVoiceScoresOneAndDegradedCopiesLessInOrder) {
    const Voice& voice = demoVoice();
    const auto& x = voice.samples;
    const int rate = voice.rate;
    EXPECT_NEAR(stoi(x, x, rate), 1.0, 1e-6);

    // Delays shorter than a frame or two; longer ones decorrelate the envelopes altogether.
    double delay5 = stoi(x, delayed(x, size_t(rate) / 200), rate);
    double delay10 = stoi(x, delayed(x, size_t(rate) / 100), rate);
    double delay20 = stoi(x, delayed(x, size_t(rate) / 50), rate);
    // Band-limited copies carry a noise floor 50 dB down where the bands were cut.
    auto hiss = noise(x.size(), 0.001, 11);
    double band3k = stoi(x, added(lowPassed(x, rate, 3000.0), hiss), rate);
    double band1k = stoi(x, added(lowPassed(x, rate, 1000.0), hiss), rate);
    double band300 = stoi(x, added(lowPassed(x, rate, 300.0), hiss), rate);
    double noiseAlone = stoi(x, noise(x.size(), 0.1, 3), rate);
    double carrierAlone = stoi(x, sawtoothChord(x.size(), rate, 0.5), rate);
    std::printf("delays 5/10/20 ms %.3f %.3f %.3f; low-passed 3k/1k/300 %.3f %.3f %.3f; "
                "noise %.3f; carrier %.3f\n",
                delay5, delay10, delay20, band3k, band1k, band300, noiseAlone, carrierAlone);
    EXPECT_LT(delay5, 1.0 - 1e-3);
    EXPECT_GT(delay5, delay10);
    EXPECT_GT(delay10, delay20);
    EXPECT_LT(band3k, 1.0 - 1e-3);
    EXPECT_GT(band3k, band1k);
    EXPECT_GT(band1k, band300);
    // Unrelated signals score far below the voice, though not 0: where the clean envelope dips
    // more than 15 dB below the processed one, the clipping makes the processed envelope
    // follow it (without the clipping noise would score about 0).
    for (double unrelated : {noiseAlone, carrierAlone}) {
        EXPECT_GT(unrelated, 0.2);
        EXPECT_LT(unrelated, 0.5);
        EXPECT_LT(unrelated, delay20);
        EXPECT_LT(unrelated, band300);
    }
}

TEST(MeasureStoi, TheScoreDoesNotDependOnTheInputRateOrTheProcessedLevel) {
    const Voice& voice = demoVoice();
    std::vector<float> x(voice.samples.begin(), voice.samples.begin() + 3 * voice.rate);
    auto y = added(x, noise(x.size(), 0.05, 21));
    double at44k = stoi(x, y, voice.rate);
    // The same pair at 22.05 kHz (every other sample after a steep low-pass).
    auto xLow = lowPassed(x, voice.rate, 10000.0);
    auto yLow = lowPassed(y, voice.rate, 10000.0);
    std::vector<float> x22;
    std::vector<float> y22;
    for (size_t i = 0; i < xLow.size(); i += 2) {
        x22.push_back(xLow[i]);
        y22.push_back(yLow[i]);
    }
    EXPECT_NEAR(stoi(x22, y22, voice.rate / 2), at44k, 0.01);
    std::vector<float> louder(y);
    for (float& s : louder) s *= 8.0f;
    EXPECT_NEAR(stoi(x, louder, voice.rate), at44k, 1e-6);
}

TEST(MeasureStoi, PairsThatCannotBeMeasuredAreRefused) {
    const Voice& voice = demoVoice();
    const auto& x = voice.samples;
    Measurement rates = Stoi::measure(x, voice.rate, x, 48000);
    EXPECT_FALSE(rates.ok);
    EXPECT_NE(rates.error.find("sample rate"), std::string::npos);

    Measurement empty = Stoi::measure({}, voice.rate, x, voice.rate);
    EXPECT_FALSE(empty.ok);
    EXPECT_NE(empty.error.find("empty"), std::string::npos);

    std::vector<float> silence(x.size(), 0.0f);
    Measurement silent = Stoi::measure(silence, voice.rate, x, voice.rate);
    EXPECT_FALSE(silent.ok);
    EXPECT_NE(silent.error.find("silent"), std::string::npos);

    // 0.3 s of speech is less than one 384 ms segment.
    std::vector<float> brief(x.begin() + voice.rate, x.begin() + voice.rate + voice.rate * 3 / 10);
    Measurement shortPair = Stoi::measure(brief, voice.rate, brief, voice.rate);
    EXPECT_FALSE(shortPair.ok);
    EXPECT_NE(shortPair.error.find("segment"), std::string::npos);

    // Samples at the float limit (a diverging filter) overflow the envelopes: refused, not NaN.
    std::vector<float> huge(x);
    for (size_t i = 0; i < huge.size(); i += 7) huge[i] = 3.0e38f;
    Measurement overflow = Stoi::measure(x, voice.rate, huge, voice.rate);
    EXPECT_FALSE(overflow.ok);
    EXPECT_NE(overflow.error.find("too loud"), std::string::npos);

    std::vector<float> poisoned(x);
    poisoned[1000] = std::numeric_limits<float>::quiet_NaN();
    Measurement nan = Stoi::measure(x, voice.rate, poisoned, voice.rate);
    EXPECT_FALSE(nan.ok);
    EXPECT_NE(nan.error.find("non-finite"), std::string::npos);
}
