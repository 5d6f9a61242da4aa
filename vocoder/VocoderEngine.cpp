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

// A predictor's prediction over its current history and coefficients, from index 0 upward;
// with energy, the energy of history beside it.
double predictionOf(AdaptivePredictor& predictor, int32_t n, double* energy = nullptr) {
    const double* history = predictor.historyRing().window();
    const double* w = predictor.coefficients();
    double prediction = 0.0;
    double sum = 0.0;
    for (int32_t i = 0; i < n; ++i) {
        prediction += history[i] * w[i];
        sum += history[i] * history[i];
    }
    if (energy) *energy = sum;
    return prediction;
}

double energyOf(const double* history, int32_t n) {
    double energy = 0.0;
    for (int32_t i = 0; i < n; ++i) energy += history[i] * history[i];
    return energy;
}

// A predictor's rates, read once per block like every other setting.
struct PredictorRates {
    double mu, rho, leak;
    explicit PredictorRates(const AdaptivePredictor& predictor)
        : mu(predictor.learningRate()), rho(predictor.smoothing()), leak(predictor.leakFactor()) {}
};

// Pushes the input and sets up the lane of this sample's step.
PredictorLane laneFor(AdaptivePredictor& predictor, const PredictorRates& rates, double prediction,
                      double g, double input) {
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
    lane.energyToNormalise = 0.0;
    lane.normalisedStep = 0.0;
    return lane;
}

// One sample's pass, with the four-entry code (Wide) or the two-entry code, and with or without
// the product by the synthesis amount (unit: it is exactly 1).
template <bool Wide>
double modulatorPass(bool unit, PredictorLane& lane, int32_t n, const double* state,
                     double previousOutput, double a, double excitation, double energyNewest,
                     const double* energyHistory, double& energy) {
#if OSTRAQUELLE_WIDE_CODE
    if constexpr (Wide) {
        return unit ? runModulatorPassWide<true>(lane, n, state, previousOutput, a, excitation,
                                                 energyNewest, energyHistory, energy)
                    : runModulatorPassWide<false>(lane, n, state, previousOutput, a, excitation,
                                                  energyNewest, energyHistory, energy);
    }
#endif
    return unit ? runModulatorPass<true>(lane, n, state, previousOutput, a, excitation,
                                         energyNewest, energyHistory, energy)
                : runModulatorPass<false>(lane, n, state, previousOutput, a, excitation,
                                          energyNewest, energyHistory, energy);
}

template <bool Wide>
double whitenedPass(bool unit, PredictorLane& modulator, int32_t n, const double* state,
                    double previousOutput, double a, double excitation, PredictorLane& carrier,
                    int32_t nc) {
#if OSTRAQUELLE_WIDE_CODE
    if constexpr (Wide) {
        return unit ? runWhitenedPassWide<true>(modulator, n, state, previousOutput, a, excitation,
                                                carrier, nc)
                    : runWhitenedPassWide<false>(modulator, n, state, previousOutput, a, excitation,
                                                 carrier, nc);
    }
#endif
    return unit ? runWhitenedPass<true>(modulator, n, state, previousOutput, a, excitation, carrier,
                                        nc)
                : runWhitenedPass<false>(modulator, n, state, previousOutput, a, excitation,
                                         carrier, nc);
}

// Whether the four-entry pass may run: the processor (and the system) must support AVX.
bool wideAvailable() {
#if OSTRAQUELLE_WIDE_CODE
    static const bool available = [] {
        __builtin_cpu_init();  // harmless if the library's constructors have run it already
        return __builtin_cpu_supports("avx") != 0;
    }();
    return available;
#else
    return false;
#endif
}

// And its AVX-512 compilation (the check includes the system's saving those registers).
bool evexAvailable() {
#if OSTRAQUELLE_WIDE_CODE
    static const bool available = wideAvailable() && __builtin_cpu_supports("avx512f") != 0;
    return available;
#else
    return false;
#endif
}

bool wideAllowed = true;
bool evexAllowed = true;

// An output pair is written only when both of its buffers are present.
float* pairStart(float* const* outputs, int first) {
    return outputs[first] && outputs[first + 1] ? outputs[first] : nullptr;
}

}  // namespace

bool VocoderEngine::allowWidePass(bool allowed) {
    wideAllowed = allowed;
    return allowed && wideAvailable();
}

bool VocoderEngine::allowEvexEncoding(bool allowed) {
    evexAllowed = allowed;
    return allowed && evexAvailable();
}

