#include "host/TextFormat.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {
const int kWidth = 8;

// The digit of the running quotient's lowest decimal place, read by truncation.
char lowestDigit(double quotient) {
    int digit = static_cast<int>(std::fmod(quotient, 10.0));
    if (digit < 0 || digit > 9) digit = 0;
    return static_cast<char>('0' + digit);
}
}  // namespace

void formatFloatText(float value, char* text) {
    if (!text) return;
    double v = value;
    if (std::isnan(v)) {  // no digits to show; keep the display readable
        std::strcpy(text, "NaN");
        return;
    }
    const bool negative = v < 0.0;
    if (negative) v = -v;
    if ((!negative && v > 99999999.0) || (negative && v > 9999999.0)) {
        std::strcpy(text, "Huge!");
        return;
    }

    int n = negative ? 1 : 0;
    char integerDigits[kWidth];
    int integerCount = 0;
    double quotient = std::floor(v);
    integerDigits[integerCount++] = lowestDigit(quotient);
    quotient *= 0.1;
    n += 2;  // the lowest digit and the decimal point
    while (quotient >= 1.0 && n < kWidth) {
        integerDigits[integerCount++] = lowestDigit(quotient);
        quotient *= 0.1;
        ++n;
    }

    char* out = text;
    if (negative) *out++ = '-';
    while (integerCount > 0) *out++ = integerDigits[--integerCount];
    *out++ = '.';

    if (n < kWidth) {
        const int k = kWidth - n;
        char fractionDigits[kWidth];
        double m = std::fmod(v, 1.0) * std::pow(10.0, k);
        for (int i = 0; i < k; ++i) {
            if (m > 0.0) {
                fractionDigits[i] = lowestDigit(m);
                m *= 0.1;
            } else {
                fractionDigits[i] = '0';
            }
        }
        for (int i = k - 1; i >= 0; --i) *out++ = fractionDigits[i];
    }
    *out = '\0';
}

void formatIntegerText(int32_t value, char* text) {
    if (!text) return;
    if (value >= 100000000) {
        std::strcpy(text, "Huge!");
        return;
    }
    char wide[16];
    std::snprintf(wide, sizeof wide, "%7d", static_cast<int>(value));
    wide[kWidth] = '\0';
    std::strcpy(text, wide);
}

void formatDecibelsText(float value, char* text) {
    if (!text) return;
    if (value > 0.0f) {
        formatFloatText(static_cast<float>(20.0 * std::log10(static_cast<double>(value))), text);
    } else {
        std::strcpy(text, "-oo");
    }
}
