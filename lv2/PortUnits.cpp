#include "lv2/PortUnits.h"

#include <cmath>

namespace {

// A port value is offset + scale x; the panel's text kinds name these numbers.
struct LinearUnit {
    PortUnit unit;
    double offset;
    double scale;
};

LinearUnit linearUnit(PanelText text) {
    switch (text) {
        case PanelText::decibels: return {PortUnit::decibels, -96.0, 120.0};
        case PanelText::plain: return {PortUnit::none, 0.0, 1.0};
        case PanelText::taps: return {PortUnit::taps, 1.0, 200.0};
        case PanelText::half: return {PortUnit::none, 0.0, 0.5};
        case PanelText::tenThousandths: return {PortUnit::tenThousandths, 0.0, 1.0};
        case PanelText::smoothing: return {PortUnit::none, 0.0, 0.7};
        case PanelText::attack: return {PortUnit::milliseconds, 0.0, 20.0};
        case PanelText::release: return {PortUnit::milliseconds, 0.0, 500.0};
        case PanelText::percent: return {PortUnit::percent, 0.0, 100.0};
        case PanelText::none: return {PortUnit::toggle, 0.0, 1.0};
    }
    return {PortUnit::none, 0.0, 1.0};
}

float clampedNormalised(double x) {
    if (!(x > 0.0)) return 0.0f;
    if (x >= 1.0) return 1.0f;
    return static_cast<float>(x);
}

}  // namespace

PortRange portRange(const ParameterInfo& info) {
    const LinearUnit linear = linearUnit(info.text);
    return {linear.unit, static_cast<float>(linear.offset),
            static_cast<float>(linear.offset + linear.scale)};
}

float portValueToNormalised(const ParameterInfo& info, float value) {
    const LinearUnit linear = linearUnit(info.text);
    switch (linear.unit) {
        case PortUnit::toggle: return value >= 0.5f ? 1.0f : 0.0f;
        case PortUnit::taps: {
            // Orders are whole numbers: the host may send any float, the engine gets the
            // nearest order in range. (t - 1) / 200 rounded to a float can fall just below
            // the step of t; the middle of the step cannot.
            const double taps = std::round(static_cast<double>(value));
            if (!(taps > 1.0)) return 0.0f;
            if (taps >= 201.0) return 1.0f;
            const float start = static_cast<float>((taps - 1.0) / 200.0);
            if (orderFromValue(start) == static_cast<int32_t>(taps)) return start;
            return static_cast<float>((taps - 0.5) / 200.0);
        }
        default:
            return clampedNormalised((static_cast<double>(value) - linear.offset) / linear.scale);
    }
}

float normalisedToPortValue(const ParameterInfo& info, float x) {
    const LinearUnit linear = linearUnit(info.text);
    if (linear.unit == PortUnit::toggle) return x >= 0.5f ? 1.0f : 0.0f;
    if (linear.unit == PortUnit::taps) return static_cast<float>(orderFromValue(x));
    return static_cast<float>(linear.offset + linear.scale * static_cast<double>(x));
}
