#include "BoundChains.h"

// Its own translation unit, so that the chains get registers of their own and are not
// interleaved with the caller's code.
void BoundChains::run(float* output, int32_t frames) {
    const double* op = operands.data();
    for (int32_t k = 0; k < frames; ++k) {
        // The operands of each sample shift by one, as a history does.
        const double* x = op + (k & 511);
        double p = prediction;
        double y = synthesis;
        double q = 0.0;
        double pc = carrierPrediction;
        double qc = 0.0;
        int32_t first = 0;
        if (serial) {
            // Entry 0's terms wait for the errors (input - previous prediction).
            const double w = modulatorFirst.update(x[n + 5] - prediction);
            p = 0.0 + 0.5 * w;
            y = x[n + 6] + synthesis * w;
            q = 0.0 + x[2];
            if (whiten) {
                pc = 0.0 + 0.5 * carrierFirst.update(x[c + 7] - carrierPrediction);
                qc = 0.0 + x[4];
            }
            first = 1;
        }
        // One pass keeps the independent chains in flight together, as the engine does.
        const int32_t shared = whiten ? (n < c ? n : c) : 0;
        int32_t i = first;
        for (; i < shared; ++i) {
            p += x[i];
            y += x[i + 1];
            q += x[i + 2];
            pc += x[i + 3];
            qc += x[i + 4];
        }
        for (int32_t j = i; j < n; ++j) {
            p += x[j];
            y += x[j + 1];
            q += x[j + 2];
        }
        if (whiten) {
            for (int32_t j = i; j < c; ++j) {
                pc += x[j + 3];
                qc += x[j + 4];
            }
        }
        prediction = p;
        synthesis = y;
        carrierPrediction = pc;
        const double sum = y + q + qc;
        output[k] = static_cast<float>(sum);
    }
}
