#pragma once
// All-pole filter that applies a predictor's coefficients to an excitation: the inverse of the
// prediction-error filter, with the feedback scaled by an amount from 0 to 1.

#include <cstdint>

class SynthesisFilter {
public:
    static constexpr int32_t kMaxOrder = 1024;

    SynthesisFilter();
    virtual ~SynthesisFilter();

    // Stored only if 0 <= a <= 1 (both ends included).
    void setAmount(double a);
    double amount() const { return feedback; }
    const double* state() const { return s; }

    // Zeroes the state; the amount stays.
    void clear();
    // One output sample from the excitation, using the first count of the coefficients
    // (count is 1 to kMaxOrder, as a predictor's order always is). State entries at and
    // beyond count are left as they are.
    double process(double excitation, const double* coefficients, int32_t count);
    // True when every state entry is a finite number.
    bool isFinite() const;

private:
    double s[kMaxOrder];
    double feedback;
};
