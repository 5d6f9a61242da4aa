// The signal chain sample by sample: mix formula, output pairs, settings and recovery from
// non-finite input.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "vocoder/AdaptivePredictor.h"
#include "vocoder/EnvelopeFollower.h"
#include "vocoder/PortableMath.h"
#include "vocoder/SynthesisFilter.h"
#include "vocoder/VocoderEngine.h"

namespace {

// Deterministic test material: a tone for the carrier and a noisy, varying modulator.
struct Material {
    explicit Material(int frames) : carrier(frames), modulator(frames) {
        uint32_t state = 12345;
        for (int k = 0; k < frames; ++k) {
            state = state * 1664525u + 1013904223u;
            const double noise = (static_cast<int32_t>(state) / 2147483648.0);
            carrier[k] = static_cast<float>(0.5 * std::sin(0.05 * k) + 0.2 * std::sin(0.31 * k));
            modulator[k] =
                static_cast<float>(0.6 * std::sin(0.013 * k) * std::sin(0.2 * k) + 0.1 * noise);
        }
    }
    std::vector<float> carrier, modulator;
};

struct Frame {
    float out[8] = {};
    float* places[8];
    Frame() {
        for (int i = 0; i < 8; ++i) places[i] = &out[i];
    }
};

// The chain written out once more from its parts, with the effect's default settings.
struct ReferenceChain {
    EnvelopeFollower follower;
    AdaptivePredictor modulatorPredictor, carrierPredictor;
    SynthesisFilter filter;
    double previous = 0.0;
    double p = portableTanh(3.0);
    double amount = 1.0;
    bool whiten = false;
    double y = 0.0, env = 0.0, e = 0.0, w = 0.0;

    ReferenceChain() {
        modulatorPredictor.setOrder(51);
        modulatorPredictor.setLearningRate(0.05);
        modulatorPredictor.setForgettingRate(0.00001);
        modulatorPredictor.setSmoothing(0.35);
        follower.setAttack(2.0);
        follower.setRelease(50.0);
    }
    void step(double c, double m) {
        env = follower.process(m);
        e = modulatorPredictor.process(m - p * previous);
        w = whiten ? carrierPredictor.process(c) : 0.0;
        y = filter.process(whiten ? w : c, modulatorPredictor.coefficients(),
                           modulatorPredictor.order());
        y = y * (10.0 * env * amount + (1.0 - amount));
        previous = m;
    }
};

void applyDefaults(VocoderEngine& engine) {
    engine.setModulatorOrder(51);
    engine.setModulatorLearningRate(0.05);
    engine.setModulatorForgettingRate(0.00001);
    engine.setModulatorSmoothing(0.35);
    engine.setAttack(2.0);
    engine.setRelease(50.0);
    engine.setCarrierOrder(51);
    engine.setCarrierLearningRate(0.004);
    engine.setCarrierForgettingRate(0.00004);
    engine.setCarrierSmoothing(0.35);
}

}  // namespace

TEST(VocoderEngine, DefaultMixIsTenTimesEnvelopeTimesSynthesis) {
    const Material material(3000);
    VocoderEngine engine;
    applyDefaults(engine);
    ReferenceChain reference;
    const double leak = decibelsToGain(-96.0);
    double loudest = 0.0;
    for (int k = 0; k < 3000; ++k) {
        Frame frame;
        engine.process(&material.carrier[k], &material.modulator[k], frame.places, 1);
        const double c = material.carrier[k], m = material.modulator[k];
        reference.step(c, m);
        const double expected = (((reference.y + reference.e * leak) + m * leak) + c * leak);
        ASSERT_EQ(frame.out[0], static_cast<float>(expected)) << "frame " << k;
        ASSERT_EQ(frame.out[1], frame.out[0]);
        ASSERT_EQ(frame.out[2], static_cast<float>(reference.e));
        ASSERT_EQ(frame.out[3], frame.out[2]);
        ASSERT_EQ(frame.out[4], material.carrier[k]);
        ASSERT_EQ(frame.out[5], material.carrier[k]);
        ASSERT_EQ(frame.out[6], material.modulator[k]);
        ASSERT_EQ(frame.out[7], material.modulator[k]);
        loudest = std::max(loudest, std::fabs(reference.y));
    }
    EXPECT_GT(loudest, 0.01);  // the comparison above was not between silences
}

