#include "tools/render/Fft.h"

#include <cmath>
#include <utility>

bool Fft::forward(std::vector<std::complex<double>>& data) {
    const size_t n = data.size();
    if (n == 0 || (n & (n - 1)) != 0) return false;
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(data[i], data[j]);
    }
    const double pi = std::acos(-1.0);
    for (size_t length = 2; length <= n; length <<= 1) {
        const double angle = -2.0 * pi / static_cast<double>(length);
        for (size_t start = 0; start < n; start += length) {
            for (size_t k = 0; k < length / 2; ++k) {
                std::complex<double> twiddle(std::cos(angle * k), std::sin(angle * k));
                std::complex<double> odd = data[start + k + length / 2] * twiddle;
                data[start + k + length / 2] = data[start + k] - odd;
                data[start + k] = data[start + k] + odd;
            }
        }
    }
    return true;
}
