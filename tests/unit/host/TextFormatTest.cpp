#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "TestEffect.h"
#include "host/TextFormat.h"

namespace {
std::string floatText(float v) {
    char text[32];
    std::memset(text, 'x', sizeof text);
    formatFloatText(v, text);
    EXPECT_LE(std::strlen(text), 8u);
    return text;
}
std::string integerText(int32_t v) {
    char text[32];
    formatIntegerText(v, text);
    return text;
}
}  // namespace

TEST(FormatFloat, TruncatesToEightCharacters) {
    EXPECT_EQ(floatText(0.8f), "0.800000");
    EXPECT_EQ(floatText(0.7f), "0.699999");
    EXPECT_EQ(floatText(0.25f), "0.250000");
    EXPECT_EQ(floatText(-96.0f), "-96.0000");
    EXPECT_EQ(floatText(24.0f), "24.00000");
    EXPECT_EQ(floatText(44100.0f), "44100.00");
    EXPECT_EQ(floatText(1234567.0f), "1234567.");
    EXPECT_EQ(floatText(0.0f), "0.000000");
    EXPECT_EQ(floatText(-0.5f), "-0.50000");
    EXPECT_EQ(floatText(100.0f), "100.0000");
}

TEST(FormatFloat, TooLargeValuesSayHuge) {
    EXPECT_EQ(floatText(100000000.0f), "Huge!");
    EXPECT_EQ(floatText(-10000000.0f), "Huge!");
    EXPECT_EQ(floatText(99999999.0f), "Huge!");  // the float rounds to 100000000
    EXPECT_EQ(floatText(INFINITY), "Huge!");
    EXPECT_EQ(floatText(-INFINITY), "Huge!");
    EXPECT_EQ(floatText(NAN), "NaN");
    // Full-width values lose their leading digit rather than overrunning 8 characters.
    EXPECT_EQ(floatText(12345678.0f), "2345678.");
    EXPECT_EQ(floatText(-1234567.0f), "-234567.");
}

TEST(FormatInteger, PadsCutsAndOverflows) {
    EXPECT_EQ(integerText(99999999), "99999999");
    EXPECT_EQ(integerText(100000000), "Huge!");
    EXPECT_EQ(integerText(5), "      5");
    EXPECT_EQ(integerText(-123456789), "-1234567");
    EXPECT_EQ(integerText(INT32_MIN), "-2147483");
}

TEST(FormatUnits, DecibelsFrequencyAndMilliseconds) {
    TestEffect effect;
    char text[16];
    effect.formatDecibels(1.0f, text);
    EXPECT_STREQ(text, "0.000000");
    effect.formatDecibels(0.0f, text);
    EXPECT_STREQ(text, "-oo");
    effect.formatDecibels(-1.0f, text);
    EXPECT_STREQ(text, "-oo");
    effect.formatDecibels(NAN, text);
    EXPECT_STREQ(text, "-oo");
    effect.formatDecibels(0.1f, text);
    EXPECT_STREQ(text, "-20.0000");
    effect.formatFrequency(0.0f, text);
    EXPECT_STREQ(text, "0.000000");
    effect.formatFrequency(441.0f, text);
    EXPECT_STREQ(text, "100.0000");
    effect.formatMilliseconds(44100.0f, text);
    EXPECT_STREQ(text, "1000.000");
    effect.formatInteger(42, text);
    EXPECT_STREQ(text, "     42");
    effect.setSampleRate(0.0f);  // a host that never set a rate must not crash the display
    effect.formatMilliseconds(100.0f, text);
    EXPECT_STREQ(text, "Huge!");
    effect.formatMilliseconds(0.0f, text);
    EXPECT_STREQ(text, "NaN");
}
