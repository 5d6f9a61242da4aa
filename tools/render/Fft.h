#pragma once
// In-place radix-2 FFT for the articulation measurement.

#include <complex>
#include <vector>

class Fft {
public:
    // Forward transform (e^-i), unscaled. The size must be a power of two; other sizes are left
    // untouched and false is answered.
    static bool forward(std::vector<std::complex<double>>& data);
};
