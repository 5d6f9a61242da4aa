#pragma once
// Sample-by-sample adaptive transversal predictor: predicts each input from the previous ones
// and adapts its coefficients with a step normalised by the Euclidean norm of its history,
// with leakage and a smoothed update.

#include <cstdint>

class AdaptivePredictor {
public:
    static constexpr int32_t kMaxOrder = 1024;

    AdaptivePredictor();
    virtual ~AdaptivePredictor();

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
    const double* history() const { return x; }
    const double* updateMemory() const { return v; }

    // Zeroes coefficients, history and update memory; order and rates stay.
    void clear();
    // One step of prediction and adaptation; answers the prediction error.
    double process(double input);
    // Hands in the two sums that the next process would compute first (prediction and history
    // energy over the current history and coefficients, index 0 upward), computed elsewhere in
    // the same pass as other work; the next process uses them instead of summing again when
    // the order is still count. Any clear or order change discards them.
    void providePredictionSums(double prediction, double energy, int32_t count);
    // True when every entry of the adaptive state is a finite number.
    bool isFinite() const;
    // The same answer, looking only at the entries that process has written since the last
    // call that answered true (or since the last clear): the others were found finite then
    // and have not changed. Cheap enough to run after every audio block.
    bool recentStateIsFinite();

private:
    int32_t orderInUse;
    double mu;
    double forget;
    double leak;
    double rho;
    double w[kMaxOrder];
    double x[kMaxOrder];
    double v[kMaxOrder];
    int32_t written;  // entries process has touched since the last finite check or clear
    bool sumsProvided;
    int32_t providedCount;
    double providedPrediction;
    double providedEnergy;
};
