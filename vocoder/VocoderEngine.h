#pragma once
// The vocoder's signal chain: the modulator is pre-emphasised and analysed by an adaptive
// predictor whose coefficients drive an all-pole synthesis filter; the filter is excited by
// the carrier (or by the carrier's own prediction error when whitening is on), scaled by the
// modulator's envelope and mixed with the dry and error signals.
//
// Every setter is a single store of a scalar (or a predictor setter), so the user-interface
// thread may call them while the audio thread runs process.

#include <cstdint>

#include "vocoder/AdaptivePredictor.h"
#include "vocoder/EnvelopeFollower.h"
#include "vocoder/StepNormalisation.h"
#include "vocoder/SynthesisFilter.h"

class VocoderEngine {
public:
    static constexpr int kOutputCount = 8;

    VocoderEngine();

    // Gains in decibels; each becomes the linear gain 10^(0.05 dB).
    void setVocodedGain(double dB);
    void setErrorGain(double dB);
    void setModulatorGain(double dB);
    void setCarrierGain(double dB);
    void setWhitenedCarrierGain(double dB);
    void setMasterGain(double dB);
    // Stored only if 0 <= p <= 1.
    void setPreEmphasis(double p);
    void setModulatorOrder(int32_t n);
    void setModulatorLearningRate(double v);
    void setModulatorForgettingRate(double v);
    void setModulatorSmoothing(double v);
    void setAttack(double ms);
    void setRelease(double ms);
    // Stored only if 0 <= a <= 1.
    void setEnvelopeAmount(double a);
    void setWhitening(bool on);
    void setCarrierOrder(int32_t n);
    void setCarrierLearningRate(double v);
    void setCarrierForgettingRate(double v);
    void setCarrierSmoothing(double v);
    void setSynthesisAmount(double a);
    // Stores a rate above 0 only, then hands the stored rate to the follower.
    void setSampleRate(double rate);

    // Clears both predictors, the synthesis filter, the envelope and the previous modulator
    // sample; settings stay.
    void reset();

    // Runs frames samples of the chain (nothing for 0 or fewer). outputs holds the eight output
    // buffers; buffers 2 to 7 may be null, and a pair is written only when both of its buffers
    // are present. Each sample's inputs are read before its outputs are written, so an output
    // buffer may be an input buffer (in-place processing). The settings are read once per
    // block: a change from another thread takes effect at the next block.
    void process(const float* carrier, const float* modulator, float* const* outputs,
                 int32_t frames);

    // Whether processing may use the four-entry (AVX) pass where the processor has it; on by
    // default. The results are the same bits either way; tests and benchmarks compare the two.
    // Answers whether the wide pass will run. Affects every engine in the process.
    static bool allowWidePass(bool allowed);
    // Whether the four-entry pass may run its AVX-512 compilation where the processor has it;
    // on by default. The same bits again. Answers whether that compilation will run (when the
    // four-entry pass does).
    static bool allowEvexEncoding(bool allowed);

    // Clears each part whose state is no longer finite (after a NaN or infinite input, or a
    // synthesis filter driven unstable); finite state is left untouched. Answers true when
    // anything was cleared.
    bool clearNonFiniteState();

    const EnvelopeFollower& follower() const { return envelopeFollower; }
    const AdaptivePredictor& modulatorPredictor() const { return modulatorAnalysis; }
    const AdaptivePredictor& carrierPredictor() const { return carrierWhitening; }
    const SynthesisFilter& synthesisFilter() const { return synthesis; }
    double sampleRate() const { return rate; }
    double vocodedGain() const { return vocodedLevel; }
    double errorGain() const { return errorLevel; }
    double modulatorGain() const { return modulatorLevel; }
    double carrierGain() const { return carrierLevel; }
    double whitenedCarrierGain() const { return whitenedLevel; }
    double masterGain() const { return masterLevel; }
    double preEmphasis() const { return emphasis; }
    double previousModulator() const { return modulatorBefore; }
    bool whitening() const { return whiten; }
    double envelopeAmount() const { return envelopeShare; }

private:
    // The block loop, with the two-entry or (Wide) the four-entry pass; it reads the settings
    // and hands the samples to one of the two below.
    template <bool Wide>
    void processBlock(const float* carrier, const float* modulator, float* const* outputs,
                      int32_t frames);
    struct BlockSettings;
    struct OutputBuffers;
    // Whitening off: sample by sample, each energy summed in the pass two samples ahead.
    template <bool Wide>
    void processPlain(const BlockSettings& settings, const float* carrier, const float* modulator,
                      const OutputBuffers& out, int32_t frames);
    // Whitening on: runs of samples whose energies are summed before their passes.
    template <bool Wide>
    void processWhitened(const BlockSettings& settings, const float* carrier,
                         const float* modulator, const OutputBuffers& out, int32_t frames);
    struct WidePath;

    EnvelopeFollower envelopeFollower;
    AdaptivePredictor modulatorAnalysis;
    AdaptivePredictor carrierWhitening;
    SynthesisFilter synthesis;
    // Scratch of the block loop: each predictor's step normalisations for a run of samples.
    StepNormalisation modulatorSteps;
    StepNormalisation carrierSteps;
    double rate;
    double vocodedLevel;
    double errorLevel;
    double modulatorLevel;
    double carrierLevel;
    double whitenedLevel;
    double masterLevel;
    double emphasis;
    double modulatorBefore;
    bool whiten;
    double envelopeShare;
};
