#include "parameters/ParameterTable.h"

#include <cmath>
#include <cstdio>

#include "vocoder/PortableMath.h"

namespace {

// One row per parameter that carries a value, in index order (the storage slot is the row).
// Controls are created in this order; the panel places are also drawn into the artwork.
// clang-format off
const ParameterInfo kParameters[kParameterSlots] = {
    {kVocodedVolume, "Voco-Vol", "dB", ParameterMapping::decibels, 0.0, 0.8f,
     ControlKind::knob, PanelText::decibels, {276, 68, 308, 100}, {311, 76, 359, 92}},
    {kErrorVolume, "Error-Vol", "dB", ParameterMapping::decibels, 0.0, 0.0f,
     ControlKind::knob, PanelText::decibels, {276, 124, 308, 156}, {311, 132, 359, 148}},
    {kModulatorVolume, "Modulator-Vol", "dB", ParameterMapping::decibels, 0.0, 0.0f,
     ControlKind::knob, PanelText::decibels, {276, 184, 308, 216}, {311, 191, 359, 207}},
    {kCarrierVolume, "Carrier-Vol", "dB", ParameterMapping::decibels, 0.0, 0.0f,
     ControlKind::knob, PanelText::decibels, {276, 240, 308, 272}, {311, 247, 359, 263}},
    {kWhitenedCarrierVolume, "w-Carrier-Vol", "dB", ParameterMapping::decibels, 0.0, 0.0f,
     ControlKind::knob, PanelText::decibels, {276, 296, 308, 328}, {311, 303, 359, 319}},
    {kMainVolume, "main Vol", "dB", ParameterMapping::decibels, 0.0, 0.8f,
     ControlKind::knob, PanelText::decibels, {276, 352, 308, 384}, {311, 359, 359, 375}},
    {kPreEmphasis, "PreEmphasis", "coeff", ParameterMapping::tanh3, 0.0, 1.0f,
     ControlKind::knob, PanelText::plain, {24, 64, 56, 96}, {16, 100, 64, 116}},
    {kPredictionOrder, "Pred-Order", "taps", ParameterMapping::order, 0.0, 0.25f,
     ControlKind::knob, PanelText::taps, {88, 64, 120, 96}, {80, 100, 128, 116}},
    {kPredictionLearn, "Pred-Learn", "learn-rate", ParameterMapping::linear, 0.5, 0.1f,
     ControlKind::knob, PanelText::half, {144, 64, 176, 96}, {136, 100, 184, 116}},
    {kPredictionForget, "Pred-Forget", "forget-rate", ParameterMapping::linear, 0.0001, 0.1f,
     ControlKind::knob, PanelText::tenThousandths, {208, 64, 240, 96}, {200, 100, 248, 116}},
    {kPredictionSmooth, "Pred-Smooth", "smooth-rate", ParameterMapping::linear, 0.7, 0.5f,
     ControlKind::knob, PanelText::smoothing, {24, 144, 56, 176}, {16, 180, 64, 196}},
    {kEnvelopeAttack, "Env-Att", "ms", ParameterMapping::linear, 20.0, 0.1f,
     ControlKind::knob, PanelText::attack, {144, 144, 176, 176}, {136, 180, 184, 196}},
    {kEnvelopeRelease, "Env-Rel", "ms", ParameterMapping::linear, 500.0, 0.1f,
     ControlKind::knob, PanelText::release, {208, 144, 240, 176}, {200, 180, 248, 196}},
    {kEnvelopeAmount, "Env-Amt", "%", ParameterMapping::linear, 100.0, 1.0f,
     ControlKind::knob, PanelText::percent, {192, 244, 224, 276}, {184, 279, 232, 295}},
    {kWhiten, "Whiten", "on/off", ParameterMapping::onOff, 0.0, 0.0f,
     ControlKind::onOffSwitch, PanelText::none, {132, 227, 148, 243}, {0, 0, 0, 0}},
    {kWhiteningOrder, "White-Order", "taps", ParameterMapping::order, 0.0, 0.25f,
     ControlKind::knob, PanelText::taps, {20, 264, 52, 296}, {12, 299, 60, 315}},
    {kWhiteningLearn, "White-Learn", "learn-rate", ParameterMapping::linear, 0.04, 0.1f,
     ControlKind::knob, PanelText::half, {92, 264, 124, 296}, {84, 299, 132, 315}},
    {kWhiteningForget, "White-Forget", "forget-rate", ParameterMapping::linear, 0.0004, 0.1f,
     ControlKind::knob, PanelText::tenThousandths, {20, 336, 52, 368}, {12, 371, 60, 387}},
    {kWhiteningSmooth, "White-Smooth", "smooth-rate", ParameterMapping::linear, 0.7, 0.5f,
     ControlKind::knob, PanelText::smoothing, {92, 336, 124, 368}, {84, 371, 132, 387}},
    {kFilterAmount, "Filt-Amt", "%", ParameterMapping::linear, 100.0, 1.0f,
     ControlKind::knob, PanelText::percent, {192, 332, 224, 364}, {184, 367, 232, 383}},
};
// clang-format on

}  // namespace

int32_t parameterSlot(int32_t index) {
    for (int32_t slot = 0; slot < kParameterSlots; ++slot)
        if (kParameters[slot].index == index) return slot;
    return -1;
}

int32_t slotParameter(int32_t slot) { return kParameters[slot].index; }

const ParameterInfo& slotInfo(int32_t slot) { return kParameters[slot]; }

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
        case ParameterMapping::decibels: return 120.0 * value - 96.0;
        case ParameterMapping::tanh3: return portableTanh(3.0 * value);
        case ParameterMapping::order: return orderFromValue(x);
        case ParameterMapping::linear: return info.scale * value;
        case ParameterMapping::onOff: return value >= 0.5 ? 1.0 : 0.0;
    }
    return 0.0;
}

// The constants' widths matter: the float products round differently from double ones at some
// values, and the texts must match what the panel has always shown.
void formatPanelText(PanelText text, float x, char* out) {
    switch (text) {
        case PanelText::decibels: std::sprintf(out, "%.1f %s", 120.0f * x - 96.0f, " dB"); break;
        case PanelText::plain: std::sprintf(out, "%.3f %s", x, ""); break;
        case PanelText::taps:
            std::sprintf(out, "%.0f %s", std::floor(static_cast<double>(200.0f * x)) + 1.0, "");
            break;
        case PanelText::half: std::sprintf(out, "%.3f %s", 0.5 * x, ""); break;
        case PanelText::tenThousandths: std::sprintf(out, "%.2f %s", x, "e-4"); break;
        case PanelText::smoothing: std::sprintf(out, "%.1f %s", 0.7 * x, ""); break;
        case PanelText::attack: std::sprintf(out, "%.1f %s", 20.0f * x, "ms"); break;
        case PanelText::release: std::sprintf(out, "%.1f %s", 500.0f * x, "ms"); break;
        case PanelText::percent: std::sprintf(out, "%.1f %s", 100.0f * x, "%"); break;
        case PanelText::none: out[0] = 0; break;
    }
}
