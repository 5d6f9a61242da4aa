#include "vocoder/VocoderEngine.h"

#include <cmath>
#include <cstring>

#include "vocoder/FiniteCheck.h"
#include "vocoder/FusedPass.h"
#include "vocoder/FusedPassWide.h"
#include "vocoder/PortableMath.h"

// The gains and the pre-emphasis start at the values the effect's defaults give them
// (0 dB for the vocoded and master gains, -96 dB for the others, tanh 3), so that an engine
// used on its own behaves like a freshly constructed effect.
VocoderEngine::VocoderEngine()
    : rate(44100.0),
      vocodedLevel(1.0),
      errorLevel(decibelsToGain(-96.0)),
      modulatorLevel(decibelsToGain(-96.0)),
      carrierLevel(decibelsToGain(-96.0)),
      whitenedLevel(decibelsToGain(-96.0)),
      masterLevel(1.0),
      emphasis(portableTanh(3.0)),
      modulatorBefore(0.0),
      whiten(false),
      envelopeShare(1.0) {}

void VocoderEngine::setVocodedGain(double dB) { vocodedLevel = decibelsToGain(dB); }
void VocoderEngine::setErrorGain(double dB) { errorLevel = decibelsToGain(dB); }
void VocoderEngine::setModulatorGain(double dB) { modulatorLevel = decibelsToGain(dB); }
void VocoderEngine::setCarrierGain(double dB) { carrierLevel = decibelsToGain(dB); }
void VocoderEngine::setWhitenedCarrierGain(double dB) { whitenedLevel = decibelsToGain(dB); }
void VocoderEngine::setMasterGain(double dB) { masterLevel = decibelsToGain(dB); }

void VocoderEngine::setPreEmphasis(double p) {
    if (p >= 0.0 && p <= 1.0) emphasis = p;
}

void VocoderEngine::setModulatorOrder(int32_t n) { modulatorAnalysis.setOrder(n); }
void VocoderEngine::setModulatorLearningRate(double v) { modulatorAnalysis.setLearningRate(v); }
void VocoderEngine::setModulatorForgettingRate(double v) { modulatorAnalysis.setForgettingRate(v); }
void VocoderEngine::setModulatorSmoothing(double v) { modulatorAnalysis.setSmoothing(v); }
void VocoderEngine::setAttack(double ms) { envelopeFollower.setAttack(ms); }
void VocoderEngine::setRelease(double ms) { envelopeFollower.setRelease(ms); }

void VocoderEngine::setEnvelopeAmount(double a) {
    if (a >= 0.0 && a <= 1.0) envelopeShare = a;
}

void VocoderEngine::setWhitening(bool on) { whiten = on; }
void VocoderEngine::setCarrierOrder(int32_t n) { carrierWhitening.setOrder(n); }
void VocoderEngine::setCarrierLearningRate(double v) { carrierWhitening.setLearningRate(v); }
void VocoderEngine::setCarrierForgettingRate(double v) { carrierWhitening.setForgettingRate(v); }
void VocoderEngine::setCarrierSmoothing(double v) { carrierWhitening.setSmoothing(v); }
void VocoderEngine::setSynthesisAmount(double a) { synthesis.setAmount(a); }

void VocoderEngine::setSampleRate(double newRate) {
    if (newRate > 0.0) rate = newRate;
    envelopeFollower.setSampleRate(rate);
}

void VocoderEngine::reset() {
    modulatorAnalysis.clear();
    carrierWhitening.clear();
    synthesis.clear();
    envelopeFollower.clear();
    modulatorBefore = 0.0;
}

