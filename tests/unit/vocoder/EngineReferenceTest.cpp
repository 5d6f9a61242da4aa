// The optimised engine against a plain transcription of the arithmetic (ReferenceChain.h):
// every output of every sample identical bit for bit, over many orders and settings, with
// settings changed between blocks of any size as a host does.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "ReferenceChain.h"
#include "vocoder/AdaptivePredictor.h"
#include "vocoder/PortableMath.h"
#include "vocoder/VocoderEngine.h"

namespace {

struct Random {
    uint32_t state;
    explicit Random(uint32_t seed) : state(seed) {}
    uint32_t next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    double uniform() { return next() / 16777216.0; }  // [0, 1)
    int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }
};

// Speech-like material: tones with a moving envelope, noise, and stretches of silence.
struct Material {
    std::vector<float> carrier, modulator;
    Material(int frames, uint32_t seed) : carrier(frames), modulator(frames) {
        Random random(seed);
        for (int k = 0; k < frames; ++k) {
            const double noise = random.uniform() - 0.5;
            const bool silent = (k / 700) % 5 == 4;
            carrier[k] = static_cast<float>(0.4 * std::sin(0.07 * k) + 0.3 * noise);
            modulator[k] = silent ? 0.0f
                                  : static_cast<float>(0.5 * std::sin(0.011 * k) *
                                                           std::sin(0.23 * k + 0.3 * noise) +
                                                       0.05 * noise);
        }
    }
};

class Pair {
public:
    VocoderEngine engine;
    reference::Chain chain;

    void modulatorOrder(int32_t n) { engine.setModulatorOrder(n), chain.modulator.setOrder(n); }
    void carrierOrder(int32_t n) { engine.setCarrierOrder(n), chain.carrier.setOrder(n); }
    void whitening(bool on) { engine.setWhitening(on), chain.whiten = on; }

    // Runs frames samples through both in blocks of the given size; answers a description of
    // the first difference, or an empty text.
    std::string run(const Material& material, int start, int frames, int block) {
        std::vector<float> out(8 * static_cast<size_t>(block));
        float* outputs[8];
        for (int c = 0; c < 8; ++c) outputs[c] = &out[static_cast<size_t>(c) * block];
        float expected[8];
        for (int done = 0; done < frames; done += block) {
            const int n = std::min(block, frames - done);
            const int at = start + done;
            engine.process(&material.carrier[at], &material.modulator[at], outputs, n);
            for (int k = 0; k < n; ++k) {
                chain.process(material.carrier[at + k], material.modulator[at + k], expected);
                for (int c = 0; c < 8; ++c) {
                    if (std::memcmp(&outputs[c][k], &expected[c], sizeof(float)) != 0) {
                        return "sample " + std::to_string(at + k) + " output " + std::to_string(c) +
                               ": " + std::to_string(outputs[c][k]) + " instead of " +
                               std::to_string(expected[c]);
                    }
                }
            }
            const std::string state = stateDifference();
            if (!state.empty()) return state + " after sample " + std::to_string(at + n - 1);
        }
        return "";
    }

    // The double-precision state, which shows a difference in the last bit long before the
    // float outputs do.
    std::string stateDifference() const {
        auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
        const AdaptivePredictor* predictors[] = {&engine.modulatorPredictor(),
                                                 &engine.carrierPredictor()};
        const reference::Predictor* expected[] = {&chain.modulator, &chain.carrier};
        const char* names[] = {"modulator", "carrier"};
        for (int p = 0; p < 2; ++p) {
            for (int i = 0; i < 1024; ++i) {
                if (!same(predictors[p]->coefficients()[i], expected[p]->w[i]))
                    return std::string(names[p]) + " coefficient " + std::to_string(i);
                if (!same(predictors[p]->updateMemory()[i], expected[p]->v[i]))
                    return std::string(names[p]) + " update memory " + std::to_string(i);
            }
            for (int i = 0; i < expected[p]->order; ++i) {
                if (!same(predictors[p]->history()[i], expected[p]->x[i]))
                    return std::string(names[p]) + " history " + std::to_string(i);
            }
        }
        for (int i = 0; i < 1024; ++i) {
            if (!same(engine.synthesisFilter().state(i), chain.synthesis.s[i]))
                return "synthesis state " + std::to_string(i);
        }
        if (!same(engine.follower().envelope(), chain.follower.env)) return "envelope";
        return "";
    }
};

