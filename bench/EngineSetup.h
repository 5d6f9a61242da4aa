#pragma once
// The engine as the benchmarks run it: set up with the plug-in's default settings in physical
// units, and driven block by block with the effect's per-block work (flush-to-zero guard and
// the clearing of non-finite state), so that the figures are those of the plug-in's
// processing without its host interface.

#include <cstdint>

#include "vocoder/DenormalGuard.h"
#include "vocoder/VocoderEngine.h"

inline void applyDefaultSettings(VocoderEngine& engine) {
    engine.setSampleRate(44100.0);
    engine.setVocodedGain(0.0);
    engine.setErrorGain(-96.0);
    engine.setModulatorGain(-96.0);
    engine.setCarrierGain(-96.0);
    engine.setWhitenedCarrierGain(-96.0);
    engine.setMasterGain(0.0);
    engine.setPreEmphasis(0.9950547536867305);  // tanh(3)
    engine.setModulatorOrder(51);
    engine.setModulatorLearningRate(0.05);
    engine.setModulatorForgettingRate(0.00001);
    engine.setModulatorSmoothing(0.35);
    engine.setAttack(2.0);
    engine.setRelease(50.0);
    engine.setEnvelopeAmount(1.0);
    engine.setWhitening(false);
    engine.setCarrierOrder(51);
    engine.setCarrierLearningRate(0.004);
    engine.setCarrierForgettingRate(0.00004);
    engine.setCarrierSmoothing(0.35);
    engine.setSynthesisAmount(1.0);
}

inline void processBlock(VocoderEngine& engine, const float* carrier, const float* modulator,
                         float* const* outputs, int32_t frames) {
    DenormalGuard flushDenormals;
    engine.process(carrier, modulator, outputs, frames);
    engine.clearNonFiniteState();
}
