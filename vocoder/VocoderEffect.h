#pragma once
// The vocoder effect as the host sees it: 8 programs, 21 parameters, 2 inputs, 8 outputs.

#include "host/EffectExtended.h"

class VocoderEffect : public EffectExtended {
public:
    explicit VocoderEffect(audioMasterCallback hostCallback);
    ~VocoderEffect() override;

    void process(float** inputs, float** outputs, int32_t sampleFrames) override;
};
