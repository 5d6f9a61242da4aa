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
    // The same step, and in the same pass over the coefficients the predictor's next two sums
    // over its history: prediction = sum of history[i] * coefficients[i] and energy = sum of
    // history[i]^2, each from index 0 upward. Running the three sums side by side lets the
    // processor overlap them instead of waiting on one chain of additions after another.
    double processWithPredictorSums(double excitation, const double* coefficients,
                                    const double* history, int32_t count, double& prediction,
                                    double& energy);
    // True when every state entry is a finite number.
    bool isFinite() const;
    // The same answer, looking only at the entries written since the last call that answered
    // true (or since the last clear): the others were found finite then and have not changed.
    bool recentStateIsFinite();

private:
    double s[kMaxOrder];
    double feedback;
    int32_t written;  // entries process has touched since the last finite check or clear
};
