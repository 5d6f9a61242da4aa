#pragma once
// What a measure answers: a score, or why it cannot give one; and the checks of a voice and
// a processed signal that every measure makes first.

#include <string>
#include <utility>
#include <vector>

struct Measurement {
    bool ok = false;
    double score = 0.0;
    std::string error;  // one sentence when !ok

    static Measurement of(double score) { return {true, score, {}}; }
    static Measurement refused(std::string why) { return {false, 0.0, std::move(why)}; }
};

// Refuses different rates, an empty or silent voice and non-finite samples in either signal;
// answers an ok Measurement (score 0) when the pair can be measured.
Measurement checkPair(const std::vector<float>& voice, double voiceRate,
                      const std::vector<float>& processed, double processedRate);
