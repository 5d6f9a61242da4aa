#pragma once
// The vocoder's eight outputs, four mono signals each on a pair of channels, in channel
// order: every format names its output pins from this one list.

#include <cstdint>

const int32_t kOutputPairCount = 4;
const int32_t kOutputChannelCount = 2 * kOutputPairCount;

// "Mix/Voc", "Error", "Carrier", "Modulator" for pairs 0 to 3; null for any other pair.
const char* outputPairName(int32_t pair);
// The name of the pair that an output channel (0 to 7) belongs to; null outside 0 to 7.
const char* outputChannelName(int32_t channel);
