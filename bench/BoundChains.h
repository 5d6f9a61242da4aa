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
//
// With serialSteps, each chain also waits where the engine's does between two samples: a
// prediction chain starts from its first term, which needs the error of the previous prediction
// through the first coefficient's update (a multiply, two additions) and a product, and the
// synthesis chain from the excitation plus the previous output times that coefficient. The
// number of additions stays the same. Its time over the plain bound's is what those steps add
// on this processor, which no engine can take away.

#include <cstddef>
#include <cstdint>
#include <vector>

class BoundChains {
public:
    BoundChains(int32_t modulatorOrder, int32_t carrierOrder, bool whitening,
                bool serialSteps = false)
        : n(modulatorOrder),
          c(carrierOrder),
          whiten(whitening),
          serial(serialSteps),
          operands(2048) {
        // Alternating small steps keep every chain bounded over any number of samples.
        for (size_t i = 0; i < operands.size(); ++i)
            operands[i] = (i % 2 ? -1.0 : 1.0) * (1.0 + static_cast<double>(i % 7)) * 1e-3;
    }

    // Runs frames samples; output receives one value per sample so that no chain is dead code.
    void run(float* output, int32_t frames);

private:
    // The first coefficient of a predictor, updated from an error as the engine updates it
    // (the learning rate and normalisation already multiplied into the history value).
    struct FirstCoefficient {
        double v = 0.0, w = 0.0;
        double update(double error) {
            v = 0.01 * error + 0.35 * v;
            w = 0.99999 * w + v;
            return w;
        }
    };

    int32_t n;
    int32_t c;
    bool whiten;
    bool serial;
    std::vector<double> operands;
    FirstCoefficient modulatorFirst, carrierFirst;
    double prediction = 0.0;
    double synthesis = 0.0;
    double carrierPrediction = 0.0;
};
