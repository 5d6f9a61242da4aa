#include "tools/render/SummaryLine.h"

#include <cmath>
#include <cstdio>

double SummaryLine::realTimeFactor(const RenderFigures& figures) {
    double seconds = figures.sampleRate > 0.0 ? figures.frames / figures.sampleRate : 0.0;
    return seconds > 0.0 ? figures.wallSeconds / seconds : 0.0;
}

std::string SummaryLine::peakText(double peak) {
    if (!(peak > 0.0)) return "-inf dBFS";
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f dBFS", 20.0 * std::log10(peak));
    return text;
}

std::string SummaryLine::format(const RenderFigures& figures) {
    double seconds = figures.sampleRate > 0.0 ? figures.frames / figures.sampleRate : 0.0;
    double factor = realTimeFactor(figures);
    char speed[64] = "";
    if (factor > 0.0) std::snprintf(speed, sizeof(speed), " (%.1fx real time)", 1.0 / factor);
    char text[512];
    std::snprintf(
        text, sizeof(text),
        "%s: %s, %.2f s at %.0f Hz, real-time factor %.3f%s, "
        "peak %s, %lld %s",
        figures.outputPath.c_str(), figures.formatDescription.c_str(), seconds, figures.sampleRate,
        factor, speed, peakText(figures.peak).c_str(), static_cast<long long>(figures.clipped),
        figures.floatOutput ? "samples above full scale (float, not clipped)" : "samples clipped");
    std::string line = text;
    if (figures.nonFinite > 0) {
        line += ", " + std::to_string(figures.nonFinite) + " NaN/infinite samples";
    }
    for (const std::string& conversion : figures.conversions) line += ", " + conversion;
    return line;
}