// Every case runs with the two-entry pass and, where the processor has them, the four-entry
// one in its AVX and its AVX-512 compilation.
enum class PassCode { kTwoEntries, kFourEntries, kFourEntriesEvex };

class EngineAgainstReference : public ::testing::TestWithParam<PassCode> {
protected:
    void SetUp() override {
        const bool wide = GetParam() != PassCode::kTwoEntries;
        const bool evex = GetParam() == PassCode::kFourEntriesEvex;
        if (VocoderEngine::allowWidePass(wide) != wide)
            GTEST_SKIP() << "no four-entry pass on this processor or build";
        if (VocoderEngine::allowEvexEncoding(evex) != evex)
            GTEST_SKIP() << "no AVX-512 on this processor or build";
    }
    void TearDown() override {
        VocoderEngine::allowWidePass(true);
        VocoderEngine::allowEvexEncoding(true);
    }
};

TEST_P(EngineAgainstReference, EveryOrderUpTo40AndTheLargeOnesWithAndWithoutWhitening) {
    const Material material(1200, 7);
    std::vector<int32_t> orders;
    for (int32_t n = 1; n <= 40; ++n) orders.push_back(n);
    for (int32_t n : {51, 63, 64, 65, 100, 201, 511, 1023, 1024}) orders.push_back(n);
    for (int32_t n : orders) {
        for (int whiten = 0; whiten < 2; ++whiten) {
            Pair pair;
            pair.modulatorOrder(n);
            // Carrier orders shorter, equal and longer, so that either loop may run alone.
            pair.carrierOrder(whiten ? (n % 3 == 0 ? n : n % 3 == 1 ? n + 7 : (n + 1) / 2) : 51);
            pair.whitening(whiten == 1);
            const int frames = n > 200 ? 500 : 1200;
            const std::string difference = pair.run(material, 0, frames, 256);
            ASSERT_EQ(difference, "")
                << "order " << n << (whiten ? " with" : " without") << " whitening";
        }
    }
}

// Shrinking the order freezes the synthesis state beyond it; growing it again brings the
// frozen entries back into the sum.
TEST_P(EngineAgainstReference, SynthesisStateBeyondAShrunkOrderStaysAndReturns) {
    const Material material(6000, 3);
    Pair pair;
    pair.modulatorOrder(201);
    int at = 0;
    for (int32_t n : {16, 201, 3, 1024, 51, 52, 1}) {
        ASSERT_EQ(pair.run(material, at, 700, 333), "") << "before order " << n;
        at += 700;
        pair.modulatorOrder(n);
    }
    ASSERT_EQ(pair.run(material, at, 700, 100), "");
}

