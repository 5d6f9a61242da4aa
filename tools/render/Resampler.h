#pragma once
// Converts one channel from one sample rate to another with libsoxr: very high quality, linear
// phase, float in and out (so no dither), on the calling thread only, so that the same input
// always gives the same output bits.

#include <cstddef>
#include <cstdint>
#include <string>

struct soxr;

class Resampler {
public:
    Resampler() = default;
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    bool open(double inputRate, double outputRate, std::string& error);
    // Feeds up to `inputCount` samples (null at the end of the input, to drain what the filter
    // still holds) and writes up to `outputCapacity` samples. Answers the output samples and
    // sets `consumed` to the input samples taken.
    size_t process(const float* input, size_t inputCount, size_t& consumed, float* output,
                   size_t outputCapacity);

    // The length of `frames` input frames at the output rate: the same duration, rounded.
    int64_t convertedLength(int64_t frames) const;

private:
    soxr* converter = nullptr;
    double ratio = 1.0;
};