namespace {

// A predictor's prediction over its current history and coefficients, from index 0 upward.
double predictionOf(AdaptivePredictor& predictor, int32_t n) {
    const double* history = predictor.historyRing().window();
    const double* w = predictor.coefficients();
    double prediction = 0.0;
    for (int32_t i = 0; i < n; ++i) prediction += history[i] * w[i];
    return prediction;
}

// A predictor's rates, read once per block like every other setting.
struct PredictorRates {
    double mu, rho, leak;
    explicit PredictorRates(const AdaptivePredictor& predictor)
        : mu(predictor.learningRate()), rho(predictor.smoothing()), leak(predictor.leakFactor()) {}
};

// Pushes the input and sets up the lane of this sample's step.
PredictorLane laneFor(AdaptivePredictor& predictor, const PredictorRates& rates,
                      double prediction, double g, double input) {
    HistoryRing& ring = predictor.historyRing();
    ring.push(input);
    PredictorLane lane;
    lane.w = predictor.coefficientsForUpdate();
    lane.v = predictor.updateMemoryForUpdate();
    lane.newer = ring.window();
    lane.older = lane.newer + 1;
    lane.newest = input;
    lane.mu = rates.mu;
    lane.g = g;
    lane.e = input - prediction;
    lane.rho = rates.rho;
    lane.leak = rates.leak;
    lane.prediction = 0.0;
    return lane;
}

// One sample's pass, with the four-entry code (Wide) or the two-entry code, and with or without
// the product by the synthesis amount (unit: it is exactly 1).
template <bool Wide>
double modulatorPass(bool unit, PredictorLane& lane, int32_t n, const double* state,
                     double previousOutput, double a, double excitation,
                     const double* energyHistory, double& energy) {
#if OSTRAQUELLE_WIDE_PASS
    if constexpr (Wide) {
        return unit ? runModulatorPassWide<true>(lane, n, state, previousOutput, a, excitation,
                                                 energyHistory, energy)
                    : runModulatorPassWide<false>(lane, n, state, previousOutput, a, excitation,
                                                  energyHistory, energy);
    }
#endif
    return unit ? runModulatorPass<true>(lane, n, state, previousOutput, a, excitation,
                                         energyHistory, energy)
                : runModulatorPass<false>(lane, n, state, previousOutput, a, excitation,
                                          energyHistory, energy);
}

template <bool Wide>
double whitenedPass(bool unit, PredictorLane& modulator, int32_t n, const double* state,
                    double previousOutput, double a, double excitation, PredictorLane& carrier,
                    int32_t nc) {
#if OSTRAQUELLE_WIDE_PASS
    if constexpr (Wide) {
        return unit ? runWhitenedPassWide<true>(modulator, n, state, previousOutput, a,
                                                excitation, carrier, nc)
                    : runWhitenedPassWide<false>(modulator, n, state, previousOutput, a,
                                                 excitation, carrier, nc);
    }
#endif
    return unit ? runWhitenedPass<true>(modulator, n, state, previousOutput, a, excitation,
                                        carrier, nc)
                : runWhitenedPass<false>(modulator, n, state, previousOutput, a, excitation,
                                         carrier, nc);
}

// Whether the four-entry pass may run: the processor (and the system) must support AVX.
bool wideAvailable() {
#if OSTRAQUELLE_WIDE_PASS
    static const bool available = [] {
        __builtin_cpu_init();  // harmless if the library's constructors have run it already
        return __builtin_cpu_supports("avx") != 0;
    }();
    return available;
#else
    return false;
#endif
}

bool wideAllowed = true;

// An output pair is written only when both of its buffers are present.
float* pairStart(float* const* outputs, int first) {
    return outputs[first] && outputs[first + 1] ? outputs[first] : nullptr;
}

}  // namespace

bool VocoderEngine::allowWidePass(bool allowed) {
    wideAllowed = allowed;
    return allowed && wideAvailable();
}

// The block loop compiled for AVX, with everything it calls inlined into it (a call per sample
// into an AVX function would cost more than it saves).
struct VocoderEngine::WidePath {
#if OSTRAQUELLE_WIDE_PASS
    __attribute__((target("avx"), flatten)) static void run(VocoderEngine& engine,
                                                            const float* carrier,
                                                            const float* modulator,
                                                            float* const* outputs, int32_t frames) {
        engine.processBlock<true>(carrier, modulator, outputs, frames);
    }
#endif
};

