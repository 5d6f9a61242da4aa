#pragma once
// Finite-number checks on plain bit patterns, so that they vectorise and behave the same
// whatever the floating-point control state.

#include <cstdint>
#include <cstring>

// True when value is neither infinite nor NaN.
inline bool isFiniteValue(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return (bits & 0x7FF0000000000000ull) != 0x7FF0000000000000ull;
}

// True when none of the count values is infinite or NaN.
inline bool allFinite(const double* values, int32_t count) {
    uint64_t worst = 0;
    for (int32_t i = 0; i < count; ++i) {
        uint64_t bits;
        std::memcpy(&bits, values + i, sizeof bits);
        const uint64_t exponent = bits & 0x7FF0000000000000ull;
        worst |= (exponent == 0x7FF0000000000000ull) ? 1u : 0u;
    }
    return worst == 0;
}

// True when none of the count samples is infinite or NaN.
inline bool allFiniteFloats(const float* values, int32_t count) {
    uint32_t worst = 0;
    for (int32_t i = 0; i < count; ++i) {
        uint32_t bits;
        std::memcpy(&bits, values + i, sizeof bits);
        worst |= (bits & 0x7F800000u) == 0x7F800000u ? 1u : 0u;
    }
    return worst == 0;
}

// Replaces every infinite or NaN value by 0 and keeps the others bit for bit, several values
// per instruction.
inline void zeroNonFinite(float* values, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        uint32_t bits;
        std::memcpy(&bits, values + i, sizeof bits);
        bits &= (bits & 0x7F800000u) == 0x7F800000u ? 0u : ~0u;
        std::memcpy(values + i, &bits, sizeof bits);
    }
}
