// Defaults of the operations the extended dispatcher reaches.

#include "host/EffectExtended.h"

EffectExtended::EffectExtended(audioMasterCallback callback, int32_t programs, int32_t params)
    : EffectBase(callback, programs, params) {}

EffectExtended::~EffectExtended() = default;

EditorBase* EffectExtended::getEditor() { return editor; }
int32_t EffectExtended::processEvents(VstEvents*) { return 0; }
bool EffectExtended::canBeAutomated(int32_t) { return true; }
bool EffectExtended::string2Parameter(int32_t, char*) { return false; }
float EffectExtended::spareQuery(int32_t, int32_t) { return 0.0f; }
int32_t EffectExtended::getNumProgramCategories() { return 1; }
bool EffectExtended::getProgramNameIndexed(int32_t, int32_t, char*) { return false; }
bool EffectExtended::copyProgram(int32_t) { return false; }
void EffectExtended::connectInput(int32_t, bool) {}
void EffectExtended::connectOutput(int32_t, bool) {}
bool EffectExtended::getInputProperties(int32_t, VstPinProperties*) { return false; }
bool EffectExtended::getOutputProperties(int32_t, VstPinProperties*) { return false; }

int32_t EffectExtended::getPlugCategory() {
    return (effectRecord.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

void EffectExtended::setExtIsAsync(bool state) { setFlag(effFlagsExtIsAsync, state); }
void EffectExtended::setExtHasBuffer(bool state) { setFlag(effFlagsExtHasBuffer, state); }
int32_t EffectExtended::getCurrentPosition() { return 0; }
float* EffectExtended::getDestinationBuffer() { return nullptr; }
bool EffectExtended::offlineNotify(VstAudioFile*, int32_t, bool) { return false; }
bool EffectExtended::offlinePrepare(VstOfflineTask*, int32_t) { return false; }
bool EffectExtended::offlineRun(VstOfflineTask*, int32_t) { return false; }
int32_t EffectExtended::spareQueryA() { return 0; }
int32_t EffectExtended::spareQueryB() { return 0; }
void EffectExtended::setIsSynth(bool state) { setFlag(effFlagsIsSynth, state); }
void EffectExtended::setNoSoundInStop(bool state) { setFlag(effFlagsNoSoundInStop, state); }
bool EffectExtended::processVarIo(VstVariableIo*) { return false; }
bool EffectExtended::setSpeakerArrangement(VstSpeakerArrangement*, VstSpeakerArrangement*) {
    return false;
}

// Hosts rely on both pointers being written; a null address from the host is skipped.
bool EffectExtended::getSpeakerArrangement(VstSpeakerArrangement** input,
                                           VstSpeakerArrangement** output) {
    if (input) *input = nullptr;
    if (output) *output = nullptr;
    return false;
}

// Stores both directly: the subclass's reaction to a new sample rate is not run.
void EffectExtended::setBlockSizeAndSampleRate(int32_t newBlockSize, float newSampleRate) {
    blockSize = newBlockSize;
    sampleRate = newSampleRate;
}

bool EffectExtended::setBypass(bool) { return false; }
bool EffectExtended::getEffectName(char*) { return false; }
bool EffectExtended::getErrorText(char*) { return false; }
bool EffectExtended::getVendorString(char*) { return false; }
bool EffectExtended::getProductString(char*) { return false; }
int32_t EffectExtended::getVendorVersion() { return 0; }
intptr_t EffectExtended::vendorSpecific(int32_t, intptr_t, void*, float) { return 0; }
int32_t EffectExtended::canDo(char*) { return 0; }
void* EffectExtended::getIcon() { return nullptr; }
bool EffectExtended::setViewPosition(int32_t, int32_t) { return false; }
int32_t EffectExtended::getTailSize() { return 0; }
int32_t EffectExtended::effectIdle() { return 0; }
bool EffectExtended::getParameterProperties(int32_t, VstParameterProperties*) { return false; }
bool EffectExtended::keysRequired() { return false; }
int32_t EffectExtended::getVstVersion() { return 2300; }
int32_t EffectExtended::getMidiProgramName(int32_t, MidiProgramName*) { return 0; }
int32_t EffectExtended::getCurrentMidiProgram(int32_t, MidiProgramName*) { return -1; }
int32_t EffectExtended::getMidiProgramCategory(int32_t, MidiProgramCategory*) { return 0; }
bool EffectExtended::hasMidiProgramsChanged(int32_t) { return false; }
bool EffectExtended::getMidiKeyName(int32_t, MidiKeyName*) { return false; }
bool EffectExtended::beginSetProgram() { return false; }
bool EffectExtended::endSetProgram() { return false; }
int32_t EffectExtended::setTotalSampleToProcess(int32_t value) { return value; }
int32_t EffectExtended::shellGetNextPlugin(char*) { return 0; }
int32_t EffectExtended::startProcess() { return 0; }
int32_t EffectExtended::stopProcess() { return 0; }
bool EffectExtended::setPanLaw(int32_t, float) { return false; }
int32_t EffectExtended::beginLoadBank(VstPatchChunkInfo*) { return 0; }
int32_t EffectExtended::beginLoadProgram(VstPatchChunkInfo*) { return 0; }
