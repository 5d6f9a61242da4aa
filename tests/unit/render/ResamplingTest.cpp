#ifndef _WIN32

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "RenderTestSupport.h"
#include "tools/render/ConvertedInput.h"

using namespace rendertest;

namespace {

const double kPi = 3.14159265358979323846;

std::vector<float> sine(int frames, double frequency, int rate, double amplitude) {
    std::vector<float> samples(static_cast<size_t>(frames));
    for (int k = 0; k < frames; ++k) {
        samples[static_cast<size_t>(k)] =
            static_cast<float>(amplitude * std::sin(2.0 * kPi * frequency * k / rate));
    }
    return samples;
}

std::vector<float> readAll(ConvertedInput& input, int chunk) {
    std::vector<float> all, buffer(static_cast<size_t>(chunk));
    for (;;) {
        const int64_t got = input.readMono(buffer.data(), chunk);
        all.insert(all.end(), buffer.begin(), buffer.begin() + got);
        if (got < chunk) return all;
    }
}

// Least-squares fit of a sine and cosine at `frequency` over [from, to): the tone's amplitude
// and the energy of everything else relative to it, in dB.
void fitTone(const std::vector<float>& x, size_t from, size_t to, double frequency, int rate,
             double& amplitude, double& residualDb) {
    double ss = 0, cc = 0, sc = 0, xs = 0, xc = 0;
    for (size_t k = from; k < to; ++k) {
        const double s = std::sin(2.0 * kPi * frequency * static_cast<double>(k) / rate);
        const double c = std::cos(2.0 * kPi * frequency * static_cast<double>(k) / rate);
        ss += s * s;
        cc += c * c;
        sc += s * c;
        xs += x[k] * s;
        xc += x[k] * c;
    }
    const double det = ss * cc - sc * sc;
    const double a = (xs * cc - xc * sc) / det, b = (xc * ss - xs * sc) / det;
    double residual = 0, tone = 0;
    for (size_t k = from; k < to; ++k) {
        const double s = std::sin(2.0 * kPi * frequency * static_cast<double>(k) / rate);
        const double c = std::cos(2.0 * kPi * frequency * static_cast<double>(k) / rate);
        const double fitted = a * s + b * c;
        tone += fitted * fitted;
        residual += (x[k] - fitted) * (x[k] - fitted);
    }
    amplitude = std::sqrt(a * a + b * b);
    residualDb = 10.0 * std::log10(residual / tone);
}

}  // namespace

// Down and up: the tone keeps its frequency (the fit at the expected frequency leaves nothing
// else) and its level, and the conversion adds no images or aliases above -100 dB.
TEST(RenderResampling, ASineKeepsItsFrequencyAndLevelAndGainsNoImages) {
    ScratchDirectory dir;
    struct Case {
        int from, to;
        double frequency;
    };
    for (const Case& c : {Case{48000, 44100, 1000.0}, Case{44100, 96000, 5000.0},
                          Case{96000, 44100, 15000.0}}) {
        const std::string path = dir.file("sine" + std::to_string(c.from) + ".wav");
        writeAudio(path, sine(c.from * 2, c.frequency, c.from, 0.5), 1, c.from);
        ConvertedInput input;
        std::string error;
        ASSERT_TRUE(input.open(path, c.to, 1, error)) << error;
        EXPECT_TRUE(input.converted());
        const std::vector<float> out = readAll(input, 1000);
        ASSERT_EQ(out.size(), static_cast<size_t>(c.to * 2)) << c.from << " to " << c.to;
        double amplitude = 0, residualDb = 0;
        // Away from the ends, where the filter starts and stops.
        fitTone(out, static_cast<size_t>(c.to / 4), static_cast<size_t>(c.to * 7 / 4), c.frequency,
                c.to, amplitude, residualDb);
        EXPECT_NEAR(20.0 * std::log10(amplitude / 0.5), 0.0, 0.1) << c.from << " to " << c.to;
        EXPECT_LT(residualDb, -100.0) << c.from << " to " << c.to;
    }
}

TEST(RenderResampling, TheLengthIsTheInputsDurationAtTheNewRate) {
    ScratchDirectory dir;
    writeAudio(dir.file("odd.wav"), sine(12345, 440.0, 44100, 0.25), 1, 44100);
    for (int chunk : {1, 777, 65536}) {  // whatever the reads' sizes
        ConvertedInput input;
        std::string error;
        ASSERT_TRUE(input.open(dir.file("odd.wav"), 96000, 1, error)) << error;
        EXPECT_EQ(input.announcedFrames(), 26873);  // 12345 * 96000 / 44100 = 26873.5, rounded
        EXPECT_EQ(readAll(input, chunk).size(), 26873u) << chunk;
    }
    ConvertedInput same;
    std::string error;
    ASSERT_TRUE(same.open(dir.file("odd.wav"), 44100, 1, error)) << error;
    EXPECT_FALSE(same.converted());
    EXPECT_EQ(readAll(same, 4096), sine(12345, 440.0, 44100, 0.25));
}

TEST(RenderResampling, AModulatorAtAnotherRateIsConvertedToTheCarriersOrTheRequestedRate) {
    ScratchDirectory dir;
    writeAudio(dir.file("c44.wav"), testSignal(22050, 110.0, 1), 1, 44100);
    writeAudio(dir.file("m48.wav"), testSignal(48000, 300.0, 2), 1, 48000);
    RunResult run = runRenderer({"--carrier", dir.file("c44.wav"), "--modulator",
                                 dir.file("m48.wav"), "-o", dir.file("out.wav")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(", 1.00 s at 44100 Hz"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("modulator " + dir.file("m48.wav") + " converted from 48000 Hz"),
              std::string::npos)
        << run.out;
    Audio out = readAudio(dir.file("out.wav"));
    EXPECT_EQ(out.sampleRate, 44100);
    EXPECT_EQ(out.frames, 44100);  // the modulator's second, the longer input

    RunResult at96 = runRenderer({"-q", "--carrier", dir.file("c44.wav"), "--modulator",
                                  dir.file("m48.wav"), "-o", dir.file("out96.wav"), "--rate",
                                  "96000"});
    ASSERT_EQ(at96.status, 0) << at96.err;
    Audio high = readAudio(dir.file("out96.wav"));
    EXPECT_EQ(high.sampleRate, 96000);
    EXPECT_EQ(high.frames, 96000);
}

#endif
