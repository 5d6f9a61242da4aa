#include "plugin/VocoderEffect.h"

#include <cstring>
#include <new>

#include "editor/VocoderEditor.h"
#include "host/ModuleState.h"
#include "plugin/VocoderProgram.h"
#include "vocoder/DenormalGuard.h"
#include "vocoder/FiniteCheck.h"

namespace {

const char* const kOutputLabels[VocoderEffect::kOutputCount] = {
    "Mix/Voc", "Mix/Voc", "Error", "Error", "Carrier", "Carrier", "Modulator", "Modulator"};

// Copies text into a field of size bytes, cutting it so that the terminator fits.
void copyBounded(char* field, const char* text, size_t size) {
    size_t length = 0;
    while (length + 1 < size && text[length] != '\0') ++length;
    std::memcpy(field, text, length);
    field[length] = '\0';
}

}  // namespace

VocoderEffect::VocoderEffect(audioMasterCallback hostCallback)
    : EffectExtended(hostCallback, kProgramCount, kParameterCount),
      predictionOrder(0),
      whiteningOrder(0),
      whitening(0),
      programs(nullptr) {
    for (float& value : currentValues) value = 0.0f;
    for (double& value : displayValues) value = 0.0;

    programs = new (std::nothrow) VocoderProgram[kProgramCount];
    if (programs) {
        setProgram(0);
    } else {
        // Parameter changes cannot live without the table: main must discard this effect.
        outOfMemory = 1;
    }
    engine.setSampleRate(sampleRate);
    for (int32_t slot = 0; slot < kParameterSlots; ++slot) {
        const ParameterInfo* info = findParameter(slotParameter(slot));
        setParameter(info->index, info->defaultValue);
    }
    setNumInputs(kInputCount);
    setNumOutputs(kOutputCount);
    setUniqueID(kUniqueId);
    setCanMono(true);
    setCanReplacing(true);
    // The editor registers itself (and effFlagsHasEditor); its window waits for effEditOpen.
    if (!new (std::nothrow) VocoderEditor(this)) outOfMemory = 1;
}

VocoderEffect::~VocoderEffect() {
    delete[] programs;
    // The engine goes with the object; the base class deletes the editor.
}

void VocoderEffect::setParameter(int32_t index, float value) {
    const int32_t slot = parameterSlot(index);
    if (slot >= 0) {
        currentValues[slot] = value;
        if (programs) programs[curProgram].values[slot] = value;
        applyParameter(index, value);
    }
    notifyEditor(index, value);
}

void VocoderEffect::applyParameter(int32_t index, float value) {
    const ParameterInfo& info = *findParameter(index);
    const double shown = parameterDisplayValue(info, value);
    displayValues[index] = shown;
    switch (index) {
        case kVocodedVolume: engine.setVocodedGain(shown); break;
        case kErrorVolume: engine.setErrorGain(shown); break;
        case kModulatorVolume: engine.setModulatorGain(shown); break;
        case kCarrierVolume: engine.setCarrierGain(shown); break;
        case kWhitenedCarrierVolume: engine.setWhitenedCarrierGain(shown); break;
        case kMainVolume: engine.setMasterGain(shown); break;
        case kPreEmphasis: engine.setPreEmphasis(shown); break;
        case kPredictionOrder:
            predictionOrder = orderFromValue(value);
            engine.setModulatorOrder(predictionOrder);
            break;
        case kPredictionLearn: engine.setModulatorLearningRate(shown); break;
        case kPredictionForget: engine.setModulatorForgettingRate(shown); break;
        case kPredictionSmooth: engine.setModulatorSmoothing(shown); break;
        case kEnvelopeAttack: engine.setAttack(shown); break;
        case kEnvelopeRelease: engine.setRelease(shown); break;
        case kEnvelopeAmount: engine.setEnvelopeAmount(shown * 0.01); break;
        case kWhiten:
            whitening = shown != 0.0 ? 1 : 0;
            engine.setWhitening(whitening != 0);
            break;
        case kWhiteningOrder:
            whiteningOrder = orderFromValue(value);
            engine.setCarrierOrder(whiteningOrder);
            break;
        case kWhiteningLearn: engine.setCarrierLearningRate(shown); break;
        case kWhiteningForget: engine.setCarrierForgettingRate(shown); break;
        case kWhiteningSmooth: engine.setCarrierSmoothing(shown); break;
        case kFilterAmount: engine.setSynthesisAmount(shown * 0.01); break;
        default: break;
    }
}

// Also for index 19 and unknown indices: the editor moves whatever control carries the tag.
void VocoderEffect::notifyEditor(int32_t index, float value) {
    if (!editor) return;
    editor->requestUpdate();
    editor->parameterChanged(index, value);
}

float VocoderEffect::getParameter(int32_t index) {
    const int32_t slot = parameterSlot(index);
    return slot < 0 ? 0.0f : currentValues[slot];
}

