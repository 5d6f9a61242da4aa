// The platform-independent exponential functions against the C library.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "vocoder/PortableMath.h"

namespace {

// Distance in units of the last place, relative to the reference.
double ulps(double value, double reference) {
    if (reference == 0.0) return value == 0.0 ? 0.0 : 1e300;
    const int exponent = std::ilogb(reference);
    return std::fabs(value - reference) / std::ldexp(1.0, exponent - 52);
}

}  // namespace

TEST(PortableMath, ExpAgreesWithTheLibraryAcrossTheRange) {
    double worst = 0.0;
    for (double x = -700.0; x <= 700.0; x += 0.0137)
        worst = std::max(worst, ulps(portableExp(x), std::exp(x)));
    for (double x = -2.0; x <= 2.0; x += 1.0e-4)
        worst = std::max(worst, ulps(portableExp(x), std::exp(x)));
    EXPECT_LE(worst, 1.5);
    EXPECT_EQ(portableExp(0.0), 1.0);
    EXPECT_EQ(portableExp(1000.0), std::numeric_limits<double>::infinity());
    EXPECT_EQ(portableExp(-1000.0), 0.0);
    EXPECT_EQ(portableExp(-std::numeric_limits<double>::infinity()), 0.0);
    EXPECT_TRUE(std::isnan(portableExp(std::numeric_limits<double>::quiet_NaN())));
    // Results in the subnormal range are scaled in two steps and stay close.
    EXPECT_NEAR(portableExp(-740.0) / std::exp(-740.0), 1.0, 1e-6);
}

TEST(PortableMath, TanhAndExpm1AgreeWithTheLibrary) {
    double worstTanh = 0.0, worstExpm1 = 0.0;
    for (double x = -25.0; x <= 25.0; x += 0.00731) {
        worstTanh = std::max(worstTanh, ulps(portableTanh(x), std::tanh(x)));
        worstExpm1 = std::max(worstExpm1, ulps(portableExpm1(x), std::expm1(x)));
    }
    for (double x = 1e-12; x < 1.0; x *= 1.37) {
        worstTanh = std::max(worstTanh, ulps(portableTanh(x), std::tanh(x)));
        worstExpm1 = std::max(worstExpm1, ulps(portableExpm1(-x), std::expm1(-x)));
    }
    EXPECT_LE(worstTanh, 4.0);
    EXPECT_LE(worstExpm1, 4.0);
    EXPECT_EQ(portableTanh(0.0), 0.0);
    EXPECT_EQ(portableTanh(1e300), 1.0);
    EXPECT_EQ(portableTanh(-std::numeric_limits<double>::infinity()), -1.0);
    EXPECT_TRUE(std::isnan(portableTanh(std::numeric_limits<double>::quiet_NaN())));
}

TEST(PortableMath, DecibelsToGain) {
    EXPECT_EQ(decibelsToGain(0.0), 1.0);
    EXPECT_NEAR(decibelsToGain(24.0), 15.848931924611133, 1e-13);
    EXPECT_NEAR(decibelsToGain(-96.0), 1.5848931924611e-5, 1e-17);
    EXPECT_NEAR(decibelsToGain(-6.0), 0.5011872336272722, 1e-15);
}
