#pragma once
// The first layer of the effect object: owns the record the host holds, the basic state
// (sample rate, block size, current program, editor) and the first 46 virtual operations.

#include "host/AEffect.h"

class EditorBase;

class EffectBase {
public:
    EffectBase(audioMasterCallback hostCallback, int32_t numPrograms, int32_t numParams);
    EffectBase(const EffectBase&) = delete;
    EffectBase& operator=(const EffectBase&) = delete;

    // Virtual operations in their fixed slot order.
    virtual ~EffectBase();
    virtual void setParameter(int32_t index, float value);
    virtual float getParameter(int32_t index);
    virtual void setParameterAutomated(int32_t index, float value);
    virtual void process(float** inputs, float** outputs, int32_t sampleFrames) = 0;
    virtual void processReplacing(float** inputs, float** outputs, int32_t sampleFrames);
    virtual intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt);
    virtual void open();
    virtual void close();
    virtual int32_t getProgram();
    virtual void setProgram(int32_t program);
    virtual void setProgramName(char* name);
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(int32_t index, char* label);
    virtual void getParameterDisplay(int32_t index, char* text);
    virtual void getParameterName(int32_t index, char* text);
    virtual float getVu();
    virtual int32_t getChunk(void** data, bool isPreset);
    virtual int32_t setChunk(void* data, int32_t byteSize, bool isPreset);
    virtual void setSampleRate(float rate);
    virtual void setBlockSize(int32_t size);
    virtual void suspend();
    virtual void resume();
    virtual void setUniqueID(int32_t id);
    virtual void setNumInputs(int32_t inputs);
    virtual void setNumOutputs(int32_t outputs);
    virtual void setHasVu(bool state);
    virtual void setHasClip(bool state);
    virtual void setCanMono(bool state);
    virtual void setCanReplacing(bool state);
    virtual void setProgramChunks(bool state);
    virtual void setRealQualities(int32_t qualities);
    virtual void setOffQualities(int32_t qualities);
    virtual void setInitialDelay(int32_t delay);
    virtual float getSampleRate();
    virtual int32_t getBlockSize();
    virtual int32_t getHostVersion();
    virtual intptr_t getHostCurrentId();
    virtual intptr_t hostIdle();
    virtual bool isInputConnected(int32_t input);
    virtual bool isOutputConnected(int32_t output);
    virtual void formatDecibels(float value, char* text);
    virtual void formatFrequency(float samples, char* text);
    virtual void formatMilliseconds(float samples, char* text);
    virtual void formatFloat(float value, char* text);
    virtual void formatInteger(int32_t value, char* text);

    // Not virtual: stores the editor and sets or clears effFlagsHasEditor.
    void setEditor(EditorBase* newEditor);

    AEffect* getAeffect() { return &effectRecord; }
    // The effect behind a record handed out by getAeffect.
    static EffectBase* fromRecord(AEffect* record) {
        return static_cast<EffectBase*>(record->object);
    }

protected:
    // Sends one opcode to the host; 0 when there is no host callback.
    intptr_t callHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    void setFlag(int32_t bit, bool state);

    float sampleRate;
    EditorBase* editor;
    audioMasterCallback hostCallback;
    int32_t numPrograms;
    int32_t numParams;
    int32_t curProgram;
    int32_t blockSize;
    AEffect effectRecord;
};
