#pragma once
// The vocoder effect as a VST 2.x host sees it: 2 inputs (carrier, modulator), 8 outputs in
// four pairs (mix, modulator error, dry carrier, dry modulator), 21 parameters and 8 programs.
// It translates the host's calls into the format-neutral core's and tells the editor.

#include "core/VocoderCore.h"
#include "editor/EditorController.h"
#include "host/EffectExtended.h"

class VocoderEffect : public EffectExtended, public EditorController {
public:
    static const int32_t kProgramCount = VocoderCore::kProgramCount;
    static const int32_t kInputCount = VocoderCore::kInputCount;
    static const int32_t kOutputCount = VocoderCore::kOutputCount;
    static const int32_t kUniqueId = VocoderCore::kUniqueId;

    // Called by main on the host's thread. When the program table cannot be allocated the
    // process-wide outOfMemory flag is set and main discards the effect.
    explicit VocoderEffect(audioMasterCallback hostCallback);
    // Called when the host sends effClose.
    ~VocoderEffect() override;

    // Host automation or the editor (UI thread), also while the audio thread processes: stores
    // x in the current value and the current program, shows and applies it, tells the editor.
    void setParameter(int32_t index, float value) override;
    // Host (any thread): the value last set; 0 for index 19 and unknown indices.
    float getParameter(int32_t index) override;
    // Audio thread. Both overwrite the outputs; the buffers may be the input buffers.
    void process(float** inputs, float** outputs, int32_t sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;
    // effSetProgram (UI thread): re-applies all 20 stored values, which clears both predictors.
    void setProgram(int32_t program) override;
    // effSetProgramName: keeps at most 23 characters of a longer name.
    void setProgramName(char* name) override;
    // effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName (UI thread):
    // index 19 and unknown indices leave the text untouched.
    void getProgramName(char* name) override;
    void getParameterLabel(int32_t index, char* label) override;
    void getParameterDisplay(int32_t index, char* text) override;
    void getParameterName(int32_t index, char* text) override;
    // effSetSampleRate (UI thread, normally while processing is stopped).
    void setSampleRate(float rate) override;
    // effMainsChanged 0: clears all adaptive state of the engine.
    void suspend() override;
    // effMainsChanged 1: nothing to do, the engine runs whenever the host calls process.
    void resume() override;
    // effGetProgramNameIndexed, effCopyProgram (UI thread): false for programs outside 0..7.
    bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override;
    bool copyProgram(int32_t destination) override;
    // effGetOutputProperties (UI thread): labels and stereo flags of the four output pairs.
    bool getOutputProperties(int32_t index, VstPinProperties* properties) override;
    // Identity and capability queries (UI thread).
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    int32_t canDo(char* text) override;
    int32_t getTailSize() override;

    // The panel's requests, answered in-process (UI thread): the value, the user's change as
    // an automated parameter change, the edit brackets, the panel's text and the host's idle.
    float parameterValue(int32_t index) override;
    void setParameterByUser(int32_t index, float value) override;
    void beginGesture(int32_t index) override;
    void endGesture(int32_t index) override;
    void parameterText(int32_t index, char* text) override;
    void serviceHost() override;

    // Read access for tests.
    const VocoderEngine& getEngine() const { return core.engine(); }
    double getDisplayValue(int32_t index) const { return core.displayValue(index); }

private:
    // The one place where a parameter change reaches the editor.
    void notifyEditor(int32_t index, float value);

    VocoderCore core;
};
