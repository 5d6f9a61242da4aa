#include "plugin/VocoderEffect.h"

#include <cstring>
#include <new>

#include "editor/VocoderEditor.h"
#include "host/ModuleState.h"
#include "plugin/VstEditor.h"

VocoderEffect::VocoderEffect(audioMasterCallback hostCallback)
    : EffectExtended(hostCallback, kProgramCount, kParameterCount) {
    // Parameter changes cannot live without the program table: main must discard this effect.
    if (!core.hasPrograms()) outOfMemory = 1;
    setNumInputs(kInputCount);
    setNumOutputs(kOutputCount);
    setUniqueID(kUniqueId);
    setCanMono(true);
    setCanReplacing(true);
    // The editor registers itself (and effFlagsHasEditor); its window waits for effEditOpen.
    VocoderEditor* panel = new (std::nothrow) VocoderEditor(this);
    if (!panel || !new (std::nothrow) VstEditor(this, panel)) {
        delete panel;
        outOfMemory = 1;
    }
}

// The core goes with the object; the base class deletes the editor.
VocoderEffect::~VocoderEffect() = default;

void VocoderEffect::setParameter(int32_t index, float value) {
    core.setValue(index, value);
    notifyEditor(index, value);
}

// Also for index 19 and unknown indices: the editor moves whatever control carries the tag.
void VocoderEffect::notifyEditor(int32_t index, float value) {
    if (!editor) return;
    editor->requestUpdate();
    editor->parameterChanged(index, value);
}

float VocoderEffect::getParameter(int32_t index) { return core.value(index); }

void VocoderEffect::process(float** inputs, float** outputs, int32_t sampleFrames) {
    core.process(inputs, outputs, sampleFrames);
}

void VocoderEffect::processReplacing(float** inputs, float** outputs, int32_t sampleFrames) {
    core.process(inputs, outputs, sampleFrames);
}

void VocoderEffect::setProgram(int32_t program) {
    // The dispatcher passes only 0 to 7; other callers get the same protection in the core.
    if (!core.setProgram(program)) return;
    curProgram = program;
    for (int32_t slot = 0; slot < kParameterSlots; ++slot) {
        const int32_t index = slotParameter(slot);
        notifyEditor(index, core.value(index));
    }
}

void VocoderEffect::setProgramName(char* name) { core.setProgramName(name); }

void VocoderEffect::getProgramName(char* name) {
    const char* current = core.programName(core.program());
    if (current && name) std::strcpy(name, current);
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
    core.setSampleRate(rate);
}

void VocoderEffect::suspend() { core.reset(); }

void VocoderEffect::resume() {}

bool VocoderEffect::getProgramNameIndexed(int32_t, int32_t index, char* text) {
    const char* name = core.programName(index);
    if (!name || !text) return false;
    std::strcpy(text, name);
    return true;
}

bool VocoderEffect::copyProgram(int32_t destination) { return core.copyProgram(destination); }

bool VocoderEffect::getOutputProperties(int32_t index, VstPinProperties* properties) {
    if (index < 0 || index >= kOutputCount || !properties) return false;
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    properties->arrangementType = 1;  // kSpeakerArrStereo
    std::strcpy(properties->label, outputChannelName(index));
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

float VocoderEffect::parameterValue(int32_t index) { return getParameter(index); }

void VocoderEffect::setParameterByUser(int32_t index, float value) {
    setParameterAutomated(index, value);
}

void VocoderEffect::beginGesture(int32_t index) { beginEdit(index); }

void VocoderEffect::endGesture(int32_t index) { endEdit(index); }

void VocoderEffect::parameterText(int32_t index, char* text) { core.displayText(index, text); }

void VocoderEffect::serviceHost() { hostIdle(); }
