#include "plugin/EffectCreation.h"

#include <new>

#include "host/ModuleState.h"
#include "plugin/VocoderEffect.h"

AEffect* createEffectRecord(audioMasterCallback host) {
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    VocoderEffect* effect = new (std::nothrow) VocoderEffect(host);
    if (!effect) return nullptr;
    if (outOfMemory) {
        delete effect;
        return nullptr;
    }
    return effect->getAeffect();
}
