#include "vocoder/PortableMath.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// ln 2 split so that k * kLn2High is exact for every exponent k a double can have.
const double kLn2High = 6.93147180369123816490e-01;
const double kLn2Low = 1.90821492927058770002e-10;
const double kInvLn2 = 1.44269504088896338700e+00;
const double kLn10 = 2.30258509299404568402e+00;

// 2^k for -1022 <= k <= 1023, exactly.
double powerOfTwo(int k) {
    const uint64_t bits = static_cast<uint64_t>(k + 1023) << 52;
    double result;
    std::memcpy(&result, &bits, sizeof result);
    return result;
}

// value * 2^k, in two exact steps when 2^k itself is outside the normal range.
double scaleByPowerOfTwo(double value, int k) {
    if (k >= -1022 && k <= 1023) return value * powerOfTwo(k);
    const int half = k / 2;
    return (value * powerOfTwo(half)) * powerOfTwo(k - half);
}

// Taylor series of e^r - 1 for |r| <= 0.35, evaluated by Horner's rule: the first omitted
// term is below 1e-18 relative.
double expm1Series(double r) {
    double p = 1.0 / 6227020800.0;  // 1/13!
    p = 1.0 / 479001600.0 + r * p;
    p = 1.0 / 39916800.0 + r * p;
    p = 1.0 / 3628800.0 + r * p;
    p = 1.0 / 362880.0 + r * p;
    p = 1.0 / 40320.0 + r * p;
    p = 1.0 / 5040.0 + r * p;
    p = 1.0 / 720.0 + r * p;
    p = 1.0 / 120.0 + r * p;
    p = 1.0 / 24.0 + r * p;
    p = 1.0 / 6.0 + r * p;
    p = 0.5 + r * p;
    return r + (r * r) * p;
}

}  // namespace

double portableExp(double x) {
    if (x != x) return x;
    if (x > 709.782712893384) return std::numeric_limits<double>::infinity();
    if (x < -745.1332191019412) return 0.0;
    // x = k ln2 + r with |r| <= ln2 / 2.
    const double kd = std::floor(x * kInvLn2 + 0.5);
    const double r = (x - kd * kLn2High) - kd * kLn2Low;
    return scaleByPowerOfTwo(1.0 + expm1Series(r), static_cast<int>(kd));
}

double portableExpm1(double x) {
    if (x != x) return x;
    if (std::fabs(x) <= 0.35) return expm1Series(x);
    return portableExp(x) - 1.0;
}

double portableTanh(double x) {
    if (x != x) return x;
    const double magnitude = std::fabs(x);
    double result;
    if (magnitude > 22.0) {
        result = 1.0;  // 1 - tanh(22) is below half an ulp of 1
    } else if (magnitude < 1.0e-9) {
        result = magnitude;  // the cubic term is below the last place
    } else {
        // tanh(m) = -(e^-2m - 1) / ((e^-2m - 1) + 2)
        const double t = portableExpm1(-2.0 * magnitude);
        result = -t / (t + 2.0);
    }
    return x < 0.0 ? -result : result;
}

double decibelsToGain(double dB) { return portableExp((0.05 * dB) * kLn10); }
