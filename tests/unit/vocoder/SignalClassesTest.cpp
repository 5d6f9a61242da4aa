// The predictor, the synthesis filter and the envelope follower on their own.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "vocoder/AdaptivePredictor.h"
#include "vocoder/EnvelopeFollower.h"
#include "vocoder/SynthesisFilter.h"

namespace {

bool allZero(const double* values, int count) {
    for (int i = 0; i < count; ++i)
        if (values[i] != 0.0) return false;
    return true;
}

}  // namespace

TEST(AdaptivePredictor, FirstStepsOfOrderOneFollowTheNormalisedUpdate) {
    AdaptivePredictor predictor;
    predictor.setOrder(1);
    EXPECT_DOUBLE_EQ(predictor.process(1.0), 1.0);  // empty history: nothing predicted
    EXPECT_EQ(predictor.coefficients()[0], 0.0);    // and nothing adapted
    EXPECT_DOUBLE_EQ(predictor.process(1.0), 1.0);
    EXPECT_NEAR(predictor.coefficients()[0], 0.02 / 1.01, 1e-15);
    EXPECT_NEAR(predictor.process(1.0), 0.980198, 5e-7);
    // Only entry 0 takes part at order 1: the other coefficients stay untouched. (History
    // entries beyond the order hold older inputs, which no step reads.)
    EXPECT_TRUE(allZero(predictor.coefficients() + 1, 1023));
    EXPECT_TRUE(allZero(predictor.updateMemory() + 1, 1023));
    EXPECT_EQ(predictor.history()[0], 1.0);
}

TEST(AdaptivePredictor, SumsUpdateAndShiftMatchAReferenceAtHigherOrder) {
    // A straightforward transcription of the update rule, run beside the class.
    const int n = 7;
    const double mu = 0.1, f = 0.0001, rho = 0.35;
    double w[n] = {}, x[n] = {}, v[n] = {};
    AdaptivePredictor predictor;
    predictor.setOrder(n);
    predictor.setLearningRate(mu);
    predictor.setForgettingRate(f);
    predictor.setSmoothing(rho);
    for (int t = 0; t < 200; ++t) {
        const double s = std::sin(0.3 * t) + 0.25 * std::sin(1.7 * t + 0.4);
        double y = 0.0, p = 0.0;
        for (int i = 0; i < n; ++i) y += x[i] * w[i];
        for (int i = 0; i < n; ++i) p += x[i] * x[i];
        const double e = s - y;
        const double g = 1.0 / (std::sqrt(p) + 0.01);
        for (int i = 0; i < n; ++i) v[i] = ((x[i] * mu) * g) * e + rho * v[i];
        for (int i = 0; i < n; ++i) w[i] = (1.0 - f) * w[i] + v[i];
        for (int k = n - 1; k >= 1; --k) x[k] = x[k - 1];
        x[0] = s;
        ASSERT_EQ(predictor.process(s), e) << "sample " << t;
    }
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(predictor.coefficients()[i], w[i]);
        EXPECT_EQ(predictor.updateMemory()[i], v[i]);
        EXPECT_EQ(predictor.history()[i], x[i]);
    }
    // A predictable signal is learned: late in the run the error carries a small part of the
    // signal's energy.
    double errorEnergy = 0.0, signalEnergy = 0.0;
    for (int t = 200; t < 4000; ++t) {
        const double s = std::sin(0.3 * t) + 0.25 * std::sin(1.7 * t + 0.4);
        const double e = predictor.process(s);
        if (t >= 3000) {
            errorEnergy += e * e;
            signalEnergy += s * s;
        }
    }
    EXPECT_LT(errorEnergy, 0.01 * signalEnergy);
}

TEST(AdaptivePredictor, SilenceDecaysUpdateMemoryAndCoefficients) {
    AdaptivePredictor predictor;
    predictor.setOrder(2);
    predictor.setSmoothing(0.5);
    for (double s : {1.0, -0.5, 0.25, 0.8}) predictor.process(s);
    // Push the history out with zeros, then watch the geometric decay on pure silence.
    predictor.process(0.0);
    predictor.process(0.0);
    const double w0 = predictor.coefficients()[0], v0 = predictor.updateMemory()[0];
    ASSERT_NE(v0, 0.0);
    EXPECT_EQ(predictor.process(0.0), 0.0);
    EXPECT_EQ(predictor.updateMemory()[0], 0.5 * v0);
    EXPECT_EQ(predictor.coefficients()[0], 0.999 * w0 + 0.5 * v0);
}

