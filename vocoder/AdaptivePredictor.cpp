#include "vocoder/AdaptivePredictor.h"

#include <cmath>
#include <cstring>

#include "vocoder/FiniteCheck.h"

AdaptivePredictor::AdaptivePredictor()
    : orderInUse(100), mu(0.02), forget(0.001), leak(0.999), rho(0.0), written(0), sumsProvided(false),
      providedCount(0), providedPrediction(0.0), providedEnergy(0.0) {
    clear();
}

AdaptivePredictor::~AdaptivePredictor() = default;

void AdaptivePredictor::setOrder(int32_t n) {
    orderInUse = (n < 1 || n > kMaxOrder) ? kMaxOrder : n;
    clear();
}

// The comparisons are written so that a NaN fails them and is ignored.
void AdaptivePredictor::setLearningRate(double value) {
    if (value >= 0.0 && value < 1.0) mu = value;
}

void AdaptivePredictor::setForgettingRate(double value) {
    if (value >= 0.0 && value < 1.0) forget = value;
    leak = 1.0 - forget;
}

void AdaptivePredictor::setSmoothing(double value) {
    if (value >= 0.0 && value < 1.0) rho = value;
}

void AdaptivePredictor::clear() {
    std::memset(w, 0, sizeof w);
    std::memset(x, 0, sizeof x);
    std::memset(v, 0, sizeof v);
    written = 0;
    sumsProvided = false;
}

void AdaptivePredictor::providePredictionSums(double prediction, double energy, int32_t count) {
    providedPrediction = prediction;
    providedEnergy = energy;
    providedCount = count;
    sumsProvided = true;
}

double AdaptivePredictor::process(double input) {
    // The order is read once: a concurrent setOrder only changes what the next sample uses.
    const int32_t n = orderInUse;
    if (n > written) written = n;

    // Prediction and history energy, each accumulated from index 0 upward (or handed in,
    // summed the same way, by the engine's synthesis pass).
    double prediction = 0.0;
    double energy = 0.0;
    if (sumsProvided && providedCount == n) {
        prediction = providedPrediction;
        energy = providedEnergy;
    } else {
        for (int32_t i = 0; i < n; ++i) {
            prediction += x[i] * w[i];
            energy += x[i] * x[i];
        }
    }
    sumsProvided = false;
    const double error = input - prediction;
    const double g = 1.0 / (std::sqrt(energy) + 0.01);

    const double step = mu;
    const double smooth = rho;
    const double keep = leak;
    for (int32_t i = 0; i < n; ++i) {
        v[i] = ((x[i] * step) * g) * error + smooth * v[i];
        w[i] = keep * w[i] + v[i];
    }

    std::memmove(x + 1, x, sizeof(double) * static_cast<size_t>(n - 1));
    x[0] = input;
    return error;
}

bool AdaptivePredictor::isFinite() const {
    return allFinite(w, kMaxOrder) && allFinite(x, kMaxOrder) && allFinite(v, kMaxOrder);
}

bool AdaptivePredictor::recentStateIsFinite() {
    const int32_t n = written;
    if (!(allFinite(w, n) && allFinite(x, n) && allFinite(v, n))) return false;
    written = 0;
    return true;
}
