// Requests the effect sends to the host through its callback. Without a host callback each
// answers the fixed value a host-less effect needs.

#include "host/EffectExtended.h"

namespace {
bool nonZero(intptr_t answer) { return answer != 0; }
}  // namespace

void EffectExtended::hostWantMidi(int32_t filter) { callHost(audioMasterWantMidi, 0, filter); }

VstTimeInfo* EffectExtended::hostGetTime(int32_t filter) {
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

intptr_t EffectExtended::hostTempoAt(int32_t position) {
    return callHost(audioMasterTempoAt, 0, position);
}

intptr_t EffectExtended::hostGetNumAutomatableParameters() {
    return callHost(audioMasterGetNumAutomatableParameters);
}

intptr_t EffectExtended::hostGetParameterQuantization() {
    return callHost(audioMasterGetParameterQuantization);
}

bool EffectExtended::hostIOChanged() { return nonZero(callHost(audioMasterIOChanged)); }
bool EffectExtended::hostNeedIdle() { return nonZero(callHost(audioMasterNeedIdle)); }

bool EffectExtended::hostSizeWindow(int32_t width, int32_t height) {
    return nonZero(callHost(audioMasterSizeWindow, width, height));
}

// Only a positive answer replaces the stored rate.
float EffectExtended::updateSampleRate() {
    const intptr_t answer = callHost(audioMasterGetSampleRate);
    if (answer > 0) sampleRate = static_cast<float>(answer);
    return sampleRate;
}

int32_t EffectExtended::updateBlockSize() {
    const intptr_t answer = callHost(audioMasterGetBlockSize);
    if (answer > 0) blockSize = static_cast<int32_t>(answer);
    return blockSize;
}

intptr_t EffectExtended::hostGetInputLatency() { return callHost(audioMasterGetInputLatency); }
intptr_t EffectExtended::hostGetOutputLatency() { return callHost(audioMasterGetOutputLatency); }

AEffect* EffectExtended::hostGetPreviousPlug(int32_t) {
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug));
}

AEffect* EffectExtended::hostGetNextPlug(int32_t) {
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug));
}

intptr_t EffectExtended::hostWillReplaceOrAccumulate() {
    return callHost(audioMasterWillReplaceOrAccumulate);
}

intptr_t EffectExtended::hostGetCurrentProcessLevel() {
    return callHost(audioMasterGetCurrentProcessLevel);
}

intptr_t EffectExtended::hostGetAutomationState() {
    return callHost(audioMasterGetAutomationState);
}

bool EffectExtended::hostOfflineRead(VstOfflineTask* task, int32_t option, bool readSource) {
    return nonZero(callHost(audioMasterOfflineRead, readSource ? 1 : 0, option, task));
}

bool EffectExtended::hostOfflineWrite(VstOfflineTask* task, int32_t option) {
    return nonZero(callHost(audioMasterOfflineWrite, 0, option, task));
}

bool EffectExtended::hostOfflineStart(VstAudioFile* files, int32_t numFiles, int32_t numNewFiles) {
    return nonZero(callHost(audioMasterOfflineStart, numNewFiles, numFiles, files));
}

int32_t EffectExtended::hostOfflineGetCurrentPass() {
    return nonZero(callHost(audioMasterOfflineGetCurrentPass)) ? 1 : 0;
}

int32_t EffectExtended::hostOfflineGetCurrentMetaPass() {
    return nonZero(callHost(audioMasterOfflineGetCurrentMetaPass)) ? 1 : 0;
}

void EffectExtended::hostSetOutputSampleRate(float rate) {
    callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, rate);
}

VstSpeakerArrangement* EffectExtended::hostGetInputSpeakerArrangement() {
    return reinterpret_cast<VstSpeakerArrangement*>(
        callHost(audioMasterGetInputSpeakerArrangement));
}

VstSpeakerArrangement* EffectExtended::hostGetOutputSpeakerArrangement() {
    return reinterpret_cast<VstSpeakerArrangement*>(
        callHost(audioMasterGetOutputSpeakerArrangement));
}

bool EffectExtended::hostGetVendorString(char* text) {
    return nonZero(callHost(audioMasterGetVendorString, 0, 0, text));
}

bool EffectExtended::hostGetProductString(char* text) {
    return nonZero(callHost(audioMasterGetProductString, 0, 0, text));
}

intptr_t EffectExtended::hostGetVendorVersion() { return callHost(audioMasterGetVendorVersion); }

intptr_t EffectExtended::hostVendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) {
    return callHost(audioMasterVendorSpecific, index, value, ptr, opt);
}

int32_t EffectExtended::hostCanDo(char* text) {
    return nonZero(callHost(audioMasterCanDo, 0, 0, text)) ? 1 : 0;
}

intptr_t EffectExtended::hostGetLanguage() { return callHost(audioMasterGetLanguage); }

void* EffectExtended::hostOpenWindow(VstWindow* window) {
    return reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window));
}

bool EffectExtended::hostCloseWindow(VstWindow* window) {
    return nonZero(callHost(audioMasterCloseWindow, 0, 0, window));
}

void* EffectExtended::hostGetDirectory() {
    return reinterpret_cast<void*>(callHost(audioMasterGetDirectory));
}

bool EffectExtended::hostUpdateDisplay() { return nonZero(callHost(audioMasterUpdateDisplay)); }

// Sent by the frame around a mouse drag on a control (UI thread).
bool EffectExtended::beginEdit(int32_t index) {
    return nonZero(callHost(audioMasterBeginEdit, index));
}

bool EffectExtended::endEdit(int32_t index) { return nonZero(callHost(audioMasterEndEdit, index)); }

bool EffectExtended::hostOpenFileSelector(VstFileSelect* selector) {
    if (!selector) return false;
    return nonZero(callHost(audioMasterOpenFileSelector, 0, 0, selector));
}
