#include "core/OutputPairs.h"

namespace {
const char* const kPairNames[kOutputPairCount] = {"Mix/Voc", "Error", "Carrier", "Modulator"};
}

const char* outputPairName(int32_t pair) {
    return pair >= 0 && pair < kOutputPairCount ? kPairNames[pair] : nullptr;
}

const char* outputChannelName(int32_t channel) {
    return channel >= 0 && channel < kOutputChannelCount ? kPairNames[channel / 2] : nullptr;
}
