#pragma once
// The one line ostraquelle-render prints after a successful render.

#include <cstdint>
#include <string>
#include <vector>

struct RenderFigures {
    std::string outputPath;
    std::string formatDescription;  // "mono 32-bit float WAV"
    int64_t frames = 0;
    double sampleRate = 0.0;
    double wallSeconds = 0.0;  // the whole process, loading and file IO included
    double peak = 0.0;         // largest absolute sample
    bool floatOutput = true;
    int64_t clipped = 0;
    int64_t nonFinite = 0;
    std::vector<std::string> conversions;  // "modulator m.wav converted from 48000 Hz"
};

class SummaryLine {
public:
    static std::string format(const RenderFigures& figures);
    // Wall-clock time divided by audio duration (below 1 is faster than real time).
    static double realTimeFactor(const RenderFigures& figures);
    // "-3.2 dBFS", "-inf dBFS" for silence.
    static std::string peakText(double peak);
};