TEST(VocoderEngine, WhiteningExcitesTheFilterWithTheCarrierError) {
    const Material material(2000);
    VocoderEngine engine;
    applyDefaults(engine);
    engine.setWhitening(true);
    engine.setWhitenedCarrierGain(-6.0);
    engine.setVocodedGain(-96.0);
    ReferenceChain reference;
    reference.whiten = true;
    reference.carrierPredictor.setOrder(51);
    reference.carrierPredictor.setLearningRate(0.004);
    reference.carrierPredictor.setForgettingRate(0.00004);
    reference.carrierPredictor.setSmoothing(0.35);
    const double leak = decibelsToGain(-96.0);
    for (int k = 0; k < 2000; ++k) {
        Frame frame;
        engine.process(&material.carrier[k], &material.modulator[k], frame.places, 1);
        const double c = material.carrier[k], m = material.modulator[k];
        reference.step(c, m);
        const double expected =
            ((((reference.y * leak + reference.w * decibelsToGain(-6.0)) + reference.e * leak) +
              m * leak) +
             c * leak);
        ASSERT_EQ(frame.out[0], static_cast<float>(expected)) << "frame " << k;
    }
}

TEST(VocoderEngine, WhiteningOffFreezesTheCarrierPredictorAndMutesItsGain) {
    const Material material(400);
    VocoderEngine loud, quiet;
    for (VocoderEngine* engine : {&loud, &quiet}) applyDefaults(*engine);
    loud.setWhitenedCarrierGain(24.0);
    for (int k = 0; k < 400; ++k) {
        Frame a, b;
        loud.process(&material.carrier[k], &material.modulator[k], a.places, 1);
        quiet.process(&material.carrier[k], &material.modulator[k], b.places, 1);
        ASSERT_EQ(a.out[0], b.out[0]);
    }
    for (int i = 0; i < 1024; ++i) ASSERT_EQ(loud.carrierPredictor().history()[i], 0.0);

    // Even a gain that overflows to infinity contributes nothing while whitening is off.
    loud.setWhitenedCarrierGain(1.0e4);
    ASSERT_TRUE(std::isinf(loud.whitenedCarrierGain()));
    for (int k = 0; k < 10; ++k) {
        Frame a, b;
        loud.process(&material.carrier[k], &material.modulator[k], a.places, 1);
        quiet.process(&material.carrier[k], &material.modulator[k], b.places, 1);
        ASSERT_EQ(a.out[0], b.out[0]) << "frame " << k;
    }
    loud.setWhitenedCarrierGain(24.0);

    // On, off, on: the predictor continues from where it stood.
    loud.setWhitening(true);
    Frame frame;
    for (int k = 0; k < 10; ++k)
        loud.process(&material.carrier[k], &material.modulator[k], frame.places, 1);
    const double frozen = loud.carrierPredictor().coefficients()[0];
    loud.setWhitening(false);
    for (int k = 0; k < 10; ++k)
        loud.process(&material.carrier[k], &material.modulator[k], frame.places, 1);
    EXPECT_EQ(loud.carrierPredictor().coefficients()[0], frozen);
    EXPECT_EQ(loud.carrierPredictor().history()[0], material.carrier[9]);
}

TEST(VocoderEngine, SilentCarrierLeavesOnlyErrorAndModulatorTerms) {
    const Material material(500);
    VocoderEngine engine;
    applyDefaults(engine);
    engine.setErrorGain(0.0);
    engine.setModulatorGain(-6.0);
    engine.setMasterGain(-3.0);
    ReferenceChain reference;
    const float silence = 0.0f;
    for (int k = 0; k < 500; ++k) {
        Frame frame;
        engine.process(&silence, &material.modulator[k], frame.places, 1);
        reference.step(0.0, material.modulator[k]);
        ASSERT_EQ(reference.y, 0.0);
        const double m = material.modulator[k];
        const double expected =
            ((reference.e * 1.0 + m * decibelsToGain(-6.0)) + 0.0) * decibelsToGain(-3.0);
        ASSERT_EQ(frame.out[0], static_cast<float>(expected)) << "frame " << k;
    }
}

TEST(VocoderEngine, EnvelopeAmountZeroLeavesSynthesisUnshaped) {
    const Material material(500);
    VocoderEngine engine;
    applyDefaults(engine);
    engine.setEnvelopeAmount(0.0);
    engine.setCarrierGain(-200.0);
    engine.setModulatorGain(-200.0);
    engine.setErrorGain(-200.0);
    ReferenceChain reference;
    reference.amount = 0.0;
    for (int k = 0; k < 500; ++k) {
        Frame frame;
        engine.process(&material.carrier[k], &material.modulator[k], frame.places, 1);
        reference.step(material.carrier[k], material.modulator[k]);
        ASSERT_NEAR(frame.out[0], reference.y, 1e-6 * (1.0 + std::fabs(reference.y)));
    }
}

