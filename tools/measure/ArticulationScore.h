#pragma once
// The per-band articulation score: how closely a processed signal's band energies follow a
// voice's over time. For each of 20 log-spaced bands from 100 Hz to 8 kHz, the Pearson
// correlation over time between the two signals' band energies in dB (20 ms Hann frames every
// 10 ms), taken only over the frames where the voice is within 40 dB of its loudest frame;
// the score is the mean over the bands. 1 for the voice itself; near 0 for a signal whose
// band energies have nothing to do with the voice's.

#include <vector>

#include "tools/measure/Measurement.h"
#include "tools/render/BandEnergy.h"

class ArticulationScore {
public:
    static constexpr double kLowestHz = 100.0;
    static constexpr double kHighestHz = 8000.0;
    static constexpr double kFrameSeconds = 0.020;
    static constexpr double kHopSeconds = 0.010;
    static constexpr double kRangeDb = 40.0;

    static BandEnergy::Layout layout();

    // The voice's frames that take part: within kRangeDb of its loudest frame (the frame's
    // energy summed over the bands).
    static std::vector<bool> activeFrames(const std::vector<BandEnergy::Frame>& voice);

    // Refuses a different rate, a voice shorter than two frames and a silent voice.
    static Measurement measure(const std::vector<float>& voice, double voiceRate,
                               const std::vector<float>& processed, double processedRate);
};
