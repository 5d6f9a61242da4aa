#pragma once
// Float-to-integer conversion for values a host hands over: truncation toward zero in range,
// NaN as 0 and anything beyond the 32-bit range pinned to its end, so the conversion is defined
// for every input.

#include <cmath>
#include <cstdint>

inline int32_t pinnedInt32(double x) {
    if (std::isnan(x)) return 0;
    if (x >= 2147483647.0) return INT32_MAX;
    if (x <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(x);
}