// Random settings between blocks of random sizes, as automation from a host would change them.
TEST_P(EngineAgainstReference, RandomSettingsBetweenBlocksOfAnySize) {
    const Material material(40000, 11);
    Random random(2024);
    Pair pair;
    const int32_t orders[] = {1, 2, 3, 5, 16, 17, 50, 51, 64, 101, 200, 201, 0};
    int at = 0;
    while (at < 38000) {
        switch (random.below(14)) {
            case 0: pair.modulatorOrder(orders[random.below(13)]); break;
            case 1: pair.carrierOrder(orders[random.below(13)]); break;
            case 2: pair.whitening(random.below(2) == 1); break;
            case 3: {
                const double v = 0.2 * random.uniform();
                pair.engine.setModulatorLearningRate(v), pair.chain.modulator.setLearningRate(v);
                break;
            }
            case 4: {
                const double v = 0.001 * random.uniform();
                pair.engine.setModulatorForgettingRate(v);
                pair.chain.modulator.setForgettingRate(v);
                break;
            }
            case 5: {
                const double v = 0.9 * random.uniform();
                pair.engine.setModulatorSmoothing(v), pair.chain.modulator.setSmoothing(v);
                pair.engine.setCarrierSmoothing(v), pair.chain.carrier.setSmoothing(v);
                break;
            }
            case 6: {
                const double v = 0.05 * random.uniform();
                pair.engine.setCarrierLearningRate(v), pair.chain.carrier.setLearningRate(v);
                pair.engine.setCarrierForgettingRate(v * 0.01);
                pair.chain.carrier.setForgettingRate(v * 0.01);
                break;
            }
            case 7: {
                const double a = random.uniform();
                pair.engine.setSynthesisAmount(a);
                if (a >= 0.0 && a <= 1.0) pair.chain.synthesis.a = a;
                break;
            }
            case 8: {
                const double a = random.uniform();
                pair.engine.setEnvelopeAmount(a), pair.chain.envelopeAmount = a;
                break;
            }
            case 9: {
                const double p = random.uniform();
                pair.engine.setPreEmphasis(p), pair.chain.emphasis = p;
                break;
            }
            case 10: {
                const double dB = -96.0 + 120.0 * random.uniform();
                double* gains[] = {&pair.chain.vocoded,      &pair.chain.error,
                                   &pair.chain.dry,          &pair.chain.carried,
                                   &pair.chain.whitenedGain, &pair.chain.master};
                const int which = random.below(6);
                *gains[which] = decibelsToGain(dB);
                switch (which) {
                    case 0: pair.engine.setVocodedGain(dB); break;
                    case 1: pair.engine.setErrorGain(dB); break;
                    case 2: pair.engine.setModulatorGain(dB); break;
                    case 3: pair.engine.setCarrierGain(dB); break;
                    case 4: pair.engine.setWhitenedCarrierGain(dB); break;
                    default: pair.engine.setMasterGain(dB); break;
                }
                break;
            }
            case 11: {
                const double ms = 20.0 * random.uniform();
                pair.engine.setAttack(ms);
                pair.chain.follower.attack = ms > 0.0 ? 0.001 * ms : 1.0 / pair.chain.follower.rate;
                break;
            }
            case 12:
                pair.engine.reset();
                pair.chain.reset();
                break;
            default: break;
        }
        const int frames = 1 + random.below(1500);
        const int block = 1 + random.below(600);
        const std::string difference = pair.run(material, at, frames, block);
        ASSERT_EQ(difference, "") << "after " << at << " samples";
        at += frames;
    }
}

// Every 64-bit build, the Windows DLL as well as the Linux plug-in, runs the four-entry code
// (and its AVX-512 compilation) where the processor and the system have the registers: a build
// without it would only show as skipped cases above, and as a slower plug-in.
#if defined(__x86_64__) && defined(__GNUC__)
TEST(EnginePassChoice, A64BitBuildRunsTheWidestCodeTheProcessorHas) {
    __builtin_cpu_init();
    const bool avx = __builtin_cpu_supports("avx") != 0;
    EXPECT_EQ(VocoderEngine::allowWidePass(true), avx);
    EXPECT_EQ(VocoderEngine::allowEvexEncoding(true), avx && __builtin_cpu_supports("avx512f") != 0);
}
#endif

INSTANTIATE_TEST_SUITE_P(Passes, EngineAgainstReference,
                         ::testing::Values(PassCode::kTwoEntries, PassCode::kFourEntries,
                                           PassCode::kFourEntriesEvex),
                         [](const ::testing::TestParamInfo<PassCode>& info) {
                             switch (info.param) {
                                 case PassCode::kTwoEntries: return "TwoEntries";
                                 case PassCode::kFourEntries: return "FourEntries";
                                 default: return "FourEntriesEvex";
                             }
                         });

}  // namespace