// The block loop compiled for AVX, with everything it calls inlined into it (a call per sample
// into an AVX function would cost more than it saves). Where the processor has AVX-512 the
// same loop is compiled once more for it: the same instructions in their EVEX encoding, with
// 32 vector registers instead of 16, so fewer values wait in memory (no fused multiply-add:
// contraction is off for the whole build). Vectors stay at most 256 bits wide: some processors
// slow their clock for 512-bit arithmetic.
struct VocoderEngine::WidePath {
#if OSTRAQUELLE_WIDE_CODE
#ifdef __clang__
#define OSTRAQUELLE_EVEX_TARGET "avx512f"  // clang has no vector-width preference in a target
#else
#define OSTRAQUELLE_EVEX_TARGET "avx512f,prefer-vector-width=256"
#endif
    __attribute__((target("avx"), flatten)) static void run(VocoderEngine& engine,
                                                            const float* carrier,
                                                            const float* modulator,
                                                            float* const* outputs, int32_t frames) {
        engine.processBlock<true>(carrier, modulator, outputs, frames);
    }
    __attribute__((target(OSTRAQUELLE_EVEX_TARGET), flatten)) static void runEvex(
        VocoderEngine& engine, const float* carrier, const float* modulator, float* const* outputs,
        int32_t frames) {
        engine.processBlock<true>(carrier, modulator, outputs, frames);
    }
#endif
};

void VocoderEngine::process(const float* carrier, const float* modulator, float* const* outputs,
                            int32_t frames) {
    if (frames <= 0 || !carrier || !modulator || !outputs) return;
#if OSTRAQUELLE_WIDE_CODE
    if (wideAllowed && wideAvailable()) {
        if (evexAllowed && evexAvailable())
            WidePath::runEvex(*this, carrier, modulator, outputs, frames);
        else
            WidePath::run(*this, carrier, modulator, outputs, frames);
        return;
    }
#endif
    processBlock<false>(carrier, modulator, outputs, frames);
}

// The settings as one block reads them: each is a single store on the setting thread.
struct VocoderEngine::BlockSettings {
    int32_t n, nc;
    double p, envAmount, a;
    bool unitAmount;  // the default amount: the synthesis terms need no product by it
    PredictorRates modulatorRates, carrierRates;
    double vocoded, whitened, error, dry, carried, master;

    explicit BlockSettings(const VocoderEngine& engine)
        : n(engine.modulatorAnalysis.order()),
          nc(engine.carrierWhitening.order()),
          p(engine.emphasis),
          envAmount(engine.envelopeShare),
          a(engine.synthesis.amount()),
          unitAmount(a == 1.0),
          modulatorRates(engine.modulatorAnalysis),
          carrierRates(engine.carrierWhitening),
          vocoded(engine.vocodedLevel),
          whitened(engine.whitenedLevel),
          error(engine.errorLevel),
          dry(engine.modulatorLevel),
          carried(engine.carrierLevel),
          master(engine.masterLevel) {}

    // The mix of one sample from its synthesis output y, envelope, modulator error e, whitened
    // term, modulator and carrier.
    double mix(double y, double env, double e, double whitenedTerm, double m, double c) const {
        y = y * (10.0 * env * envAmount + (1.0 - envAmount));
        return ((((y * vocoded + whitenedTerm) + e * error) + m * dry) + c * carried) * master;
    }
};

// The host's output buffers; a pair is written only when both of its buffers are present.
struct VocoderEngine::OutputBuffers {
    float *mix0, *mix1, *error0, *error1, *carrier0, *carrier1, *modulator0, *modulator1;

    explicit OutputBuffers(float* const* outputs)
        : mix0(outputs[0]),
          mix1(outputs[1]),
          error0(pairStart(outputs, 2)),
          error1(error0 ? outputs[3] : nullptr),
          carrier0(pairStart(outputs, 4)),
          carrier1(carrier0 ? outputs[5] : nullptr),
          modulator0(pairStart(outputs, 6)),
          modulator1(modulator0 ? outputs[7] : nullptr) {}

    void write(int32_t k, double mix, double e, float carrierIn, float modulatorIn) const {
        const float mixOut = static_cast<float>(mix);
        if (mix0) mix0[k] = mixOut;
        if (mix1) mix1[k] = mixOut;
        if (error0) {
            const float errorOut = static_cast<float>(e);
            error0[k] = errorOut;
            error1[k] = errorOut;
        }
        if (carrier0) {
            carrier0[k] = carrierIn;
            carrier1[k] = carrierIn;
        }
        if (modulator0) {
            modulator0[k] = modulatorIn;
            modulator1[k] = modulatorIn;
        }
    }
};

template <bool Wide>
void VocoderEngine::processBlock(const float* carrier, const float* modulator,
                                 float* const* outputs, int32_t frames) {
    const BlockSettings settings(*this);
    const OutputBuffers out(outputs);
    synthesis.prepareCount(settings.n);
    synthesis.noteWritten(settings.n);
    modulatorAnalysis.noteWritten(settings.n + 1);
    if (whiten) {
        carrierWhitening.noteWritten(settings.nc + 1);
        processWhitened<Wide>(settings, carrier, modulator, out, frames);
    } else {
        processPlain<Wide>(settings, carrier, modulator, out, frames);
    }
}

