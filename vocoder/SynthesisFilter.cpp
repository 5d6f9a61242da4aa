#include "vocoder/SynthesisFilter.h"

#include <cstring>

#include "vocoder/FiniteCheck.h"

SynthesisFilter::SynthesisFilter() : feedback(1.0) { clear(); }

SynthesisFilter::~SynthesisFilter() = default;

void SynthesisFilter::setAmount(double a) {
    if (a >= 0.0 && a <= 1.0) feedback = a;
}

void SynthesisFilter::clear() { std::memset(s, 0, sizeof s); }

double SynthesisFilter::process(double excitation, const double* coefficients, int32_t count) {
    const double a = feedback;
    double y = excitation;
    for (int32_t i = 0; i < count; ++i) y = y + (s[i] * coefficients[i]) * a;
    std::memmove(s + 1, s, sizeof(double) * static_cast<size_t>(count - 1));
    s[0] = y;
    return y;
}

bool SynthesisFilter::isFinite() const { return allFinite(s, kMaxOrder); }
