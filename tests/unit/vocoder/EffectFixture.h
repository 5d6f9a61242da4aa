#pragma once
// A vocoder effect driven only through its record, as a host drives it.

#include <memory>
#include <vector>

#include "host/AEffect.h"
#include "plugin/VocoderEffect.h"

struct EffectUnderTest {
    EffectUnderTest() : effect(new VocoderEffect(nullptr)), record(effect->getAeffect()) {}
    ~EffectUnderTest() { delete effect; }
    EffectUnderTest(const EffectUnderTest&) = delete;
    EffectUnderTest& operator=(const EffectUnderTest&) = delete;

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) {
        return record->dispatcher(record, opcode, index, value, ptr, opt);
    }
    void set(int32_t index, float value) { record->setParameter(record, index, value); }
    float get(int32_t index) { return record->getParameter(record, index); }

    VocoderEffect* effect;
    AEffect* record;
};

// Two input and eight output buffers of one block, the outputs pre-filled with a marker.
struct Block {
    static constexpr float kMarker = -12345.0f;
    explicit Block(int frames)
        : frames(frames),
          in(2, std::vector<float>(frames)),
          out(8, std::vector<float>(frames, kMarker)) {
        for (int c = 0; c < 2; ++c) inputs[c] = in[c].data();
        for (int c = 0; c < 8; ++c) outputs[c] = out[c].data();
    }
    // Noise plus tones, deterministic.
    void fill(uint32_t seed) {
        for (int k = 0; k < frames; ++k) {
            seed = seed * 1664525u + 1013904223u;
            const float noise = static_cast<float>(static_cast<int32_t>(seed) / 2147483648.0);
            in[0][k] = 0.3f * noise + 0.5f * static_cast<float>((k % 37) / 37.0 - 0.5);
            in[1][k] = 0.2f * noise * static_cast<float>(((k / 50) % 2) ? 1.0 : 0.3);
        }
    }
    void replacing(AEffect* record) { record->processReplacing(record, inputs, outputs, frames); }
    void accumulating(AEffect* record) { record->process(record, inputs, outputs, frames); }

    int frames;
    std::vector<std::vector<float>> in, out;
    float* inputs[2];
    float* outputs[8];
};