template <bool Wide>
void VocoderEngine::processPlain(const BlockSettings& settings, const float* carrier,
                                 const float* modulator, const OutputBuffers& out, int32_t frames) {
    const int32_t n = settings.n;
    const double p = settings.p;
    HistoryRing& ring = modulatorAnalysis.historyRing();
    double mPrev = modulatorBefore;
    double lastOutput = synthesis.window()[0];
    // The pre-emphasised modulator of the coming sample; each is computed once.
    double emphasised = static_cast<double>(modulator[0]) - p * mPrev;
    // The step of each sample is normalised by its history's energy, which the pass sums two
    // samples ahead (with the next input written ahead into the history); the first two come
    // from here.
    double energy;
    double prediction = predictionOf(modulatorAnalysis, n, &energy);
    double g = stepnormalisation::normalised(energy);
    ring.writeAhead(emphasised);
    double energyNext = energyOf(ring.aheadWindow(), n);

    for (int32_t k = 0; k < frames; ++k) {
        // Read this sample's and the next sample's inputs before any output of this sample is
        // written: the host may process in place.
        const float carrierIn = carrier[k];
        const float modulatorIn = modulator[k];
        const double next = k + 1 < frames ? static_cast<double>(modulator[k + 1]) : 0.0;
        const double c = carrierIn;
        const double m = modulatorIn;
        const double emphasisedNext = next - p * m;

        const double env = envelopeFollower.process(m);
        PredictorLane lane =
            laneFor(modulatorAnalysis, settings.modulatorRates, prediction, g, emphasised);
        ring.writeAhead(emphasisedNext);
        lane.energyToNormalise = energyNext;
        double energyAhead;
        const double y =
            modulatorPass<Wide>(settings.unitAmount, lane, n, synthesis.window(), lastOutput,
                                settings.a, c, emphasisedNext, ring.aheadWindow(), energyAhead);
        synthesis.push(y);
        lastOutput = y;
        prediction = lane.prediction;
        g = lane.normalisedStep;
        energyNext = energyAhead;

        // With whitening off the whitened term is zero whatever its gain: an overflowing gain
        // (a host value far above 1) must not turn 0 * inf into a NaN mix.
        out.write(k, settings.mix(y, env, lane.e, 0.0, m, c), lane.e, carrierIn, modulatorIn);
        mPrev = m;
        emphasised = emphasisedNext;
    }
    modulatorBefore = mPrev;
}

template <bool Wide>
void VocoderEngine::processWhitened(const BlockSettings& settings, const float* carrier,
                                    const float* modulator, const OutputBuffers& out,
                                    int32_t frames) {
    const int32_t n = settings.n, nc = settings.nc;
    double mPrev = modulatorBefore;
    double lastOutput = synthesis.window()[0];
    double modulatorPrediction = predictionOf(modulatorAnalysis, n);
    double carrierPrediction = predictionOf(carrierWhitening, nc);

    for (int32_t first = 0; first < frames; first += StepNormalisation::kRun) {
        const int32_t count =
            frames - first < StepNormalisation::kRun ? frames - first : StepNormalisation::kRun;
        // Both predictors' inputs for the run (the pre-emphasised modulator, the carrier) and
        // from them every step's normalisation, before the run's passes. Reading the run's
        // inputs here, before any of its outputs is written, is safe for in-place processing.
        double emphasised[StepNormalisation::kRun];
        double carried[StepNormalisation::kRun];
        for (int32_t j = 0; j < count; ++j) {
            const double m = modulator[first + j];
            emphasised[j] = m - settings.p * mPrev;
            mPrev = m;
            carried[j] = carrier[first + j];
        }
        modulatorSteps.layOut(modulatorAnalysis.historyRing().window(), n, emphasised, count);
        modulatorSteps.compute<Wide>();
        carrierSteps.layOut(carrierWhitening.historyRing().window(), nc, carried, count);
        carrierSteps.compute<Wide>();

        for (int32_t j = 0; j < count; ++j) {
            const int32_t k = first + j;
            const float carrierIn = carrier[k];
            const float modulatorIn = modulator[k];
            const double env = envelopeFollower.process(modulatorIn);
            PredictorLane modulatorLane =
                laneFor(modulatorAnalysis, settings.modulatorRates, modulatorPrediction,
                        modulatorSteps.at(j), emphasised[j]);
            PredictorLane carrierLane = laneFor(carrierWhitening, settings.carrierRates,
                                                carrierPrediction, carrierSteps.at(j), carried[j]);
            const double w = carrierLane.e;
            const double y =
                whitenedPass<Wide>(settings.unitAmount, modulatorLane, n, synthesis.window(),
                                   lastOutput, settings.a, w, carrierLane, nc);
            synthesis.push(y);
            lastOutput = y;
            modulatorPrediction = modulatorLane.prediction;
            carrierPrediction = carrierLane.prediction;
            out.write(k,
                      settings.mix(y, env, modulatorLane.e, w * settings.whitened, modulatorIn,
                                   carried[j]),
                      modulatorLane.e, carrierIn, modulatorIn);
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
