#include "host/EffectBase.h"

#include <cstring>

#include "host/EditorBase.h"
#include "host/EffectEntries.h"
#include "host/TextFormat.h"

EffectBase::EffectBase(audioMasterCallback callback, int32_t programs, int32_t params)
    : sampleRate(44100.0f),
      editor(nullptr),
      hostCallback(callback),
      numPrograms(programs),
      numParams(params),
      curProgram(0),
      blockSize(1024) {
    std::memset(&effectRecord, 0, sizeof effectRecord);
    effectRecord.magic = kEffectMagic;
    effectRecord.dispatcher = dispatcherEntry;
    effectRecord.process = processEntry;
    effectRecord.setParameter = setParameterEntry;
    effectRecord.getParameter = getParameterEntry;
    effectRecord.numPrograms = programs;
    effectRecord.numParams = params;
    effectRecord.numInputs = 1;
    effectRecord.numOutputs = 2;
    effectRecord.ioRatio = 1.0f;
    effectRecord.object = this;
    effectRecord.uniqueID = 0x4E6F4566;  // 'NoEf' until the subclass sets its own
    effectRecord.version = 1;
    effectRecord.processReplacing = processReplacingEntry;
}

// The host closed the effect: the editor goes with it; the host is not told.
EffectBase::~EffectBase() { delete editor; }

void EffectBase::setEditor(EditorBase* newEditor) {
    editor = newEditor;
    setFlag(effFlagsHasEditor, newEditor != nullptr);
}

void EffectBase::setFlag(int32_t bit, bool state) {
    if (state)
        effectRecord.flags |= bit;
    else
        effectRecord.flags &= ~bit;
}

void EffectBase::setParameter(int32_t, float) {}
float EffectBase::getParameter(int32_t) { return 0.0f; }

// Called from the editor's thread when a control moves: the local change comes first, so the
// host sees the new value when it is told.
void EffectBase::setParameterAutomated(int32_t index, float value) {
    setParameter(index, value);
    if (hostCallback) callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void EffectBase::processReplacing(float**, float**, int32_t) {}
void EffectBase::open() {}
void EffectBase::close() {}
int32_t EffectBase::getProgram() { return curProgram; }
void EffectBase::setProgram(int32_t program) { curProgram = program; }

void EffectBase::setProgramName(char* name) {
    if (name) *name = '\0';
}
void EffectBase::getProgramName(char* name) {
    if (name) *name = '\0';
}
void EffectBase::getParameterLabel(int32_t, char* label) {
    if (label) *label = '\0';
}
void EffectBase::getParameterDisplay(int32_t, char* text) {
    if (text) *text = '\0';
}
void EffectBase::getParameterName(int32_t, char* text) {
    if (text) *text = '\0';
}

float EffectBase::getVu() { return 0.0f; }
int32_t EffectBase::getChunk(void**, bool) { return 0; }
int32_t EffectBase::setChunk(void*, int32_t, bool) { return 0; }
void EffectBase::setSampleRate(float rate) { sampleRate = rate; }
void EffectBase::setBlockSize(int32_t size) { blockSize = size; }
void EffectBase::suspend() {}
void EffectBase::resume() {}

void EffectBase::setUniqueID(int32_t id) { effectRecord.uniqueID = id; }
void EffectBase::setNumInputs(int32_t inputs) { effectRecord.numInputs = inputs; }
void EffectBase::setNumOutputs(int32_t outputs) { effectRecord.numOutputs = outputs; }
void EffectBase::setHasVu(bool state) { setFlag(effFlagsHasVu, state); }
void EffectBase::setHasClip(bool state) { setFlag(effFlagsHasClip, state); }
void EffectBase::setCanMono(bool state) { setFlag(effFlagsCanMono, state); }
void EffectBase::setCanReplacing(bool state) { setFlag(effFlagsCanReplacing, state); }
void EffectBase::setProgramChunks(bool state) { setFlag(effFlagsProgramChunks, state); }
void EffectBase::setRealQualities(int32_t qualities) { effectRecord.realQualities = qualities; }
void EffectBase::setOffQualities(int32_t qualities) { effectRecord.offQualities = qualities; }
void EffectBase::setInitialDelay(int32_t delay) { effectRecord.initialDelay = delay; }
float EffectBase::getSampleRate() { return sampleRate; }
int32_t EffectBase::getBlockSize() { return blockSize; }

intptr_t EffectBase::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    if (!hostCallback) return 0;
    return hostCallback(&effectRecord, opcode, index, value, ptr, opt);
}

int32_t EffectBase::getHostVersion() {
    if (!hostCallback) return 1;
    const intptr_t version = callHost(audioMasterVersion);
    return version ? static_cast<int32_t>(version) : 1;
}

intptr_t EffectBase::getHostCurrentId() { return callHost(audioMasterCurrentId); }

// Lets the host run its idle work while the editor holds the mouse (UI thread).
intptr_t EffectBase::hostIdle() { return callHost(audioMasterIdle); }

bool EffectBase::isInputConnected(int32_t input) {
    if (!hostCallback) return true;
    return callHost(audioMasterPinConnected, input, 0) == 0;
}

bool EffectBase::isOutputConnected(int32_t output) {
    if (!hostCallback) return true;
    return callHost(audioMasterPinConnected, output, 1) == 0;
}

void EffectBase::formatDecibels(float value, char* text) { formatDecibelsText(value, text); }

void EffectBase::formatFrequency(float samples, char* text) {
    formatFloatText(samples == 0.0f ? 0.0f : getSampleRate() / samples, text);
}

void EffectBase::formatMilliseconds(float samples, char* text) {
    formatFloatText(samples * 1000.0f / getSampleRate(), text);
}

void EffectBase::formatFloat(float value, char* text) { formatFloatText(value, text); }
void EffectBase::formatInteger(int32_t value, char* text) { formatIntegerText(value, text); }
