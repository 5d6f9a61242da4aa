#include "vocoder/SynthesisFilter.h"

#include <cstring>

#include "vocoder/FiniteCheck.h"

SynthesisFilter::SynthesisFilter() : feedback(1.0), written(0) { clear(); }

SynthesisFilter::~SynthesisFilter() = default;

void SynthesisFilter::setAmount(double a) {
    if (a >= 0.0 && a <= 1.0) feedback = a;
}

void SynthesisFilter::clear() {
    std::memset(s, 0, sizeof s);
    written = 0;
}

double SynthesisFilter::process(double excitation, const double* coefficients, int32_t count) {
    if (count > written) written = count;
    const double a = feedback;
    double y = excitation;
    for (int32_t i = 0; i < count; ++i) y = y + (s[i] * coefficients[i]) * a;
    std::memmove(s + 1, s, sizeof(double) * static_cast<size_t>(count - 1));
    s[0] = y;
    return y;
}

double SynthesisFilter::processWithPredictorSums(double excitation, const double* coefficients,
                                                 const double* history, int32_t count,
                                                 double& prediction, double& energy) {
    if (count > written) written = count;
    const double a = feedback;
    double y = excitation;
    double p = 0.0;
    double q = 0.0;
    for (int32_t i = 0; i < count; ++i) {
        y = y + (s[i] * coefficients[i]) * a;
        p += history[i] * coefficients[i];
        q += history[i] * history[i];
    }
    std::memmove(s + 1, s, sizeof(double) * static_cast<size_t>(count - 1));
    s[0] = y;
    prediction = p;
    energy = q;
    return y;
}

bool SynthesisFilter::isFinite() const { return allFinite(s, kMaxOrder); }

bool SynthesisFilter::recentStateIsFinite() {
    if (!allFinite(s, written)) return false;
    written = 0;
    return true;
}