TEST(AdaptivePredictor, OrderGuardsAndClearing) {
    AdaptivePredictor predictor;
    EXPECT_EQ(predictor.order(), 100);
    for (int bad : {0, -5, 2000}) {
        predictor.setOrder(51);
        for (int t = 0; t < 10; ++t) predictor.process(t % 3 - 1.0);
        predictor.setOrder(bad);
        EXPECT_EQ(predictor.order(), 1024) << bad;
        EXPECT_TRUE(allZero(predictor.coefficients(), 1024));
        EXPECT_TRUE(allZero(predictor.history(), 1024));
        EXPECT_TRUE(allZero(predictor.updateMemory(), 1024));
    }
    predictor.setOrder(51);
    EXPECT_EQ(predictor.order(), 51);
    // The same order again still clears everything.
    for (int t = 0; t < 10; ++t) predictor.process(t % 3 - 1.0);
    predictor.setOrder(51);
    EXPECT_TRUE(allZero(predictor.coefficients(), 1024));
    EXPECT_TRUE(allZero(predictor.history(), 1024));
    // clear keeps order and rates.
    predictor.setLearningRate(0.3);
    predictor.clear();
    EXPECT_EQ(predictor.order(), 51);
    EXPECT_EQ(predictor.learningRate(), 0.3);
}

TEST(AdaptivePredictor, RateSettersIgnoreValuesOutsideTheirRange) {
    AdaptivePredictor predictor;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double bad : {1.0, -0.1, 2.5, nan}) {
        predictor.setLearningRate(bad);
        predictor.setSmoothing(bad);
        predictor.setForgettingRate(bad);
    }
    EXPECT_EQ(predictor.learningRate(), 0.02);
    EXPECT_EQ(predictor.smoothing(), 0.0);
    EXPECT_EQ(predictor.forgettingRate(), 0.001);
    EXPECT_EQ(predictor.leakFactor(), 1.0 - 0.001);
    predictor.setLearningRate(0.0);
    predictor.setSmoothing(0.999);
    predictor.setForgettingRate(0.25);
    EXPECT_EQ(predictor.learningRate(), 0.0);
    EXPECT_EQ(predictor.smoothing(), 0.999);
    EXPECT_EQ(predictor.leakFactor(), 0.75);
    predictor.setForgettingRate(2.0);
    EXPECT_EQ(predictor.leakFactor(), 0.75);
}

TEST(AdaptivePredictor, NonFiniteStateIsDetected) {
    AdaptivePredictor predictor;
    predictor.setOrder(4);
    predictor.process(0.5);
    EXPECT_TRUE(predictor.isFinite());
    predictor.process(std::numeric_limits<double>::infinity());
    predictor.process(0.5);
    EXPECT_FALSE(predictor.isFinite());
    predictor.clear();
    EXPECT_TRUE(predictor.isFinite());
}

TEST(SynthesisFilter, AppliesFeedbackFromIndexZeroUpward) {
    SynthesisFilter filter;
    const double c[1024] = {0.5, -0.25};
    EXPECT_EQ(filter.process(1.0, c, 2), 1.0);
    EXPECT_EQ(filter.process(0.0, c, 2), 0.5);          // 0.5 * 1
    EXPECT_EQ(filter.process(0.0, c, 2), 0.25 - 0.25);  // 0.5 * 0.5 - 0.25 * 1
    EXPECT_EQ(filter.state(0), 0.0);
    EXPECT_EQ(filter.state(1), 0.5);

    filter.setAmount(0.5);
    filter.clear();
    EXPECT_EQ(filter.process(1.0, c, 2), 1.0);
    EXPECT_EQ(filter.process(0.0, c, 2), 0.25);
}

TEST(SynthesisFilter, AmountZeroPassesExcitationButStillShifts) {
    SynthesisFilter filter;
    filter.setAmount(0.0);
    const double c[1024] = {0.9, 0.9, 0.9};
    EXPECT_EQ(filter.process(0.3, c, 3), 0.3);
    EXPECT_EQ(filter.process(-0.7, c, 3), -0.7);
    EXPECT_EQ(filter.state(0), -0.7);
    EXPECT_EQ(filter.state(1), 0.3);
    EXPECT_EQ(filter.state(2), 0.0);
}

TEST(SynthesisFilter, AmountGuardIncludesBothEnds) {
    SynthesisFilter filter;
    filter.setAmount(0.4);
    filter.setAmount(1.0);
    EXPECT_EQ(filter.amount(), 1.0);
    filter.setAmount(0.0);
    EXPECT_EQ(filter.amount(), 0.0);
    for (double bad : {1.0000001, -0.1, std::numeric_limits<double>::quiet_NaN()}) {
        filter.setAmount(bad);
        EXPECT_EQ(filter.amount(), 0.0);
    }
}

TEST(SynthesisFilter, EntriesBeyondCountStayAndCountOneShiftsNothing) {
    SynthesisFilter filter;
    const double c[1024] = {};
    for (int t = 1; t <= 5; ++t) filter.process(t, c, 5);
    filter.process(9.0, c, 1);
    EXPECT_EQ(filter.state(0), 9.0);
    EXPECT_EQ(filter.state(1), 4.0);  // untouched by the order-1 step
    EXPECT_EQ(filter.state(4), 1.0);
}

