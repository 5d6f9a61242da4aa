#include "lv2/Lv2Instance.h"

#include <algorithm>

#include "lv2/PortUnits.h"

Lv2Instance::Lv2Instance(PluginVariant variant, double sampleRate)
    : variant(variant), inputs(), outputs(), controls(), scratch() {
    vocoder.setSampleRate(sampleRate);
}

void Lv2Instance::connect(uint32_t port, void* data) {
    const int32_t slot = controlPortSlot(variant, port);
    if (slot >= 0) {
        controls[slot] = static_cast<const float*>(data);
        return;
    }
    if (port >= static_cast<uint32_t>(audioPortCount(variant))) return;
    // Nothing here may allocate: hosts connect buffers on the audio thread.
    const int32_t channel = audioPortChannel(static_cast<int32_t>(port));
    if (isOutputPort(static_cast<int32_t>(port))) {
        outputs[channel] = static_cast<float*>(data);
    } else {
        inputs[channel] = static_cast<const float*>(data);
    }
}

void Lv2Instance::activate() { vocoder.reset(); }

void Lv2Instance::run(uint32_t frames) {
    applyControls();
    bool halfConnected = false;
    for (int32_t pair = 0; pair < kOutputPairCount; ++pair)
        halfConnected |= (outputs[2 * pair] == nullptr) != (outputs[2 * pair + 1] == nullptr);
    // The core counts frames in 32 bits; the scratch buffer holds kScratchFrames.
    const uint32_t largest = halfConnected ? kScratchFrames : 1u << 30;
    for (uint32_t offset = 0; offset < frames;) {
        const uint32_t part = std::min(frames - offset, largest);
        const float* in[VocoderCore::kInputCount];
        for (int32_t i = 0; i < VocoderCore::kInputCount; ++i)
            in[i] = inputs[i] ? inputs[i] + offset : nullptr;
        float* out[VocoderCore::kOutputCount];
        for (int32_t channel = 0; channel < VocoderCore::kOutputCount; ++channel) {
            const bool partner = outputs[channel ^ 1] != nullptr;
            out[channel] = outputs[channel] ? outputs[channel] + offset
                                            : partner ? scratch : nullptr;
        }
        vocoder.process(in, out, static_cast<int32_t>(part));
        offset += part;
    }
}

// A value the core already has is not set again: setting some (the orders) clears state.
// A non-finite port value is ignored, so the last usable one stays.
void Lv2Instance::applyControls() {
    for (int32_t slot = 0; slot < kParameterSlots; ++slot) {
        if (!controls[slot]) continue;
        const float portValue = *controls[slot];
        if (!isUsablePortValue(portValue)) continue;
        const ParameterInfo& info = slotInfo(slot);
        const float value = portValueToNormalised(info, portValue);
        if (value != vocoder.value(info.index)) vocoder.setValue(info.index, value);
    }
}
