#pragma once
// The five entry points stored in the effect record. Each finds the effect through the
// record's back-pointer and makes exactly one virtual call.

#include "host/AEffect.h"

intptr_t VSTCALLBACK dispatcherEntry(AEffect* record, int32_t opcode, int32_t index, intptr_t value,
                                     void* ptr, float opt);
void VSTCALLBACK processEntry(AEffect* record, float** inputs, float** outputs,
                              int32_t sampleFrames);
void VSTCALLBACK setParameterEntry(AEffect* record, int32_t index, float value);
float VSTCALLBACK getParameterEntry(AEffect* record, int32_t index);
void VSTCALLBACK processReplacingEntry(AEffect* record, float** inputs, float** outputs,
                                       int32_t sampleFrames);
