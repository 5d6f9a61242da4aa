#include "tools/measure/Resample.h"

#include <cmath>

#include <soxr.h>

bool resample(const std::vector<double>& input, double inputRate, double outputRate,
              std::vector<double>& output, std::string& error) {
    if (!(inputRate > 0.0) || !(outputRate > 0.0)) {
        error = "sample rates must be positive";
        return false;
    }
    if (inputRate == outputRate) {
        output = input;
        return true;
    }
    // The one-shot call flushes the filter, so the output has the input's duration at the
    // new rate.
    const size_t length = static_cast<size_t>(
        std::ceil(static_cast<double>(input.size()) * outputRate / inputRate));
    output.assign(length, 0.0);
    if (input.empty()) return true;
    soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT64_I, SOXR_FLOAT64_I);
    soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    size_t produced = 0;
    soxr_error_t failure = soxr_oneshot(inputRate, outputRate, 1, input.data(), input.size(),
                                        nullptr, output.data(), output.size(), &produced, &io,
                                        &quality, nullptr);
    if (failure != nullptr) {
        error = std::string("resampling failed: ") + failure;
        return false;
    }
    output.resize(produced);
    return true;
}