double VocoderEffect::getDisplayValue(int32_t index) const {
    switch (index) {
        case kPredictionOrder: return predictionOrder;
        case kWhiteningOrder: return whiteningOrder;
        case kWhiten: return whitening;
        default: return parameterSlot(index) < 0 ? 0.0 : displayValues[index];
    }
}

void VocoderEffect::process(float** inputs, float** outputs, int32_t sampleFrames) {
    render(inputs, outputs, sampleFrames);
}

void VocoderEffect::processReplacing(float** inputs, float** outputs, int32_t sampleFrames) {
    render(inputs, outputs, sampleFrames);
}

void VocoderEffect::render(float** inputs, float** outputs, int32_t sampleFrames) {
    if (sampleFrames <= 0 || !outputs) return;
    if (!inputs || !inputs[0] || !inputs[1]) {
        // Nothing to vocode: the outputs the host gave must not keep whatever they held.
        for (int i = 0; i < kOutputCount; ++i) {
            if (outputs[i])
                std::memset(outputs[i], 0, sizeof(float) * static_cast<size_t>(sampleFrames));
        }
        return;
    }
    DenormalGuard flushDenormals;
    engine.process(inputs[0], inputs[1], outputs, sampleFrames);
    // A NaN or infinite input, or an unstable filter, must not poison the following blocks.
    engine.clearNonFiniteState();
    // Nor may it reach the host: at the extreme settings the predictors can diverge within a
    // block, and a non-finite sample would poison everything after us in the host's chain.
    // Finite samples stay exactly as computed.
    for (int i = 0; i < kOutputCount; ++i) {
        if (outputs[i]) zeroNonFinite(outputs[i], sampleFrames);
    }
}

void VocoderEffect::setProgram(int32_t program) {
    // The dispatcher passes only 0 to 7; other callers get the same protection here.
    if (!programs || program < 0 || program >= kProgramCount) return;
    curProgram = program;
    for (int32_t slot = 0; slot < kParameterSlots; ++slot) {
        setParameter(slotParameter(slot), programs[program].values[slot]);
    }
}

void VocoderEffect::setProgramName(char* name) {
    if (!programs || !name) return;
    copyBounded(programs[curProgram].name, name, VocoderProgram::kNameSize);
}

void VocoderEffect::getProgramName(char* name) {
    if (!programs || !name) return;
    std::strcpy(name, programs[curProgram].name);
}

void VocoderEffect::getParameterLabel(int32_t index, char* label) {
    const ParameterInfo* info = findParameter(index);
    if (info && label) std::strcpy(label, info->label);
}

void VocoderEffect::getParameterDisplay(int32_t index, char* text) {
    if (findParameter(index) && text) formatFloat(static_cast<float>(getDisplayValue(index)), text);
}

void VocoderEffect::getParameterName(int32_t index, char* text) {
    const ParameterInfo* info = findParameter(index);
    if (info && text) std::strcpy(text, info->name);
}

void VocoderEffect::setSampleRate(float rate) {
    EffectExtended::setSampleRate(rate);
    engine.setSampleRate(rate);
}

void VocoderEffect::suspend() { engine.reset(); }

void VocoderEffect::resume() {}

bool VocoderEffect::getProgramNameIndexed(int32_t, int32_t index, char* text) {
    if (!programs || !text || index < 0 || index >= kProgramCount) return false;
    std::strcpy(text, programs[index].name);
    return true;
}

bool VocoderEffect::copyProgram(int32_t destination) {
    if (!programs || destination < 0 || destination >= kProgramCount) return false;
    if (destination == curProgram) return true;  // a copy onto itself changes nothing
    VocoderProgram& target = programs[destination];
    const VocoderProgram& source = programs[curProgram];
    std::memcpy(target.values, source.values, sizeof target.values);
    std::memcpy(target.name, source.name, sizeof target.name);
    return true;
}

bool VocoderEffect::getOutputProperties(int32_t index, VstPinProperties* properties) {
    if (index < 0 || index >= kOutputCount || !properties) return false;
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    properties->arrangementType = 1;  // kSpeakerArrStereo
    std::strcpy(properties->label, kOutputLabels[index]);
    return true;
}

bool VocoderEffect::getEffectName(char* name) {
    if (!name) return false;
    std::strcpy(name, "Ostraquelle");
    return true;
}

bool VocoderEffect::getVendorString(char* text) {
    if (!text) return false;
    std::strcpy(text, "Valtrisk");
    return true;
}

bool VocoderEffect::getProductString(char* text) {
    if (!text) return false;
    std::strcpy(text, "Ostraquelle");
    return true;
}

int32_t VocoderEffect::canDo(char*) { return 0; }

int32_t VocoderEffect::getTailSize() { return 0; }