TEST(SynthesisFilter, RecentStateCheckCoversEverythingWrittenSinceTheLastCheck) {
    SynthesisFilter filter;
    const double c[1024] = {};
    const double inf = std::numeric_limits<double>::infinity();
    filter.process(inf, c, 8);
    for (int t = 0; t < 4; ++t) filter.process(0.0, c, 8);   // the infinity now sits at entry 4
    for (int t = 0; t < 20; ++t) filter.process(0.0, c, 2);  // a smaller count leaves it there
    EXPECT_FALSE(filter.recentStateIsFinite());
    EXPECT_FALSE(filter.isFinite());
    filter.clear();
    EXPECT_TRUE(filter.recentStateIsFinite());

    // Once confirmed, later small-count work is all that needs looking at, and it is found.
    for (int t = 0; t < 10; ++t) filter.process(1.0, c, 300);
    EXPECT_TRUE(filter.recentStateIsFinite());
    filter.process(inf, c, 3);
    EXPECT_FALSE(filter.recentStateIsFinite());
}

TEST(EnvelopeFollower, InitialCoefficientsAndFirstSteps) {
    EnvelopeFollower follower;
    EXPECT_NEAR(follower.attackCoefficient(), 0.997735, 1e-6);
    EXPECT_NEAR(follower.releaseCoefficient(), 0.999547, 1e-6);
    EXPECT_NEAR(follower.attackCoefficient(), std::exp(-1.0 / 441.0), 1e-15);
    EXPECT_NEAR(follower.process(1.0), 1.0 - std::exp(-1.0 / 441.0), 1e-15);
    double previous = follower.envelope();
    for (int t = 0; t < 2000; ++t) {
        const double e = follower.process(1.0);
        ASSERT_GT(e, previous);
        previous = e;
    }
    EXPECT_GT(previous, 0.98);
    EXPECT_LT(previous, 1.0);
}

TEST(EnvelopeFollower, ReleaseAndRectification) {
    EnvelopeFollower follower;
    follower.setAttack(0.0);  // coefficient e^-1: the envelope reaches 1 after some samples
    for (int t = 0; t < 100; ++t) follower.process(1.0);
    ASSERT_NEAR(follower.envelope(), 1.0, 1e-15);
    const double top = follower.envelope();
    EXPECT_EQ(follower.process(0.0), follower.releaseCoefficient() * top);
    EXPECT_NEAR(follower.envelope(), 0.999547, 1e-6);
    // An input equal to the envelope leaves it where it is.
    const double held = follower.envelope();
    EXPECT_NEAR(follower.process(held), held, 1e-16);

    EnvelopeFollower positive, negative;
    for (int t = 0; t < 10; ++t) {
        EXPECT_EQ(positive.process(0.5), negative.process(-0.5));
    }
    positive.clear();
    EXPECT_EQ(positive.envelope(), 0.0);
}

// An input equal to the envelope takes the release coefficient. Mathematically either
// coefficient leaves the envelope where it is, so only the rounding tells them apart: the
// check runs at the first envelope value where the two roundings differ.
TEST(EnvelopeFollower, ATieTakesTheReleaseCoefficient) {
    EnvelopeFollower follower;
    const double ra = follower.releaseCoefficient(), at = follower.attackCoefficient();
    bool checked = false;
    for (int t = 0; t < 1000 && !checked; ++t) {
        const double env = follower.process(1.0);
        const double withRelease = (1.0 - ra) * env + ra * env;
        const double withAttack = (1.0 - at) * env + at * env;
        if (withRelease == withAttack) continue;
        EXPECT_EQ(follower.process(env), withRelease) << "envelope " << env;
        checked = true;
    }
    ASSERT_TRUE(checked) << "no envelope value where the two coefficients round apart";
}

TEST(EnvelopeFollower, TimesAndSampleRate) {
    EnvelopeFollower follower;
    follower.setAttack(2.0);
    EXPECT_NEAR(follower.attackCoefficient(), std::exp(-1.0 / 88.2), 1e-15);
    for (double zeroish : {0.0, -3.0, std::numeric_limits<double>::quiet_NaN()}) {
        follower.setAttack(zeroish);
        EXPECT_EQ(follower.attackTime(), 1.0 / 44100.0);
        EXPECT_NEAR(follower.attackCoefficient(), 0.3679, 1e-4);
    }
    follower.setAttack(2.0);
    follower.setSampleRate(48000.0);
    EXPECT_NEAR(follower.attackCoefficient(), 0.98963, 1e-5);
    EXPECT_NEAR(follower.releaseCoefficient(), std::exp(-1.0 / 2400.0), 1e-15);
    for (double bad : {0.0, -44100.0}) {
        follower.setSampleRate(bad);
        EXPECT_EQ(follower.sampleRate(), 48000.0);
        EXPECT_NEAR(follower.attackCoefficient(), 0.98963, 1e-5);
    }
    // A one-sample time keeps its seconds when the rate changes later.
    follower.setRelease(0.0);
    EXPECT_EQ(follower.releaseTime(), 1.0 / 48000.0);
    follower.setSampleRate(96000.0);
    EXPECT_EQ(follower.releaseTime(), 1.0 / 48000.0);
    EXPECT_NEAR(follower.releaseCoefficient(), std::exp(-0.5), 1e-15);
}
