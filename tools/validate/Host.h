#pragma once
// The validator's side of the host interface: loads a plug-in library through its exported
// entry, answers the plug-in's host calls, and wraps one effect with the calls a host makes.

#include <atomic>
#include <cstdint>
#include <vector>

#include "host/AEffect.h"
#include "hosting/PluginLibrary.h"

// What the host callback answers and records, shared by every instance of the run. The
// callback has no user pointer; it may be called from any thread.
struct HostState {
    std::atomic<intptr_t> versionAnswer{2400};
    std::atomic<int> idleCalls{0};
    std::atomic<int> automateCalls{0};
    std::atomic<int> beginEdits{0};
    std::atomic<int> endEdits{0};
    // When set, the next idle or automation call closes this effect's editor from inside the
    // callback (a host whose user closed the window while holding the mouse).
    std::atomic<AEffect*> closeEditorOnCallback{nullptr};
    // With it, idle calls move the pointer (a drag) and an automation call closes.
    std::atomic<bool> dragMoves{false};
    std::atomic<int> dragIdles{0};
};
extern HostState hostState;

intptr_t VSTCALLBACK validatorHost(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                   void* ptr, float opt);

// Audio buffers of one block for an effect's pins: channel c of the inputs and outputs.
struct AudioBlock {
    AudioBlock(int32_t inputs, int32_t outputs, int32_t frames);
    void resize(int32_t frames);
    // Deterministic material: a different mix of tones and noise for every seed.
    void fillMaterial(uint64_t seed, int64_t position);
    void fillSilence();
    void fillOutputs(float value);
    bool outputsFinite() const;
    bool outputsSilent() const;

    int32_t frames;
    std::vector<std::vector<float>> in, out;
    std::vector<float*> inputs, outputs;
};

// One effect as a host drives it.
class Effect {
public:
    Effect(const PluginLibrary& library);
    ~Effect();  // effClose, unless closed already
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    bool valid() const { return record != nullptr; }
    AEffect* get() const { return record; }
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    // effOpen, rate, block size, mains on.
    void start(float rate = 44100.0f, int32_t blockSize = 512);
    void suspend() { dispatch(effMainsChanged, 0, 0); }
    void resume() { dispatch(effMainsChanged, 0, 1); }
    void set(int32_t index, float value) { record->setParameter(record, index, value); }
    float get(int32_t index) { return record->getParameter(record, index); }
    void process(AudioBlock& block);
    void close();

private:
    AEffect* record;
};

// Canonical state for comparisons: program 0, every parameter at a value from the seed.
void applySettings(Effect& effect, uint64_t seed);
