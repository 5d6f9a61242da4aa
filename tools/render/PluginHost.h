#pragma once
// Loads a VST 2.x plug-in from its file path the way a DAW does (dlopen, the exported
// VSTPluginMain or main, the effect record) and drives it for offline rendering. One object
// hosts one effect; it answers the plug-in's callback like a real offline host.

#include <cstdint>
#include <string>

#include "host/AEffect.h"

class PluginHost {
public:
    PluginHost() = default;
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    static constexpr intptr_t kHostVersion = 2400;

    // Loads the library, creates the effect, opens it and announces rate and block size.
    bool load(const std::string& path, double sampleRate, int blockSize, std::string& error);
    // Suspends (if running), closes the effect and unloads the library. Safe to call twice.
    void unload();

    AEffect* effect() const { return effectRecord; }
    int numParams() const { return effectRecord->numParams; }
    int numPrograms() const { return effectRecord->numPrograms; }
    int numInputs() const { return effectRecord->numInputs; }
    int numOutputs() const { return effectRecord->numOutputs; }
    double sampleRate() const { return rate; }
    int blockSize() const { return blockFrames; }

    std::string parameterName(int index);
    std::string parameterLabel(int index);
    std::string parameterDisplay(int index);
    float parameter(int index);
    void setParameter(int index, float value);
    int program();
    bool setProgram(int program);
    std::string programName();
    std::string effectName();

    // Resumes the effect and tells it processing starts / stops.
    void start();
    void stop();
    // Runs one block. The output buffers are cleared first: a plug-in need not write every
    // output, and the accumulating entry (used when replacing is not offered) adds to them.
    void process(float** inputs, float** outputs, int frames);

    // The callback every hosted effect receives; `effect` is null while `main` runs. The effect
    // calls it from whatever thread is calling into it; this host has only one.
    static intptr_t VSTCALLBACK callback(AEffect* effect, int32_t opcode, int32_t index,
                                         intptr_t value, void* ptr, float opt);

private:
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    std::string text(int32_t opcode, int32_t index);

    void* library = nullptr;
    AEffect* effectRecord = nullptr;
    double rate = 44100.0;
    int blockFrames = 512;
    bool running = false;
};
