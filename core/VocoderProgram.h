#pragma once
// One program: a stored value for each of the 20 parameter slots and a name.

#include "parameters/ParameterTable.h"

class VocoderProgram {
public:
    static const int kNameSize = 24;  // 23 characters and the terminator

    // Named "Init", with the parameters' default values.
    VocoderProgram();

    float values[kParameterSlots];
    char name[kNameSize];
};
