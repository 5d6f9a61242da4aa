#pragma once
// All-pole filter that applies a predictor's coefficients to an excitation: the inverse of the
// prediction-error filter, with the feedback scaled by an amount from 0 to 1.
//
// The state is a shift register of the last outputs in which only the first count entries
// move; entries at and beyond count keep their values until a larger count reaches them. It
// is kept as a ring (nothing moves per sample) plus a copy of the entries beyond the count in
// use, which is brought up to date whenever the count changes.

#include <cstdint>

#include "vocoder/HistoryRing.h"

class SynthesisFilter {
public:
    static constexpr int32_t kMaxOrder = 1024;

    SynthesisFilter();

    // Stored only if 0 <= a <= 1 (both ends included).
    void setAmount(double a);
    double amount() const { return feedback; }
    // state(i) is the output i + 1 samples back as the shift register holds it (0 <= i < 1024).
    double state(int32_t i) const;

    // Zeroes the state; the amount stays.
    void clear();
    // One output sample from the excitation, using the first count of the coefficients
    // (count is 1 to kMaxOrder, as a predictor's order always is).
    double process(double excitation, const double* coefficients, int32_t count);
    // True when every state entry is a finite number.
    bool isFinite() const;
    // The same answer, looking only at the entries written since the last call that answered
    // true (or since the last clear): the others were found finite then and have not changed.
    bool recentStateIsFinite();

    // For the engine's fused pass (the arithmetic is exactly process's): prepareCount(count)
    // before a run of samples with that count; then per sample the window to read (window()[i]
    // is state(i) for i < count) and push(y) with the new output.
    void prepareCount(int32_t count);
    const double* window() const { return ring.window(); }
    void push(double y) { ring.push(y); }
    // Records that processing touches the first count entries, for recentStateIsFinite.
    void noteWritten(int32_t count) {
        if (count > written) written = count;
    }

private:
    HistoryRing ring;
    double beyond[kMaxOrder];  // beyond[i] is state(i) for i >= the count the ring is laid out for
    int32_t laidOut;           // the count whose entries the ring window holds
    double feedback;
    int32_t written;  // entries processing has touched since the last finite check or clear
};
