#pragma once
// The answers to a plug-in's questions that every host here gives alike: the interface
// version, sample rate and block size, who the host is, and what it can do. Each host's
// callback records or acts on the rest itself.

#include <cstdint>

#include "host/AEffect.h"

struct HostAnswers {
    intptr_t version = 2400;
    intptr_t sampleRate = 44100;
    intptr_t blockSize = 512;
    const char* vendor = nullptr;   // null: the host does not answer the query
    const char* product = nullptr;
    intptr_t vendorVersion = 0;
    const char* const* canDo = nullptr;  // null-terminated list of capabilities
};

// The answer to one of the queries above (audioMasterVersion, audioMasterGetSampleRate,
// audioMasterGetBlockSize, audioMasterGetVendorString, audioMasterGetProductString,
// audioMasterGetVendorVersion, audioMasterCanDo); 0 for every other opcode. The strings are
// copied into ptr when it is not null.
intptr_t answerHostQuery(const HostAnswers& answers, int32_t opcode, void* ptr);
