#include "vocoder/SynthesisFilter.h"

#include <cstring>

#include "vocoder/FiniteCheck.h"

SynthesisFilter::SynthesisFilter() : laidOut(kMaxOrder), feedback(1.0), written(0) { clear(); }

void SynthesisFilter::setAmount(double a) {
    if (a >= 0.0 && a <= 1.0) feedback = a;
}

void SynthesisFilter::clear() {
    ring.clear();
    std::memset(beyond, 0, sizeof beyond);
    written = 0;
}

double SynthesisFilter::state(int32_t i) const {
    if (i < 0 || i >= kMaxOrder) return 0.0;
    return i < laidOut ? ring.window()[i] : beyond[i];
}

// Entries between the old and the new count change sides: when the count shrinks they stop
// moving and are kept in beyond; when it grows they start moving from the values kept there.
void SynthesisFilter::prepareCount(int32_t count) {
    if (count == laidOut) return;
    const double* window = ring.window();
    for (int32_t i = count; i < laidOut; ++i) beyond[i] = window[i];
    for (int32_t i = laidOut; i < count; ++i) ring.overwrite(i, beyond[i]);
    laidOut = count;
}

double SynthesisFilter::process(double excitation, const double* coefficients, int32_t count) {
    prepareCount(count);
    noteWritten(count);
    const double a = feedback;
    const double* s = ring.window();
    double y = excitation;
    for (int32_t i = 0; i < count; ++i) y = y + (s[i] * coefficients[i]) * a;
    ring.push(y);
    return y;
}

bool SynthesisFilter::isFinite() const {
    return allFinite(ring.window(), laidOut) && allFinite(beyond + laidOut, kMaxOrder - laidOut);
}

bool SynthesisFilter::recentStateIsFinite() {
    const int32_t moving = written < laidOut ? written : laidOut;
    if (!allFinite(ring.window(), moving)) return false;
    if (written > laidOut && !allFinite(beyond + laidOut, written - laidOut)) return false;
    written = 0;
    return true;
}
