#include "core/VocoderCore.h"

#include <cstring>
#include <new>

#include "core/VocoderProgram.h"
#include "vocoder/DenormalGuard.h"
#include "vocoder/FiniteCheck.h"

namespace {

// Copies text into a field of size bytes, cutting it so that the terminator fits.
void copyBounded(char* field, const char* text, size_t size) {
    size_t length = 0;
    while (length + 1 < size && text[length] != '\0') ++length;
    std::memcpy(field, text, length);
    field[length] = '\0';
}

}  // namespace

VocoderCore::VocoderCore()
    : predictionOrder(0),
      whiteningOrder(0),
      whitening(0),
      currentProgram(0),
      programs(new (std::nothrow) VocoderProgram[kProgramCount]) {
    for (float& value : currentValues) value = 0.0f;
    for (double& value : displayValues) value = 0.0;
    if (programs) setProgram(0);
    vocoder.setSampleRate(kDefaultSampleRate);
    for (int32_t slot = 0; slot < kParameterSlots; ++slot) {
        const ParameterInfo& info = slotInfo(slot);
        setValue(info.index, info.defaultValue);
    }
}

VocoderCore::~VocoderCore() { delete[] programs; }

bool VocoderCore::setValue(int32_t index, float value) {
    const int32_t slot = parameterSlot(index);
    if (slot < 0) return false;
    currentValues[slot] = value;
    if (programs) programs[currentProgram].values[slot] = value;
    apply(index, value);
    return true;
}

void VocoderCore::apply(int32_t index, float value) {
    const ParameterInfo& info = *findParameter(index);
    const double shown = parameterDisplayValue(info, value);
    displayValues[index] = shown;
    switch (index) {
        case kVocodedVolume: vocoder.setVocodedGain(shown); break;
        case kErrorVolume: vocoder.setErrorGain(shown); break;
        case kModulatorVolume: vocoder.setModulatorGain(shown); break;
        case kCarrierVolume: vocoder.setCarrierGain(shown); break;
        case kWhitenedCarrierVolume: vocoder.setWhitenedCarrierGain(shown); break;
        case kMainVolume: vocoder.setMasterGain(shown); break;
        case kPreEmphasis: vocoder.setPreEmphasis(shown); break;
        case kPredictionOrder:
            predictionOrder = orderFromValue(value);
            vocoder.setModulatorOrder(predictionOrder);
            break;
        case kPredictionLearn: vocoder.setModulatorLearningRate(shown); break;
        case kPredictionForget: vocoder.setModulatorForgettingRate(shown); break;
        case kPredictionSmooth: vocoder.setModulatorSmoothing(shown); break;
        case kEnvelopeAttack: vocoder.setAttack(shown); break;
        case kEnvelopeRelease: vocoder.setRelease(shown); break;
        case kEnvelopeAmount: vocoder.setEnvelopeAmount(shown * 0.01); break;
        case kWhiten:
            whitening = shown != 0.0 ? 1 : 0;
            vocoder.setWhitening(whitening != 0);
            break;
        case kWhiteningOrder:
            whiteningOrder = orderFromValue(value);
            vocoder.setCarrierOrder(whiteningOrder);
            break;
        case kWhiteningLearn: vocoder.setCarrierLearningRate(shown); break;
        case kWhiteningForget: vocoder.setCarrierForgettingRate(shown); break;
        case kWhiteningSmooth: vocoder.setCarrierSmoothing(shown); break;
        case kFilterAmount: vocoder.setSynthesisAmount(shown * 0.01); break;
        default: break;
    }
}

float VocoderCore::value(int32_t index) const {
    const int32_t slot = parameterSlot(index);
    return slot < 0 ? 0.0f : currentValues[slot];
}

double VocoderCore::displayValue(int32_t index) const {
    switch (index) {
        case kPredictionOrder: return predictionOrder;
        case kWhiteningOrder: return whiteningOrder;
        case kWhiten: return whitening;
        default: return parameterSlot(index) < 0 ? 0.0 : displayValues[index];
    }
}

