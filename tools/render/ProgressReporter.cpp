#include "tools/render/ProgressReporter.h"

#include <unistd.h>

ProgressReporter::ProgressReporter(int64_t totalFrames, double sampleRate, bool quiet, FILE* stream)
    : frameTotal(totalFrames), out(stream) {
    double seconds = sampleRate > 0.0 ? static_cast<double>(totalFrames) / sampleRate : 0.0;
    active = !quiet && seconds > kMinimumSeconds && isatty(fileno(stream)) == 1;
}

void ProgressReporter::formatBar(double fraction, char* text, int size) {
    if (fraction < 0.0) fraction = 0.0;
    if (fraction > 1.0) fraction = 1.0;
    const int width = 40;
    int filled = static_cast<int>(fraction * width);
    char bar[width + 1];
    for (int i = 0; i < width; ++i) bar[i] = i < filled ? '#' : '-';
    bar[width] = '\0';
    std::snprintf(text, static_cast<size_t>(size), "[%s] %3d%%", bar,
                  static_cast<int>(fraction * 100.0));
}

void ProgressReporter::update(int64_t framesDone) {
    if (!active || frameTotal <= 0) return;
    double fraction = static_cast<double>(framesDone) / static_cast<double>(frameTotal);
    int percent = static_cast<int>(fraction * 100.0);
    if (percent == lastPercent) return;
    lastPercent = percent;
    char text[64];
    formatBar(fraction, text, sizeof(text));
    std::fprintf(out, "\rrendering %s", text);
    std::fflush(out);
}

void ProgressReporter::finish() {
    if (!active || lastPercent < 0) return;
    std::fprintf(out, "\r%60s\r", "");
    std::fflush(out);
}
