#include "vocoder/VocoderEffect.h"

namespace {
const int32_t kNumPrograms = 8;
const int32_t kNumParams = 21;
const int32_t kUniqueId = 0x6C51734F;  // "OsQl" in memory order
}  // namespace

VocoderEffect::VocoderEffect(audioMasterCallback hostCallback)
    : EffectExtended(hostCallback, kNumPrograms, kNumParams) {
    setNumInputs(2);
    setNumOutputs(8);
    setUniqueID(kUniqueId);
    setCanMono(true);
    setCanReplacing(true);
}

VocoderEffect::~VocoderEffect() = default;

void VocoderEffect::process(float**, float**, int32_t) {}
