#pragma once
// One LV2 instance of the vocoder: the host's port buffers in front of the core. It only
// translates: port values in the panel's units become the core's normalised values, and the
// core processes.

#include <cstdint>

#include "core/VocoderCore.h"
#include "lv2/PortMap.h"

class Lv2Instance {
public:
    static const int32_t kScratchFrames = 256;

    // instantiate (a host thread, not the audio thread): the engine at the host's rate, every
    // value at its default.
    Lv2Instance(PluginVariant variant, double sampleRate);

    // connect_port (audio thread, or before processing starts): data may be null, which
    // leaves that port unconnected. Ports outside the plug-in are ignored.
    void connect(uint32_t port, void* data);
    // activate: the adaptive state starts from silence; values stay.
    void activate();
    // run (audio thread): applies changed control values, then frames of audio. 0 frames
    // applies the values only.
    void run(uint32_t frames);

    // For tests: what the core holds.
    const VocoderCore& core() const { return vocoder; }

private:
    void applyControls();

    PluginVariant variant;
    VocoderCore vocoder;
    const float* inputs[VocoderCore::kInputCount];
    float* outputs[VocoderCore::kOutputCount];
    const float* controls[kParameterSlots];
    // Where an output pair is connected by only one of its ports, the other writes here, so
    // that the connected one gets its signal.
    float scratch[kScratchFrames];
};