TEST(VocoderEngine, SilenceFromAFreshOrResetEngineIsSilent) {
    const Material material(300);
    VocoderEngine engine;
    applyDefaults(engine);
    Frame frame;
    for (int k = 0; k < 300; ++k)
        engine.process(&material.carrier[k], &material.modulator[k], frame.places, 1);
    engine.reset();
    EXPECT_EQ(engine.previousModulator(), 0.0);
    EXPECT_EQ(engine.follower().envelope(), 0.0);
    const float zero = 0.0f;
    for (int k = 0; k < 50; ++k) {
        Frame silent;
        for (float& value : silent.out) value = 7.0f;
        engine.process(&zero, &zero, silent.places, 1);
        for (float value : silent.out) ASSERT_EQ(value, 0.0f);
    }
    // Settings survive the reset.
    EXPECT_EQ(engine.modulatorPredictor().order(), 51);
    EXPECT_EQ(engine.modulatorPredictor().learningRate(), 0.05);
}

TEST(VocoderEngine, FirstSampleAfterResetSeesAPreviousModulatorOfZero) {
    VocoderEngine engine;
    applyDefaults(engine);
    engine.setErrorGain(0.0);
    const float one = 1.0f, zero = 0.0f;
    Frame frame;
    engine.process(&zero, &one, frame.places, 1);
    EXPECT_EQ(frame.out[2], 1.0f);  // nothing predicted, nothing pre-emphasised away
    EXPECT_EQ(engine.previousModulator(), 1.0);
    engine.reset();
    const float half = 0.5f;
    engine.process(&zero, &half, frame.places, 1);
    EXPECT_EQ(frame.out[2], 0.5f);
    // The second sample subtracts p times the raw previous modulator.
    engine.process(&zero, &half, frame.places, 1);
    EXPECT_EQ(engine.modulatorPredictor().history()[0], 0.5 - portableTanh(3.0) * 0.5);
}

TEST(VocoderEngine, OutputPairsAreWrittenOnlyWhenBothPlacesExist) {
    VocoderEngine engine;
    const float c = 0.25f, m = -0.5f;
    float out[8];
    for (float& value : out) value = 9.0f;
    float* places[8] = {&out[0], &out[1], &out[2], nullptr, nullptr, &out[5], &out[6], &out[7]};
    engine.process(&c, &m, places, 1);
    EXPECT_NE(out[0], 9.0f);
    EXPECT_EQ(out[1], out[0]);
    EXPECT_EQ(out[2], 9.0f);
    EXPECT_EQ(out[5], 9.0f);
    EXPECT_EQ(out[6], m);
    EXPECT_EQ(out[7], m);

    float* none[8] = {&out[0], &out[1], nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    out[0] = 9.0f;
    engine.process(&c, &m, none, 1);
    EXPECT_NE(out[0], 9.0f);
}

TEST(VocoderEngine, NonFiniteInputIsClearedAfterTheBlock) {
    const Material material(600);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();

    // Both inputs broken: everything that saw them is cleared, and the engine then behaves
    // exactly like a fresh one with the same settings.
    VocoderEngine engine, fresh;
    for (VocoderEngine* e : {&engine, &fresh}) {
        applyDefaults(*e);
        e->setWhitening(true);
        e->setErrorGain(0.0);
    }
    Frame frame;
    for (int k = 0; k < 200; ++k)
        engine.process(&material.carrier[k], &material.modulator[k], frame.places, 1);
    // The broken frame ends the block, so the previous modulator sample is broken too.
    engine.process(&inf, &nan, frame.places, 1);
    EXPECT_TRUE(std::isnan(frame.out[0]));  // the faulty block itself may be garbage
    EXPECT_TRUE(engine.clearNonFiniteState());
    for (int k = 210; k < 600; ++k) {
        Frame a, b;
        engine.process(&material.carrier[k], &material.modulator[k], a.places, 1);
        fresh.process(&material.carrier[k], &material.modulator[k], b.places, 1);
        for (int i = 0; i < 8; ++i) ASSERT_EQ(a.out[i], b.out[i]) << "frame " << k;
    }
    EXPECT_FALSE(engine.clearNonFiniteState());

    // Only the carrier broken, whitening off: the synthesis filter is cleared, while the
    // modulator side, still finite, is left exactly as it was.
    VocoderEngine broken, twin;
    for (VocoderEngine* e : {&broken, &twin}) applyDefaults(*e);
    const float zero = 0.0f;
    for (int k = 0; k < 300; ++k) {
        broken.process(k == 150 ? &nan : &material.carrier[k], &material.modulator[k], frame.places,
                       1);
        twin.process(k == 150 ? &zero : &material.carrier[k], &material.modulator[k], frame.places,
                     1);
    }
    EXPECT_TRUE(broken.clearNonFiniteState());
    for (int i = 0; i < 1024; ++i) {
        ASSERT_EQ(broken.synthesisFilter().state(i), 0.0);
        ASSERT_EQ(broken.modulatorPredictor().coefficients()[i],
                  twin.modulatorPredictor().coefficients()[i]);
    }
    EXPECT_EQ(broken.follower().envelope(), twin.follower().envelope());
}