void VocoderCore::displayText(int32_t index, char* text) const {
    const ParameterInfo* info = findParameter(index);
    if (info && text) formatPanelText(info->text, value(index), text);
}

bool VocoderCore::setProgram(int32_t program) {
    if (!programs || program < 0 || program >= kProgramCount) return false;
    currentProgram = program;
    for (int32_t slot = 0; slot < kParameterSlots; ++slot)
        setValue(slotParameter(slot), programs[program].values[slot]);
    return true;
}

const char* VocoderCore::programName(int32_t program) const {
    if (!programs || program < 0 || program >= kProgramCount) return nullptr;
    return programs[program].name;
}

bool VocoderCore::setProgramName(const char* name) {
    if (!programs || !name) return false;
    copyBounded(programs[currentProgram].name, name, VocoderProgram::kNameSize);
    return true;
}

bool VocoderCore::copyProgram(int32_t destination) {
    if (!programs || destination < 0 || destination >= kProgramCount) return false;
    if (destination == currentProgram) return true;  // a copy onto itself changes nothing
    VocoderProgram& target = programs[destination];
    const VocoderProgram& source = programs[currentProgram];
    std::memcpy(target.values, source.values, sizeof target.values);
    std::memcpy(target.name, source.name, sizeof target.name);
    return true;
}

void VocoderCore::setSampleRate(double rate) { vocoder.setSampleRate(rate); }

void VocoderCore::reset() { vocoder.reset(); }

void VocoderCore::process(const float* const* inputs, float* const* outputs, int32_t frames) {
    if (frames <= 0 || !outputs) return;
    if (!inputs || !inputs[0] || !inputs[1]) {
        // Nothing to vocode: the outputs the host gave must not keep whatever they held.
        for (int32_t i = 0; i < kOutputCount; ++i) {
            if (outputs[i])
                std::memset(outputs[i], 0, sizeof(float) * static_cast<size_t>(frames));
        }
        return;
    }
    DenormalGuard flushDenormals;
    // A NaN or infinity reaching the predictors throws them far off for seconds while staying
    // finite enough to pass the output check below: such a sample is taken as 0 first. Finite
    // input goes to the engine untouched.
    if (allFiniteFloats(inputs[0], frames) && allFiniteFloats(inputs[1], frames)) {
        vocoder.process(inputs[0], inputs[1], outputs, frames);
    } else {
        processCleaned(inputs[0], inputs[1], outputs, frames);
    }
    // An unstable filter must not poison the following blocks.
    vocoder.clearNonFiniteState();
    // Nor may it reach the host: at the extreme settings the predictors can diverge within a
    // block, and a non-finite sample would poison everything after us in the host's chain.
    // Finite samples stay exactly as computed.
    for (int32_t i = 0; i < kOutputCount; ++i) {
        if (outputs[i]) zeroNonFinite(outputs[i], frames);
    }
}

// The engine runs sample by sample, so running the block in pieces gives the same results. The
// pieces are copied before any output of theirs is written, which keeps in-place buffers safe.
void VocoderCore::processCleaned(const float* carrier, const float* modulator,
                                 float* const* outputs, int32_t frames) {
    for (int32_t start = 0; start < frames; start += kCleanFrames) {
        const int32_t count = frames - start < kCleanFrames ? frames - start : kCleanFrames;
        std::memcpy(cleanCarrier, carrier + start, sizeof(float) * static_cast<size_t>(count));
        std::memcpy(cleanModulator, modulator + start,
                    sizeof(float) * static_cast<size_t>(count));
        zeroNonFinite(cleanCarrier, count);
        zeroNonFinite(cleanModulator, count);
        float* pieceOutputs[kOutputCount];
        for (int32_t i = 0; i < kOutputCount; ++i)
            pieceOutputs[i] = outputs[i] ? outputs[i] + start : nullptr;
        vocoder.process(cleanCarrier, cleanModulator, pieceOutputs, count);
    }
}
