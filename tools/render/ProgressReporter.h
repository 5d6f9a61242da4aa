#pragma once
// The progress bar on stderr: shown only for renders longer than a few seconds of audio, when
// stderr is a terminal and --quiet was not given.

#include <cstdint>
#include <cstdio>

class ProgressReporter {
public:
    static constexpr double kMinimumSeconds = 5.0;

    ProgressReporter(int64_t totalFrames, double sampleRate, bool quiet, FILE* stream = stderr);
    bool enabled() const { return active; }
    // Redraws the bar when the whole percentage changed.
    void update(int64_t framesDone);
    // Clears the bar's line.
    void finish();

    // The bar for a fraction 0..1, e.g. "[##########----------]  50%".
    static void formatBar(double fraction, char* text, int size);

private:
    int64_t frameTotal;
    bool active;
    FILE* out;
    int lastPercent = -1;
};