void VocoderEngine::process(const float* carrier, const float* modulator, float* const* outputs,
                            int32_t frames) {
    if (frames <= 0 || !carrier || !modulator || !outputs) return;
#if OSTRAQUELLE_WIDE_PASS
    if (wideAllowed && wideAvailable()) {
        WidePath::run(*this, carrier, modulator, outputs, frames);
        return;
    }
#endif
    processBlock<false>(carrier, modulator, outputs, frames);
}

template <bool Wide>
void VocoderEngine::processBlock(const float* carrier, const float* modulator,
                                 float* const* outputs, int32_t frames) {
    // Settings once per block: each is a single store on the setting thread.
    const int32_t n = modulatorAnalysis.order();
    const int32_t nc = carrierWhitening.order();
    const bool whitenOn = whiten;
    const double p = emphasis;
    const double envAmount = envelopeShare;
    const double a = synthesis.amount();
    // The default amount: the synthesis terms need no product by it.
    const bool unitAmount = a == 1.0;
    const PredictorRates modulatorRates(modulatorAnalysis), carrierRates(carrierWhitening);
    const double vocoded = vocodedLevel, whitened = whitenedLevel, error = errorLevel;
    const double dry = modulatorLevel, carried = carrierLevel, master = masterLevel;

    float* const mix0 = outputs[0];
    float* const mix1 = outputs[1];
    float* const error0 = pairStart(outputs, 2);
    float* const error1 = error0 ? outputs[3] : nullptr;
    float* const carrier0 = pairStart(outputs, 4);
    float* const carrier1 = carrier0 ? outputs[5] : nullptr;
    float* const modulator0 = pairStart(outputs, 6);
    float* const modulator1 = modulator0 ? outputs[7] : nullptr;

    synthesis.prepareCount(n);
    synthesis.noteWritten(n);
    modulatorAnalysis.noteWritten(n + 1);
    if (whitenOn) carrierWhitening.noteWritten(nc + 1);

    double mPrev = modulatorBefore;
    double lastOutput = synthesis.window()[0];
    double modulatorPrediction = predictionOf(modulatorAnalysis, n);
    double carrierPrediction = whitenOn ? predictionOf(carrierWhitening, nc) : 0.0;

    for (int32_t first = 0; first < frames; first += RunSignals::kLength) {
        const int32_t count =
            frames - first < RunSignals::kLength ? frames - first : RunSignals::kLength;
        RunSignals& run = runSignals;
        // The run's inputs are copied before any of its outputs is written: the host may
        // process in place.
        std::memcpy(run.carrierIn, carrier + first, sizeof(float) * static_cast<size_t>(count));
        std::memcpy(run.modulatorIn, modulator + first, sizeof(float) * static_cast<size_t>(count));
        for (int32_t j = 0; j < count; ++j) {
            run.carrier[j] = run.carrierIn[j];
            run.modulator[j] = run.modulatorIn[j];
        }
        // The predictors' inputs (the pre-emphasised modulator, the carrier) and, from them,
        // every step's normalisation.
        for (int32_t j = 0; j < count; ++j) {
            run.emphasised[j] = run.modulator[j] - p * mPrev;
            mPrev = run.modulator[j];
        }
        modulatorSteps.layOut(modulatorAnalysis.historyRing().window(), n, run.emphasised, count);
        if (!whitenOn) {
            // The pass sums each energy two samples ahead beside the prediction.
            modulatorSteps.computeFirst(count < 2 ? count : 2);
            for (int32_t j = 0; j < count; ++j) {
                run.envelope[j] = envelopeFollower.process(run.modulator[j]);
                PredictorLane lane = laneFor(modulatorAnalysis, modulatorRates,
                                             modulatorPrediction, modulatorSteps.at(j),
                                             run.emphasised[j]);
                run.error[j] = lane.e;
                // With whitening off the whitened term is zero whatever its gain: an
                // overflowing gain (a host value far above 1) must not turn 0 * inf into a NaN.
                run.whitenedTerm[j] = 0.0;
                double energy;
                const double y = modulatorPass<Wide>(unitAmount, lane, n, synthesis.window(),
                                                     lastOutput, a, run.carrier[j],
                                                     modulatorSteps.energyHistory(j + 2), energy);
                modulatorSteps.set(j + 2, energy);
                synthesis.push(y);
                lastOutput = y;
                run.synthesis[j] = y;
                modulatorPrediction = lane.prediction;
            }
        } else {
            modulatorSteps.computeAll<Wide>();
            carrierSteps.layOut(carrierWhitening.historyRing().window(), nc, run.carrier, count);
            carrierSteps.computeAll<Wide>();
            for (int32_t j = 0; j < count; ++j) {
                run.envelope[j] = envelopeFollower.process(run.modulator[j]);
                PredictorLane modulatorLane = laneFor(modulatorAnalysis, modulatorRates,
                                                      modulatorPrediction, modulatorSteps.at(j),
                                                      run.emphasised[j]);
                PredictorLane carrierLane = laneFor(carrierWhitening, carrierRates,
                                                    carrierPrediction, carrierSteps.at(j),
                                                    run.carrier[j]);
                run.error[j] = modulatorLane.e;
                run.whitenedTerm[j] = carrierLane.e * whitened;
                const double y =
                    whitenedPass<Wide>(unitAmount, modulatorLane, n, synthesis.window(),
                                       lastOutput, a, carrierLane.e, carrierLane, nc);
                synthesis.push(y);
                lastOutput = y;
                run.synthesis[j] = y;
                modulatorPrediction = modulatorLane.prediction;
                carrierPrediction = carrierLane.prediction;
            }
        }

        // The mix and the outputs, sample by sample but independent of each other.
        for (int32_t j = 0; j < count; ++j) {
            const double y =
                run.synthesis[j] * (10.0 * run.envelope[j] * envAmount + (1.0 - envAmount));
            const double s = ((((y * vocoded + run.whitenedTerm[j]) + run.error[j] * error) +
                               run.modulator[j] * dry) +
                              run.carrier[j] * carried) *
                             master;
            run.mix[j] = static_cast<float>(s);
            run.errorOut[j] = static_cast<float>(run.error[j]);
        }
        const size_t bytes = sizeof(float) * static_cast<size_t>(count);
        if (mix0) std::memcpy(mix0 + first, run.mix, bytes);
        if (mix1) std::memcpy(mix1 + first, run.mix, bytes);
        if (error0) {
            std::memcpy(error0 + first, run.errorOut, bytes);
            std::memcpy(error1 + first, run.errorOut, bytes);
        }
        if (carrier0) {
            std::memcpy(carrier0 + first, run.carrierIn, bytes);
            std::memcpy(carrier1 + first, run.carrierIn, bytes);
        }
        if (modulator0) {
            std::memcpy(modulator0 + first, run.modulatorIn, bytes);
            std::memcpy(modulator1 + first, run.modulatorIn, bytes);
        }
    }
    modulatorBefore = mPrev;
}

bool VocoderEngine::clearNonFiniteState() {
    bool cleared = false;
    if (!envelopeFollower.isFinite()) {
        envelopeFollower.clear();
        cleared = true;
    }
    if (!modulatorAnalysis.recentStateIsFinite()) {
        modulatorAnalysis.clear();
        cleared = true;
    }
    if (!carrierWhitening.recentStateIsFinite()) {
        carrierWhitening.clear();
        cleared = true;
    }
    if (!synthesis.recentStateIsFinite()) {
        synthesis.clear();
        cleared = true;
    }
    // A non-finite modulator sample would otherwise reach the predictor again through the
    // pre-emphasis of the next block's first sample.
    if (!isFiniteValue(modulatorBefore)) {
        modulatorBefore = 0.0;
        cleared = true;
    }
    return cleared;
}
