// Port values in the panel's units and their way back to the normalised values the core
// keeps: exact where a float allows it, so that defaults and presets reach the engine as the
// VST 2.x build's do.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "lv2/PortUnits.h"

namespace {

// The port value as a host reads it from the Turtle files: printed, then parsed as a float.
float throughText(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return std::strtof(text, nullptr);
}

bool isTaps(const ParameterInfo& info) { return portRange(info).unit == PortUnit::taps; }

}  // namespace

// Near the low end of the decibel ports a float port value is coarser than the normalised
// value, so there the way back can only be as close as one step of the port value.
TEST(PortUnits, DefaultsComeBackBitForBitAndOtherValuesWithinOneStepOfThePortValue) {
    for (int32_t slot = 0; slot < kParameterSlots; ++slot) {
        const ParameterInfo& info = slotInfo(slot);
        const float port = throughText(normalisedToPortValue(info, info.defaultValue));
        EXPECT_EQ(portValueToNormalised(info, port), info.defaultValue) << info.name;
        if (isTaps(info) || info.control == ControlKind::onOffSwitch) continue;
        const PortRange range = portRange(info);
        const double scale = static_cast<double>(range.maximum) - range.minimum;
        int exact = 0;
        for (int step = 0; step <= 1000; ++step) {
            const float x = static_cast<float>(step) / 1000.0f;
            const float value = throughText(normalisedToPortValue(info, x));
            const float back = portValueToNormalised(info, value);
            const double portStep = std::nextafter(std::fabs(value), INFINITY) - std::fabs(value);
            const double xStep = std::nextafter(x, 2.0f) - x;
            EXPECT_LE(std::fabs(static_cast<double>(back) - x), portStep / scale + xStep)
                << info.name << " at " << x;
            if (back == x) ++exact;
        }
        // A power-of-two scale without an offset is exact everywhere.
        if (range.minimum == 0.0f && std::ldexp(1.0, std::ilogb(scale)) == scale) {
            EXPECT_EQ(exact, 1001) << info.name;
        }
    }
}

TEST(PortUnits, EveryOrderFromOneTo201ReachesTheEngineAsThatOrder) {
    const ParameterInfo& info = *findParameter(kPredictionOrder);
    for (int32_t taps = 1; taps <= 201; ++taps) {
        const float x = portValueToNormalised(info, static_cast<float>(taps));
        EXPECT_EQ(orderFromValue(x), taps);
        EXPECT_EQ(normalisedToPortValue(info, x), static_cast<float>(taps));
    }
    // A host may send any float: the nearest order, and the ends beyond the range.
    EXPECT_EQ(orderFromValue(portValueToNormalised(info, 50.6f)), 51);
    EXPECT_EQ(orderFromValue(portValueToNormalised(info, 50.4f)), 50);
    EXPECT_EQ(orderFromValue(portValueToNormalised(info, -7.0f)), 1);
    EXPECT_EQ(orderFromValue(portValueToNormalised(info, 1e9f)), 201);
}

TEST(PortUnits, PortValuesAreWhatThePanelShows) {
    for (int32_t slot = 0; slot < kParameterSlots; ++slot) {
        const ParameterInfo& info = slotInfo(slot);
        if (info.text == PanelText::none) continue;
        for (float x : {0.0f, 0.1f, 0.25f, 0.5f, 0.8f, 1.0f}) {
            char text[64];
            formatPanelText(info.text, x, text);
            const double shown = std::strtod(text, nullptr);
            // The panel rounds to at most three decimals.
            EXPECT_NEAR(normalisedToPortValue(info, x), shown, 0.051) << info.name << " " << x;
        }
    }
}

TEST(PortUnits, RangesRunFromNormalisedZeroToOne) {
    for (int32_t slot = 0; slot < kParameterSlots; ++slot) {
        const ParameterInfo& info = slotInfo(slot);
        const PortRange range = portRange(info);
        EXPECT_LT(range.minimum, range.maximum) << info.name;
        EXPECT_EQ(normalisedToPortValue(info, 0.0f), range.minimum) << info.name;
        EXPECT_EQ(normalisedToPortValue(info, 1.0f), range.maximum) << info.name;
    }
    const ParameterInfo& volume = *findParameter(kVocodedVolume);
    EXPECT_EQ(portRange(volume).unit, PortUnit::decibels);
    EXPECT_EQ(portRange(volume).minimum, -96.0f);
    EXPECT_EQ(portRange(volume).maximum, 24.0f);
    EXPECT_EQ(portRange(*findParameter(kEnvelopeRelease)).maximum, 500.0f);
    EXPECT_EQ(portRange(*findParameter(kWhiten)).unit, PortUnit::toggle);
}

TEST(PortUnits, ValuesOutsideTheRangeTakeTheNearestEndAndNonFiniteOnesAreRefused) {
    for (int32_t slot = 0; slot < kParameterSlots; ++slot) {
        const ParameterInfo& info = slotInfo(slot);
        const PortRange range = portRange(info);
        EXPECT_EQ(portValueToNormalised(info, range.minimum - 1000.0f), 0.0f) << info.name;
        EXPECT_EQ(portValueToNormalised(info, range.maximum + 1000.0f), 1.0f) << info.name;
        EXPECT_EQ(portValueToNormalised(info, -std::numeric_limits<float>::max()), 0.0f);
        EXPECT_EQ(portValueToNormalised(info, std::numeric_limits<float>::max()), 1.0f);
    }
    EXPECT_FALSE(isUsablePortValue(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE(isUsablePortValue(std::numeric_limits<float>::infinity()));
    EXPECT_FALSE(isUsablePortValue(-std::numeric_limits<float>::infinity()));
    EXPECT_TRUE(isUsablePortValue(std::numeric_limits<float>::max()));
    EXPECT_TRUE(isUsablePortValue(std::numeric_limits<float>::denorm_min()));
}

TEST(PortUnits, TheWhiteningSwitchIsOnFromOneHalf) {
    const ParameterInfo& info = *findParameter(kWhiten);
    EXPECT_EQ(portValueToNormalised(info, 0.0f), 0.0f);
    EXPECT_EQ(portValueToNormalised(info, 0.49f), 0.0f);
    EXPECT_EQ(portValueToNormalised(info, 0.5f), 1.0f);
    EXPECT_EQ(portValueToNormalised(info, 1.0f), 1.0f);
    EXPECT_EQ(normalisedToPortValue(info, 0.7f), 1.0f);
    EXPECT_EQ(normalisedToPortValue(info, 0.2f), 0.0f);
}
