#include "tools/measure/Level.h"

#include <cmath>

Level Level::of(const std::vector<float>& signal) {
    Level level;
    double peak = 0.0;
    double squares = 0.0;
    for (float s : signal) {
        double v = static_cast<double>(s);
        peak = std::fmax(peak, std::fabs(v));
        squares += v * v;
    }
    if (peak > 0.0) level.peakDb = 20.0 * std::log10(peak);
    if (squares > 0.0) {
        level.rmsDb = 10.0 * std::log10(squares / static_cast<double>(signal.size()));
    }
    return level;
}
