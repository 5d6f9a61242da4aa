#pragma once
// Short-time objective intelligibility (STOI), computed in the published manner: both signals
// at 10 kHz; frames of 256 samples with 50 % overlap and a Hann window; the frames where the
// clean voice is more than 40 dB below its loudest frame removed from both signals; 15
// one-third-octave bands from 150 Hz (band envelopes from a 512-point spectrum); segments of
// 30 frames (384 ms) of each band envelope, the processed one normalised to the clean one's
// energy and clipped at a signal-to-distortion ratio of -15 dB, correlated with the clean
// one's; the mean of those correlations over bands and segments. 1 for the voice itself, near
// 0 for a signal that has nothing to do with it.

#include <array>
#include <vector>

#include "tools/measure/Measurement.h"

class Stoi {
public:
    static constexpr double kRate = 10000.0;
    static constexpr int kFrameLength = 256;
    static constexpr int kHop = 128;
    static constexpr int kFftSize = 512;
    static constexpr int kBands = 15;
    static constexpr double kLowestCentreHz = 150.0;
    static constexpr int kSegmentFrames = 30;
    static constexpr double kLowestSdrDb = -15.0;
    static constexpr double kRangeDb = 40.0;

    // Spectrum bins [first, end) of each one-third-octave band: the bins nearest its edges.
    struct Band {
        int first;
        int end;
    };
    static std::array<Band, kBands> bands();

    // The clean and processed signals with the frames of silence in the clean one removed
    // from both (the remaining frames overlap-added again). Both have the same length.
    static void removeSilentFrames(std::vector<double>& clean, std::vector<double>& processed);

    // The band envelopes of a signal at 10 kHz: one array of kBands values per frame.
    static std::vector<std::array<double, kBands>> envelopes(const std::vector<double>& signal);

    // One band's correlation over one segment of kSegmentFrames envelope values: the processed
    // values normalised to the clean ones' energy and clipped, then correlated.
    static double segmentCorrelation(const double* clean, const double* processed);

    // The score of signals at 10 kHz, after silence removal; refuses fewer than one segment.
    static Measurement measureAt10k(std::vector<double> clean, std::vector<double> processed);

    // Any one rate for both signals (they are resampled to 10 kHz). Refuses different rates,
    // an empty or silent clean signal and signals shorter than one segment.
    static Measurement measure(const std::vector<float>& clean, double cleanRate,
                               const std::vector<float>& processed, double processedRate);
};
