#include "MeasureTestSignals.h"

#include <cmath>
#include <cstdlib>
#include <random>
#include <stdexcept>

#include "tools/measure/Resample.h"
#include "tools/render/InputFile.h"

namespace measuretest {

const Voice& demoVoice() {
    static const Voice voice = [] {
        const char* source = std::getenv("OSTRAQUELLE_SOURCE_DIR");
        std::string path = std::string(source ? source : ".") + "/demo/modulator.wav";
        InputFile file;
        std::string error;
        if (!file.open(path, error)) throw std::runtime_error(error);
        Voice v;
        v.rate = file.sampleRate();
        std::vector<float> block(65536);
        for (;;) {
            int64_t got = file.readMono(block.data(), static_cast<int64_t>(block.size()));
            if (got <= 0) break;
            v.samples.insert(v.samples.end(), block.begin(), block.begin() + got);
        }
        return v;
    }();
    return voice;
}

std::vector<float> noise(size_t length, double amplitude, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> gauss(0.0, amplitude);
    std::vector<float> out(length);
    for (float& s : out) s = static_cast<float>(gauss(random));
    return out;
}

std::vector<float> sawtoothChord(size_t length, double rate, double amplitude) {
    const double notes[] = {110.0, 138.59, 164.81, 220.0};
    std::vector<float> out(length);
    for (size_t i = 0; i < length; ++i) {
        double sum = 0.0;
        for (double f : notes) {
            double phase = std::fmod(f * static_cast<double>(i) / rate, 1.0);
            sum += 2.0 * phase - 1.0;
        }
        out[i] = static_cast<float>(amplitude * sum / 4.0);
    }
    return out;
}

std::vector<float> delayed(const std::vector<float>& signal, size_t samples) {
    std::vector<float> out(signal.size(), 0.0f);
    for (size_t i = samples; i < signal.size(); ++i) out[i] = signal[i - samples];
    return out;
}

std::vector<float> added(const std::vector<float>& a, const std::vector<float>& b) {
    std::vector<float> out(a);
    for (size_t i = 0; i < out.size() && i < b.size(); ++i) out[i] += b[i];
    return out;
}

std::vector<float> lowPassed(const std::vector<float>& signal, double rate, double cutoffHz) {
    std::vector<double> x(signal.begin(), signal.end());
    std::vector<double> low;
    std::vector<double> back;
    std::string error;
    if (!resample(x, rate, 2.0 * cutoffHz, low, error) ||
        !resample(low, 2.0 * cutoffHz, rate, back, error)) {
        throw std::runtime_error(error);
    }
    back.resize(signal.size(), 0.0);
    return std::vector<float>(back.begin(), back.end());
}

}  // namespace measuretest
