#include "vocoder/ParameterTable.h"

#include <cmath>

#include "vocoder/PortableMath.h"

namespace {

const ParameterInfo kParameters[kParameterSlots] = {
    {kVocodedVolume, "Voco-Vol", "dB", ParameterMapping::decibels, 0.0, 0.8f},
    {kErrorVolume, "Error-Vol", "dB", ParameterMapping::decibels, 0.0, 0.0f},
    {kModulatorVolume, "Modulator-Vol", "dB", ParameterMapping::decibels, 0.0, 0.0f},
    {kCarrierVolume, "Carrier-Vol", "dB", ParameterMapping::decibels, 0.0, 0.0f},
    {kWhitenedCarrierVolume, "w-Carrier-Vol", "dB", ParameterMapping::decibels, 0.0, 0.0f},
    {kMainVolume, "main Vol", "dB", ParameterMapping::decibels, 0.0, 0.8f},
    {kPreEmphasis, "PreEmphasis", "coeff", ParameterMapping::tanh3, 0.0, 1.0f},
    {kPredictionOrder, "Pred-Order", "taps", ParameterMapping::order, 0.0, 0.25f},
    {kPredictionLearn, "Pred-Learn", "learn-rate", ParameterMapping::linear, 0.5, 0.1f},
    {kPredictionForget, "Pred-Forget", "forget-rate", ParameterMapping::linear, 0.0001, 0.1f},
    {kPredictionSmooth, "Pred-Smooth", "smooth-rate", ParameterMapping::linear, 0.7, 0.5f},
    {kEnvelopeAttack, "Env-Att", "ms", ParameterMapping::linear, 20.0, 0.1f},
    {kEnvelopeRelease, "Env-Rel", "ms", ParameterMapping::linear, 500.0, 0.1f},
    {kEnvelopeAmount, "Env-Amt", "%", ParameterMapping::linear, 100.0, 1.0f},
    {kWhiten, "Whiten", "on/off", ParameterMapping::onOff, 0.0, 0.0f},
    {kWhiteningOrder, "White-Order", "taps", ParameterMapping::order, 0.0, 0.25f},
    {kWhiteningLearn, "White-Learn", "learn-rate", ParameterMapping::linear, 0.04, 0.1f},
    {kWhiteningForget, "White-Forget", "forget-rate", ParameterMapping::linear, 0.0004, 0.1f},
    {kWhiteningSmooth, "White-Smooth", "smooth-rate", ParameterMapping::linear, 0.7, 0.5f},
    {kFilterAmount, "Filt-Amt", "%", ParameterMapping::linear, 100.0, 1.0f},
};

}  // namespace

int32_t parameterSlot(int32_t index) {
    if (index >= 0 && index <= 18) return index;
    if (index == kFilterAmount) return kParameterSlots - 1;
    return -1;
}

int32_t slotParameter(int32_t slot) { return kParameters[slot].index; }

const ParameterInfo* findParameter(int32_t index) {
    const int32_t slot = parameterSlot(index);
    return slot < 0 ? nullptr : &kParameters[slot];
}

int32_t orderFromValue(float x) {
    const double taps = std::floor(200.0 * static_cast<double>(x));
    int64_t truncated = INT32_MIN;
    if (taps >= -2147483648.0 && taps < 2147483648.0) truncated = static_cast<int64_t>(taps);
    // The +1 wraps like 32-bit arithmetic instead of overflowing.
    return static_cast<int32_t>(static_cast<uint32_t>(truncated + 1));
}

double parameterDisplayValue(const ParameterInfo& info, float x) {
    const double value = x;
    switch (info.mapping) {
        case ParameterMapping::decibels:
            return 120.0 * value - 96.0;
        case ParameterMapping::tanh3:
            return portableTanh(3.0 * value);
        case ParameterMapping::order:
            return orderFromValue(x);
        case ParameterMapping::linear:
            return info.scale * value;
        case ParameterMapping::onOff:
            return value >= 0.5 ? 1.0 : 0.0;
    }
    return 0.0;
}
