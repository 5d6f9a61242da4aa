#include "vocoder/VocoderEngine.h"

#include "vocoder/FiniteCheck.h"
#include "vocoder/PortableMath.h"

// The gains and the pre-emphasis start at the values the effect's defaults give them
// (0 dB for the vocoded and master gains, -96 dB for the others, tanh 3), so that an engine
// used on its own behaves like a freshly constructed effect.
VocoderEngine::VocoderEngine()
    : rate(44100.0), vocodedLevel(1.0), errorLevel(decibelsToGain(-96.0)),
      modulatorLevel(decibelsToGain(-96.0)), carrierLevel(decibelsToGain(-96.0)),
      whitenedLevel(decibelsToGain(-96.0)), masterLevel(1.0), emphasis(portableTanh(3.0)),
      modulatorBefore(0.0), whiten(false), envelopeShare(1.0) {}

VocoderEngine::~VocoderEngine() = default;

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
void VocoderEngine::setModulatorForgettingRate(double v) {
    modulatorAnalysis.setForgettingRate(v);
}
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

void VocoderEngine::processSample(const float* carrier, const float* modulator,
                                  float* const* outputs) {
    // Read both inputs first: the host may process in place, so an output place can be the
    // input sample itself.
    const float carrierIn = *carrier;
    const float modulatorIn = *modulator;
    const double c = carrierIn;
    const double m = modulatorIn;

    const double env = envelopeFollower.process(m);
    const double e = modulatorAnalysis.process(m - emphasis * modulatorBefore);

    double w = 0.0;
    double u = c;
    if (whiten) {
        w = carrierWhitening.process(c);
        u = w;
    }

    // The synthesis reads the coefficients just adapted; the same pass prepares the modulator
    // predictor's sums for the next sample, which depend on exactly those coefficients and the
    // history just shifted.
    const int32_t order = modulatorAnalysis.order();
    double nextPrediction = 0.0;
    double nextEnergy = 0.0;
    double y = synthesis.processWithPredictorSums(u, modulatorAnalysis.coefficients(),
                                                  modulatorAnalysis.history(), order,
                                                  nextPrediction, nextEnergy);
    modulatorAnalysis.providePredictionSums(nextPrediction, nextEnergy, order);
    const double a = envelopeShare;
    y = y * (10.0 * env * a + (1.0 - a));

    // With whitening off the whitened term is zero whatever its gain: an overflowing gain
    // (a host value far above 1) must not turn 0 * inf into a NaN mix.
    const double whitenedTerm = whiten ? w * whitenedLevel : 0.0;
    const double s = ((((y * vocodedLevel + whitenedTerm) + e * errorLevel) +
                       m * modulatorLevel) + c * carrierLevel) * masterLevel;

    const float mix = static_cast<float>(s);
    if (outputs[0]) *outputs[0] = mix;
    if (outputs[1]) *outputs[1] = mix;
    if (outputs[2] && outputs[3]) {
        const float error = static_cast<float>(e);
        *outputs[2] = error;
        *outputs[3] = error;
    }
    if (outputs[4] && outputs[5]) {
        *outputs[4] = carrierIn;
        *outputs[5] = carrierIn;
    }
    if (outputs[6] && outputs[7]) {
        *outputs[6] = modulatorIn;
        *outputs[7] = modulatorIn;
    }

    modulatorBefore = m;
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
