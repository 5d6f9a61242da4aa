#pragma once
// The second layer of the effect object: the extended dispatcher (opcodes 25 to 76) and the
// operations and host services of the later interface versions, appended after EffectBase's.

#include "host/EffectBase.h"

class EffectExtended : public EffectBase {
public:
    EffectExtended(audioMasterCallback hostCallback, int32_t numPrograms, int32_t numParams);
    ~EffectExtended() override;

    intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                        float opt) override;

    // Appended virtual operations in their fixed slot order.
    virtual EditorBase* getEditor();
    virtual void hostWantMidi(int32_t filter);
    virtual VstTimeInfo* hostGetTime(int32_t filter);
    virtual intptr_t hostTempoAt(int32_t position);
    virtual int32_t processEvents(VstEvents* events);
    virtual intptr_t hostGetNumAutomatableParameters();
    virtual intptr_t hostGetParameterQuantization();
    virtual bool canBeAutomated(int32_t index);
    virtual bool string2Parameter(int32_t index, char* text);
    virtual float spareQuery(int32_t first, int32_t second);
    virtual int32_t getNumProgramCategories();
    virtual bool getProgramNameIndexed(int32_t category, int32_t index, char* text);
    virtual bool copyProgram(int32_t destination);
    virtual bool hostIOChanged();
    virtual bool hostNeedIdle();
    virtual bool hostSizeWindow(int32_t width, int32_t height);
    virtual float updateSampleRate();
    virtual int32_t updateBlockSize();
    virtual intptr_t hostGetInputLatency();
    virtual intptr_t hostGetOutputLatency();
    virtual AEffect* hostGetPreviousPlug(int32_t input);
    virtual AEffect* hostGetNextPlug(int32_t output);
    virtual void connectInput(int32_t index, bool connected);
    virtual void connectOutput(int32_t index, bool connected);
    virtual bool getInputProperties(int32_t index, VstPinProperties* properties);
    virtual bool getOutputProperties(int32_t index, VstPinProperties* properties);
    virtual int32_t getPlugCategory();
    virtual intptr_t hostWillReplaceOrAccumulate();
    virtual intptr_t hostGetCurrentProcessLevel();
    virtual intptr_t hostGetAutomationState();
    virtual void setExtIsAsync(bool state);
    virtual void setExtHasBuffer(bool state);
    virtual int32_t getCurrentPosition();
    virtual float* getDestinationBuffer();
    virtual bool hostOfflineRead(VstOfflineTask* task, int32_t option, bool readSource);
    virtual bool hostOfflineWrite(VstOfflineTask* task, int32_t option);
    virtual bool hostOfflineStart(VstAudioFile* files, int32_t numFiles, int32_t numNewFiles);
    virtual int32_t hostOfflineGetCurrentPass();
    virtual int32_t hostOfflineGetCurrentMetaPass();
    virtual bool offlineNotify(VstAudioFile* files, int32_t numFiles, bool start);
    virtual bool offlinePrepare(VstOfflineTask* tasks, int32_t count);
    virtual bool offlineRun(VstOfflineTask* tasks, int32_t count);
    virtual int32_t spareQueryA();
    virtual int32_t spareQueryB();
    virtual void hostSetOutputSampleRate(float rate);
    virtual VstSpeakerArrangement* hostGetInputSpeakerArrangement();
    virtual VstSpeakerArrangement* hostGetOutputSpeakerArrangement();
    virtual bool hostGetVendorString(char* text);
    virtual bool hostGetProductString(char* text);
    virtual intptr_t hostGetVendorVersion();
    virtual intptr_t hostVendorSpecific(int32_t index, intptr_t value, void* ptr, float opt);
    virtual int32_t hostCanDo(char* text);
    virtual void setIsSynth(bool state);
    virtual void setNoSoundInStop(bool state);
    virtual intptr_t hostGetLanguage();
    virtual void* hostOpenWindow(VstWindow* window);
    virtual bool hostCloseWindow(VstWindow* window);
    virtual void* hostGetDirectory();
    virtual bool hostUpdateDisplay();
    virtual bool processVarIo(VstVariableIo* io);
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output);
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** input,
                                       VstSpeakerArrangement** output);
    virtual void setBlockSizeAndSampleRate(int32_t newBlockSize, float newSampleRate);
    virtual bool setBypass(bool on);
    virtual bool getEffectName(char* name);
    virtual bool getErrorText(char* text);
    virtual bool getVendorString(char* text);
    virtual bool getProductString(char* text);
    virtual int32_t getVendorVersion();
    virtual intptr_t vendorSpecific(int32_t index, intptr_t value, void* ptr, float opt);
    virtual int32_t canDo(char* text);
    virtual void* getIcon();
    virtual bool setViewPosition(int32_t x, int32_t y);
    virtual int32_t getTailSize();
    virtual int32_t effectIdle();
    virtual bool getParameterProperties(int32_t index, VstParameterProperties* properties);
    virtual bool keysRequired();
    virtual int32_t getVstVersion();
    virtual int32_t getMidiProgramName(int32_t channel, MidiProgramName* name);
    virtual int32_t getCurrentMidiProgram(int32_t channel, MidiProgramName* current);
    virtual int32_t getMidiProgramCategory(int32_t channel, MidiProgramCategory* category);
    virtual bool hasMidiProgramsChanged(int32_t channel);
    virtual bool getMidiKeyName(int32_t channel, MidiKeyName* keyName);
    virtual bool beginSetProgram();
    virtual bool endSetProgram();
    virtual bool beginEdit(int32_t index);
    virtual bool endEdit(int32_t index);
    virtual bool hostOpenFileSelector(VstFileSelect* selector);
    virtual int32_t setTotalSampleToProcess(int32_t value);
    virtual int32_t shellGetNextPlugin(char* name);
    virtual int32_t startProcess();
    virtual int32_t stopProcess();
    virtual bool setPanLaw(int32_t type, float gain);
    virtual int32_t beginLoadBank(VstPatchChunkInfo* info);
    virtual int32_t beginLoadProgram(VstPatchChunkInfo* info);
    virtual bool allocateArrangement(VstSpeakerArrangement** arrangement, int32_t channels);
    virtual bool freeArrangement(VstSpeakerArrangement** arrangement);
    virtual bool copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from);
    virtual bool matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from);
};
