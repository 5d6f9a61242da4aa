#pragma once
// The levels the preset guards look at: the sample peak and the RMS level in dB of full scale.

#include <vector>

struct Level {
    double peakDb = -300.0;
    double rmsDb = -300.0;

    // Silence gives the floors above.
    static Level of(const std::vector<float>& signal);
};
