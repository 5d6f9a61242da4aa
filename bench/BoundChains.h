#pragma once
// The bound: exactly the additions the vocoder's prescribed sums make per sample, with the same
// data dependence, and nothing else (no products, no updates, no history moves, no envelope).
//
// Per sample at modulator order N (and carrier order C with whitening):
// - prediction: a chain of N additions whose first operand waits for the previous sample's
//   prediction (in the engine the error of one sample feeds the coefficients the next one reads);
// - synthesis: a chain of N additions that starts from the previous synthesis output;
// - history energy: a chain of N additions that starts from 0 and depends on nothing earlier;
// - with whitening, the carrier predictor's own prediction (C, chained across samples) and
//   energy (C, independent) chains.
// The operands are loaded from arrays, so every addition is real; nothing can be folded.

#include <cstddef>
#include <cstdint>
#include <vector>

class BoundChains {
public:
    BoundChains(int32_t modulatorOrder, int32_t carrierOrder, bool whitening)
        : n(modulatorOrder), c(carrierOrder), whiten(whitening), operands(2048) {
        // Alternating small steps keep every chain bounded over any number of samples.
        for (size_t i = 0; i < operands.size(); ++i)
            operands[i] = (i % 2 ? -1.0 : 1.0) * (1.0 + static_cast<double>(i % 7)) * 1e-3;
    }

    // Runs frames samples; output receives one value per sample so that no chain is dead code.
    void run(float* output, int32_t frames);

private:
    int32_t n;
    int32_t c;
    bool whiten;
    std::vector<double> operands;
    double prediction = 0.0;
    double synthesis = 0.0;
    double carrierPrediction = 0.0;
};
