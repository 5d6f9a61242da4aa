#include "tools/measure/Measurement.h"

#include <algorithm>
#include <cmath>

namespace {

bool allFinite(const std::vector<float>& signal) {
    return std::all_of(signal.begin(), signal.end(), [](float s) { return std::isfinite(s); });
}

}  // namespace

Measurement checkPair(const std::vector<float>& voice, double voiceRate,
                      const std::vector<float>& processed, double processedRate) {
    if (voiceRate != processedRate) {
        return Measurement::refused("the voice and the processed signal differ in sample rate");
    }
    if (!(voiceRate > 0.0)) return Measurement::refused("the sample rate must be positive");
    if (voice.empty()) return Measurement::refused("the voice is empty");
    if (!allFinite(voice) || !allFinite(processed)) {
        return Measurement::refused("a signal holds non-finite samples");
    }
    if (std::all_of(voice.begin(), voice.end(), [](float s) { return s == 0.0f; })) {
        return Measurement::refused("the voice is silent");
    }
    return Measurement::of(0.0);
}
