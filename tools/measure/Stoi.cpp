#include "tools/measure/Stoi.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <string>

#include "tools/measure/Resample.h"
#include "tools/render/Fft.h"

namespace {

// Keeps the divisions of the normalisation and the correlation finite on all-zero envelopes.
constexpr double kEpsilon = std::numeric_limits<double>::epsilon();

// The Hann window without its zero end points, as the method's reference code uses.
const std::vector<double>& window() {
    static const std::vector<double> w = [] {
        const double pi = std::acos(-1.0);
        std::vector<double> values(Stoi::kFrameLength);
        for (int i = 0; i < Stoi::kFrameLength; ++i) {
            values[static_cast<size_t>(i)] =
                0.5 - 0.5 * std::cos(2.0 * pi * (i + 1) / (Stoi::kFrameLength + 1));
        }
        return values;
    }();
    return w;
}

size_t frameCount(size_t length) {
    if (length < static_cast<size_t>(Stoi::kFrameLength)) return 0;
    return (length - Stoi::kFrameLength) / Stoi::kHop + 1;
}

double norm(const double* values, int count) {
    double sum = 0.0;
    for (int i = 0; i < count; ++i) sum += values[i] * values[i];
    return std::sqrt(sum);
}

}  // namespace

std::array<Stoi::Band, Stoi::kBands> Stoi::bands() {
    std::array<Band, kBands> table{};
    const int bins = kFftSize / 2 + 1;
    auto nearestBin = [bins](double hz) {
        int best = 0;
        double bestDistance = std::numeric_limits<double>::infinity();
        for (int k = 0; k < bins; ++k) {
            double distance = std::fabs(k * kRate / kFftSize - hz);
            if (distance < bestDistance) {
                bestDistance = distance;
                best = k;
            }
        }
        return best;
    };
    for (int k = 0; k < kBands; ++k) {
        // Edges a sixth of an octave either side of the centre 150 Hz * 2^(k/3).
        double low = kLowestCentreHz * std::pow(2.0, (2.0 * k - 1.0) / 6.0);
        double high = kLowestCentreHz * std::pow(2.0, (2.0 * k + 1.0) / 6.0);
        table[static_cast<size_t>(k)] = {nearestBin(low), nearestBin(high)};
    }
    return table;
}

void Stoi::removeSilentFrames(std::vector<double>& clean, std::vector<double>& processed) {
    processed.resize(clean.size(), 0.0);
    const std::vector<double>& w = window();
    const size_t frames = frameCount(clean.size());
    std::vector<double> energies(frames);
    std::vector<double> windowed(kFrameLength);
    for (size_t j = 0; j < frames; ++j) {
        const double* x = clean.data() + j * kHop;
        for (int i = 0; i < kFrameLength; ++i) windowed[size_t(i)] = x[i] * w[size_t(i)];
        energies[j] = 20.0 * std::log10(norm(windowed.data(), kFrameLength) + kEpsilon);
    }
    const double loudest =
        frames > 0 ? *std::max_element(energies.begin(), energies.end()) : 0.0;
    std::vector<double> cleanKept;
    std::vector<double> processedKept;
    size_t kept = 0;
    for (size_t j = 0; j < frames; ++j) {
        if (!(energies[j] > loudest - kRangeDb)) continue;
        const size_t in = j * kHop;
        const size_t out = kept * kHop;
        cleanKept.resize(out + kFrameLength, 0.0);
        processedKept.resize(out + kFrameLength, 0.0);
        for (int i = 0; i < kFrameLength; ++i) {
            cleanKept[out + size_t(i)] += clean[in + size_t(i)] * w[size_t(i)];
            processedKept[out + size_t(i)] += processed[in + size_t(i)] * w[size_t(i)];
        }
        ++kept;
    }
    clean.swap(cleanKept);
    processed.swap(processedKept);
}

