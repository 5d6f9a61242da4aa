#include "vocoder/AdaptivePredictor.h"

#include <cmath>
#include <cstring>

#include "vocoder/FiniteCheck.h"

AdaptivePredictor::AdaptivePredictor()
    : orderInUse(100), mu(0.02), forget(0.001), leak(0.999), rho(0.0), written(0) {
    clear();
}

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
    std::memset(v, 0, sizeof v);
    x.clear();
    written = 0;
}

double AdaptivePredictor::process(double input) {
    // The order is read once: a concurrent setOrder only changes what the next sample uses.
    const int32_t n = orderInUse;
    noteWritten(n + 1);
    const double* history = x.window();

    // Prediction and history energy, each accumulated from index 0 upward.
    double prediction = 0.0;
    double energy = 0.0;
    for (int32_t i = 0; i < n; ++i) {
        prediction += history[i] * w[i];
        energy += history[i] * history[i];
    }
    const double error = input - prediction;
    const double g = 1.0 / (std::sqrt(energy) + 0.01);

    const double step = mu;
    const double smooth = rho;
    const double keep = leak;
    for (int32_t i = 0; i < n; ++i) {
        v[i] = ((history[i] * step) * g) * error + smooth * v[i];
        w[i] = keep * w[i] + v[i];
    }
    x.push(input);
    return error;
}

bool AdaptivePredictor::isFinite() const {
    return allFinite(w, kMaxOrder) && allFinite(x.window(), HistoryRing::kLength) &&
           allFinite(v, kMaxOrder);
}

bool AdaptivePredictor::recentStateIsFinite() {
    const int32_t n = written;
    const int32_t coefficientCount = n < kMaxOrder ? n : kMaxOrder;
    if (!(allFinite(w, coefficientCount) && allFinite(x.window(), n) &&
          allFinite(v, coefficientCount)))
        return false;
    written = 0;
    return true;
}
