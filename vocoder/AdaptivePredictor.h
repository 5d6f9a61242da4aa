#pragma once
// Sample-by-sample adaptive transversal predictor: predicts each input from the previous ones
// and adapts its coefficients with a step normalised by the Euclidean norm of its history,
// with leakage and a smoothed update.

#include <cstdint>

#include "vocoder/HistoryRing.h"

class AdaptivePredictor {
public:
    static constexpr int32_t kMaxOrder = 1024;

    AdaptivePredictor();

    // Orders below 1 or above kMaxOrder become kMaxOrder. Clears all adaptive state on every
    // call, also when the order does not change.
    void setOrder(int32_t n);
    // Each rate is stored only if 0 <= v < 1; otherwise the previous one stays.
    void setLearningRate(double v);
    // Also recomputes the leak factor from the stored rate, whether or not v was accepted.
    void setForgettingRate(double v);
    void setSmoothing(double v);

    int32_t order() const { return orderInUse; }
    const double* coefficients() const { return w; }
    double learningRate() const { return mu; }
    double forgettingRate() const { return forget; }
    double leakFactor() const { return leak; }
    double smoothing() const { return rho; }
    // history()[i] is the input i + 1 samples back; the first order() entries are the ones
    // processing reads (later ones are older inputs, or 0 after a clear).
    const double* history() const { return x.window(); }
    const double* updateMemory() const { return v; }

    // Zeroes coefficients, history and update memory; order and rates stay.
    void clear();
    // One step of prediction and adaptation; answers the prediction error.
    double process(double input);
    // True when every entry of the adaptive state is a finite number.
    bool isFinite() const;
    // The same answer, looking only at the entries that processing has written since the last
    // call that answered true (or since the last clear): the others were found finite then
    // and have not changed. Cheap enough to run after every audio block.
    bool recentStateIsFinite();

    // For the engine's fused pass, which runs this predictor's step side by side with other
    // work (the arithmetic is exactly process's): the arrays it updates in place, the history
    // it pushes to, and the note of how many entries it has touched.
    double* coefficientsForUpdate() { return w; }
    double* updateMemoryForUpdate() { return v; }
    HistoryRing& historyRing() { return x; }
    void noteWritten(int32_t count) {
        if (count > written) written = count;
    }

private:
    int32_t orderInUse;
    double mu;
    double forget;
    double leak;
    double rho;
    double w[kMaxOrder];
    double v[kMaxOrder];
    HistoryRing x;
    int32_t written;  // entries processing has touched since the last finite check or clear
};
