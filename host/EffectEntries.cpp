#include "host/EffectEntries.h"

#include "host/EffectBase.h"

intptr_t VSTCALLBACK dispatcherEntry(AEffect* record, int32_t opcode, int32_t index, intptr_t value,
                                     void* ptr, float opt) {
    EffectBase* effect = EffectBase::fromRecord(record);
    if (opcode == effClose) {
        // The effect's own close runs first; then the effect (and its editor) is gone, and
        // the host must not touch the record again.
        effect->dispatcher(opcode, index, value, ptr, opt);
        delete effect;
        return 1;
    }
    return effect->dispatcher(opcode, index, value, ptr, opt);
}

void VSTCALLBACK processEntry(AEffect* record, float** inputs, float** outputs,
                              int32_t sampleFrames) {
    EffectBase::fromRecord(record)->process(inputs, outputs, sampleFrames);
}

void VSTCALLBACK setParameterEntry(AEffect* record, int32_t index, float value) {
    EffectBase::fromRecord(record)->setParameter(index, value);
}

float VSTCALLBACK getParameterEntry(AEffect* record, int32_t index) {
    return EffectBase::fromRecord(record)->getParameter(index);
}

void VSTCALLBACK processReplacingEntry(AEffect* record, float** inputs, float** outputs,
                                       int32_t sampleFrames) {
    EffectBase::fromRecord(record)->processReplacing(inputs, outputs, sampleFrames);
}