std::vector<std::array<double, Stoi::kBands>> Stoi::envelopes(const std::vector<double>& signal) {
    const std::vector<double>& w = window();
    const auto table = bands();
    const size_t frames = frameCount(signal.size());
    std::vector<std::array<double, kBands>> result(frames);
    std::vector<std::complex<double>> spectrum(kFftSize);
    for (size_t j = 0; j < frames; ++j) {
        std::fill(spectrum.begin(), spectrum.end(), std::complex<double>(0.0, 0.0));
        for (int i = 0; i < kFrameLength; ++i) {
            spectrum[size_t(i)] = signal[j * kHop + size_t(i)] * w[size_t(i)];
        }
        Fft::forward(spectrum);
        for (int b = 0; b < kBands; ++b) {
            double energy = 0.0;
            for (int k = table[size_t(b)].first; k < table[size_t(b)].end; ++k) {
                energy += std::norm(spectrum[size_t(k)]);
            }
            result[j][size_t(b)] = std::sqrt(energy);
        }
    }
    return result;
}

double Stoi::segmentCorrelation(const double* clean, const double* processed) {
    constexpr int n = kSegmentFrames;
    const double gain = norm(clean, n) / (norm(processed, n) + kEpsilon);
    const double ceiling = 1.0 + std::pow(10.0, -kLowestSdrDb / 20.0);
    double y[n];
    double x[n];
    double meanX = 0.0;
    double meanY = 0.0;
    for (int t = 0; t < n; ++t) {
        y[t] = std::min(processed[t] * gain, clean[t] * ceiling);
        x[t] = clean[t];
        meanX += x[t];
        meanY += y[t];
    }
    meanX /= n;
    meanY /= n;
    for (int t = 0; t < n; ++t) {
        x[t] -= meanX;
        y[t] -= meanY;
    }
    const double normX = norm(x, n) + kEpsilon;
    const double normY = norm(y, n) + kEpsilon;
    double sum = 0.0;
    for (int t = 0; t < n; ++t) sum += (x[t] / normX) * (y[t] / normY);
    return sum;
}

Measurement Stoi::measureAt10k(std::vector<double> clean, std::vector<double> processed) {
    removeSilentFrames(clean, processed);
    const auto x = envelopes(clean);
    const auto y = envelopes(processed);
    if (x.size() < static_cast<size_t>(kSegmentFrames)) {
        return Measurement::refused(
            "the voice holds less than one 384 ms segment of sound (30 frames at 10 kHz)");
    }
    const size_t segments = x.size() - kSegmentFrames + 1;
    std::vector<double> cleanBand(x.size());
    std::vector<double> processedBand(x.size());
    double sum = 0.0;
    for (int b = 0; b < kBands; ++b) {
        for (size_t t = 0; t < x.size(); ++t) {
            cleanBand[t] = x[t][size_t(b)];
            processedBand[t] = y[t][size_t(b)];
        }
        for (size_t m = 0; m < segments; ++m) {
            sum += segmentCorrelation(cleanBand.data() + m, processedBand.data() + m);
        }
    }
    const double score = sum / (static_cast<double>(kBands) * static_cast<double>(segments));
    // Samples near the float limit overflow the band energies; no score is better than NaN.
    if (!std::isfinite(score)) return Measurement::refused("a signal is too loud to measure");
    return Measurement::of(score);
}

Measurement Stoi::measure(const std::vector<float>& clean, double cleanRate,
                          const std::vector<float>& processed, double processedRate) {
    Measurement checked = checkPair(clean, cleanRate, processed, processedRate);
    if (!checked.ok) return checked;
    std::vector<double> x(clean.begin(), clean.end());
    std::vector<double> y(processed.begin(), processed.end());
    // The shorter signal is padded with silence, as the renderer pads its inputs.
    y.resize(x.size(), 0.0);
    std::vector<double> x10;
    std::vector<double> y10;
    std::string error;
    if (!resample(x, cleanRate, kRate, x10, error) || !resample(y, cleanRate, kRate, y10, error)) {
        return Measurement::refused(error);
    }
    return measureAt10k(std::move(x10), std::move(y10));
}
