#include "hosting/HostAnswers.h"

#include <cstring>

namespace {

intptr_t copyAnswer(const char* text, void* ptr) {
    if (!text) return 0;
    if (ptr) std::strcpy(static_cast<char*>(ptr), text);
    return 1;
}

bool canDo(const char* const* list, const char* text) {
    if (!list || !text) return false;
    for (; *list; ++list)
        if (std::strcmp(*list, text) == 0) return true;
    return false;
}

}  // namespace

intptr_t answerHostQuery(const HostAnswers& answers, int32_t opcode, void* ptr) {
    switch (opcode) {
        case audioMasterVersion: return answers.version;
        case audioMasterGetSampleRate: return answers.sampleRate;
        case audioMasterGetBlockSize: return answers.blockSize;
        case audioMasterGetVendorString: return copyAnswer(answers.vendor, ptr);
        case audioMasterGetProductString: return copyAnswer(answers.product, ptr);
        case audioMasterGetVendorVersion: return answers.vendorVersion;
        case audioMasterCanDo: return canDo(answers.canDo, static_cast<const char*>(ptr)) ? 1 : 0;
        default: return 0;
    }
}
