#pragma once
// A small deterministic generator (splitmix64), so that a seed reproduces a whole run on every
// build.

#include <cstdint>

class Random {
public:
    explicit Random(uint64_t seed) : state(seed) {}
    uint64_t next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [lo, hi].
    int32_t range(int32_t lo, int32_t hi) {
        return lo + static_cast<int32_t>(next() % static_cast<uint64_t>(int64_t(hi) - lo + 1));
    }
    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    // Uniform in [-1, 1).
    float signal() { return static_cast<float>(unit() * 2.0 - 1.0); }
    bool chance(double p) { return unit() < p; }

private:
    uint64_t state;
};
