#ifndef _WIN32

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "tools/render/BandEnergy.h"
#include "tools/render/Fft.h"

TEST(RenderBandEnergy, TheFftAgreesWithAPlainDft) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    std::vector<std::complex<double>> data(64);
    for (auto& x : data) x = {value(random), value(random)};
    std::vector<std::complex<double>> expected(64);
    const double pi = std::acos(-1.0);
    for (size_t k = 0; k < 64; ++k) {
        for (size_t n = 0; n < 64; ++n) {
            expected[k] += data[n] * std::polar(1.0, -2.0 * pi * double(k * n) / 64.0);
        }
    }
    ASSERT_TRUE(Fft::forward(data));
    for (size_t k = 0; k < 64; ++k) EXPECT_LT(std::abs(data[k] - expected[k]), 1e-9) << k;

    std::vector<std::complex<double>> odd(48, {1.0, 0.0});
    EXPECT_FALSE(Fft::forward(odd));
    EXPECT_EQ(odd[1], std::complex<double>(1.0, 0.0));
}

TEST(RenderBandEnergy, ATonesEnergyLandsInItsBandAndFollowsItsLoudness) {
    const double rate = 44100.0;
    const double pi = std::acos(-1.0);
    // 1 kHz, loud for 0.2 s, then 40 dB softer for 0.2 s.
    std::vector<float> tone(17640);
    for (size_t i = 0; i < tone.size(); ++i) {
        double gain = i < 8820 ? 0.5 : 0.005;
        tone[i] = static_cast<float>(gain * std::sin(2.0 * pi * 1000.0 * double(i) / rate));
    }
    auto frames = BandEnergy::analyse(tone, rate);
    ASSERT_EQ(frames.size(), 20u);  // 20 ms frames of 882 samples
    int band = 0;
    for (int b = 1; b < BandEnergy::kBands; ++b) {
        if (frames[2][size_t(b)] > frames[2][size_t(band)]) band = b;
    }
    // Bands are log-spaced from 150 Hz to 8 kHz: 1 kHz falls into band 9.
    EXPECT_EQ(band, 9);
    EXPECT_NEAR(frames[2][9] - frames[15][9], 40.0, 0.5);
}

TEST(RenderBandEnergy, CorrelationIsOneForTheSameSignalAndZeroAgainstAConstant) {
    EXPECT_NEAR(BandEnergy::pearson({1, 2, 3, 5}, {2, 4, 6, 10}), 1.0, 1e-12);
    EXPECT_NEAR(BandEnergy::pearson({1, 2, 3, 5}, {-1, -2, -3, -5}), -1.0, 1e-12);
    EXPECT_EQ(BandEnergy::pearson({1, 2, 3}, {4, 4, 4}), 0.0);

    std::mt19937 random(3);
    std::normal_distribution<float> noise(0.0f, 0.3f);
    std::vector<float> speechLike(44100);
    for (size_t i = 0; i < speechLike.size(); ++i) {
        speechLike[i] = noise(random) * float((i / 2205) % 3);  // bursts every 50 ms
    }
    auto frames = BandEnergy::analyse(speechLike, 44100.0);
    EXPECT_NEAR(BandEnergy::correlation(frames, frames), 1.0, 1e-9);
}

#endif
