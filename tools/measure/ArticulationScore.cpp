#include "tools/measure/ArticulationScore.h"

#include <algorithm>
#include <cmath>

BandEnergy::Layout ArticulationScore::layout() {
    return {kLowestHz, kHighestHz, kFrameSeconds, kHopSeconds};
}

namespace {

double frameEnergy(const BandEnergy::Frame& frame) {
    double sum = 0.0;
    for (double decibels : frame) sum += std::pow(10.0, 0.1 * decibels);
    return BandEnergy::decibels(sum);
}

}  // namespace

std::vector<bool> ArticulationScore::activeFrames(const std::vector<BandEnergy::Frame>& voice) {
    std::vector<double> energies(voice.size());
    for (size_t t = 0; t < voice.size(); ++t) energies[t] = frameEnergy(voice[t]);
    std::vector<bool> active(voice.size(), false);
    if (voice.empty()) return active;
    const double loudest = *std::max_element(energies.begin(), energies.end());
    for (size_t t = 0; t < voice.size(); ++t) active[t] = energies[t] >= loudest - kRangeDb;
    return active;
}

Measurement ArticulationScore::measure(const std::vector<float>& voice, double voiceRate,
                                       const std::vector<float>& processed,
                                       double processedRate) {
    Measurement checked = checkPair(voice, voiceRate, processed, processedRate);
    if (!checked.ok) return checked;
    if (!(voiceRate >= 2.0 * kHighestHz)) {
        return Measurement::refused("the sample rate is too low for bands up to 8 kHz");
    }
    auto voiceBands = BandEnergy::analyse(voice, voiceRate, layout());
    auto processedBands = BandEnergy::analyse(processed, processedRate, layout());
    if (voiceBands.size() < 2) return Measurement::refused("the voice is shorter than two frames");
    // A processed signal that ends early counts as silence after its end.
    BandEnergy::Frame silence;
    silence.fill(BandEnergy::decibels(0.0));
    processedBands.resize(voiceBands.size(), silence);

    const std::vector<bool> active = activeFrames(voiceBands);
    std::vector<double> x;
    std::vector<double> y;
    double sum = 0.0;
    for (int band = 0; band < BandEnergy::kBands; ++band) {
        x.clear();
        y.clear();
        for (size_t t = 0; t < voiceBands.size(); ++t) {
            if (!active[t]) continue;
            x.push_back(voiceBands[t][static_cast<size_t>(band)]);
            y.push_back(processedBands[t][static_cast<size_t>(band)]);
        }
        sum += BandEnergy::pearson(x, y);
    }
    const double score = sum / BandEnergy::kBands;
    // Samples near the float limit overflow the band energies; no score is better than NaN.
    if (!std::isfinite(score)) return Measurement::refused("a signal is too loud to measure");
    return Measurement::of(score);
}
