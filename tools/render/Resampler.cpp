#include "tools/render/Resampler.h"

#include <soxr.h>

#include <cmath>

Resampler::~Resampler() {
    if (converter != nullptr) soxr_delete(converter);
}

bool Resampler::open(double inputRate, double outputRate, std::string& error) {
    ratio = outputRate / inputRate;
    soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ | SOXR_LINEAR_PHASE, 0);
    soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t failure = nullptr;
    converter = soxr_create(inputRate, outputRate, 1, &failure, &io, &quality, &runtime);
    if (converter == nullptr || failure != nullptr) {
        error = std::string("cannot convert ") + std::to_string(inputRate) + " Hz to " +
                std::to_string(outputRate) + " Hz: " + (failure != nullptr ? failure : "libsoxr");
        return false;
    }
    return true;
}

size_t Resampler::process(const float* input, size_t inputCount, size_t& consumed, float* output,
                          size_t outputCapacity) {
    size_t produced = 0;
    consumed = 0;
    soxr_process(converter, input, input != nullptr ? inputCount : 0, &consumed, output,
                 outputCapacity, &produced);
    return produced;
}

int64_t Resampler::convertedLength(int64_t frames) const {
    return static_cast<int64_t>(std::llround(static_cast<double>(frames) * ratio));
}
