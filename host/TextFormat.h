#pragma once
// Number-to-text helpers for parameter displays: each writes at most 9 bytes (8 characters and
// the terminator) into the caller's buffer.

#include <cstdint>

// Exactly 8 characters, the fraction truncated, or "Huge!" when the value does not fit.
void formatFloatText(float value, char* text);
// "%7d" cut to 8 characters, or "Huge!" from 100000000 up.
void formatIntegerText(int32_t value, char* text);
// 20 * log10(value) through formatFloatText, or "-oo" for values that are not above 0.
void formatDecibelsText(float value, char* text);
