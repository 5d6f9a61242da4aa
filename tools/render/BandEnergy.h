#pragma once
// Short-time band energies and their correlation over time: the measure of how much of a
// modulator's articulation (which band is loud when) a signal carries.

#include <array>
#include <vector>

class BandEnergy {
public:
    static constexpr int kBands = 20;
    static constexpr double kFrameSeconds = 0.020;
    static constexpr double kLowestHz = 150.0;
    static constexpr double kHighestHz = 8000.0;

    using Frame = std::array<double, kBands>;

    // Where the 20 log-spaced bands lie and how the frames step through the signal.
    struct Layout {
        double lowestHz = kLowestHz;
        double highestHz = kHighestHz;
        double frameSeconds = kFrameSeconds;
        double hopSeconds = kFrameSeconds;
    };

    // Energies in dB of 20 log-spaced bands (150 Hz to 8 kHz, or the Nyquist frequency if
    // lower) for consecutive 20 ms Hann-windowed frames.
    static std::vector<Frame> analyse(const std::vector<float>& signal, double sampleRate);
    // The same for another band range (its top cut at the Nyquist frequency) and frame step.
    static std::vector<Frame> analyse(const std::vector<float>& signal, double sampleRate,
                                      const Layout& layout);

    // A band's energy in dB for this linear energy: a floor near -120 dB of full scale keeps
    // silence finite.
    static double decibels(double energy);

    // Pearson correlation over time of each band's energy in a and b (over the frames both
    // have), averaged over the bands. A band that stays constant in either signal counts 0.
    static double correlation(const std::vector<Frame>& a, const std::vector<Frame>& b);

    // Pearson correlation of two equally long series; 0 when either is constant.
    static double pearson(const std::vector<double>& x, const std::vector<double>& y);
};
