#include "tools/render/BandEnergy.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "tools/render/Fft.h"

std::vector<BandEnergy::Frame> BandEnergy::analyse(const std::vector<float>& signal,
                                                   double sampleRate) {
    return analyse(signal, sampleRate, Layout{});
}

double BandEnergy::decibels(double energy) { return 10.0 * std::log10(energy + 1e-12); }

std::vector<BandEnergy::Frame> BandEnergy::analyse(const std::vector<float>& signal,
                                                   double sampleRate, const Layout& layout) {
    std::vector<Frame> frames;
    if (!(sampleRate > 0.0) || !(layout.lowestHz > 0.0)) return frames;
    const size_t frameLength =
        static_cast<size_t>(std::lround(layout.frameSeconds * sampleRate));
    const size_t hop = static_cast<size_t>(std::lround(layout.hopSeconds * sampleRate));
    if (frameLength < 2 || hop < 1 || signal.size() < frameLength) return frames;
    // Zero-padded to a power of two at least twice the frame, so the lowest bands hold bins.
    size_t fftSize = 1;
    while (fftSize < 2 * frameLength) fftSize <<= 1;

    const double pi = std::acos(-1.0);
    std::vector<double> window(frameLength);
    for (size_t i = 0; i < frameLength; ++i) {
        window[i] = 0.5 - 0.5 * std::cos(2.0 * pi * static_cast<double>(i) /
                                         static_cast<double>(frameLength - 1));
    }
    const double highest = std::min(layout.highestHz, sampleRate / 2.0);
    std::array<double, kBands + 1> edges;
    for (int b = 0; b <= kBands; ++b) {
        edges[static_cast<size_t>(b)] = layout.lowestHz * std::pow(highest / layout.lowestHz,
                                                                   static_cast<double>(b) / kBands);
    }

    std::vector<std::complex<double>> spectrum(fftSize);
    for (size_t start = 0; start + frameLength <= signal.size(); start += hop) {
        std::fill(spectrum.begin(), spectrum.end(), std::complex<double>(0.0, 0.0));
        for (size_t i = 0; i < frameLength; ++i) {
            spectrum[i] = static_cast<double>(signal[start + i]) * window[i];
        }
        Fft::forward(spectrum);
        Frame energies{};
        for (size_t k = 1; k < fftSize / 2; ++k) {
            double hz = static_cast<double>(k) * sampleRate / static_cast<double>(fftSize);
            if (hz < edges[0] || hz >= edges[kBands]) continue;
            int band =
                static_cast<int>(std::upper_bound(edges.begin(), edges.end(), hz) - edges.begin()) -
                1;
            energies[static_cast<size_t>(band)] += std::norm(spectrum[k]);
        }
        for (double& energy : energies) energy = decibels(energy);
        frames.push_back(energies);
    }
    return frames;
}

double BandEnergy::pearson(const std::vector<double>& x, const std::vector<double>& y) {
    const size_t n = std::min(x.size(), y.size());
    if (n < 2) return 0.0;
    double meanX = 0.0;
    double meanY = 0.0;
    for (size_t i = 0; i < n; ++i) {
        meanX += x[i];
        meanY += y[i];
    }
    meanX /= static_cast<double>(n);
    meanY /= static_cast<double>(n);
    double sxy = 0.0;
    double sxx = 0.0;
    double syy = 0.0;
    for (size_t i = 0; i < n; ++i) {
        double dx = x[i] - meanX;
        double dy = y[i] - meanY;
        sxy += dx * dy;
        sxx += dx * dx;
        syy += dy * dy;
    }
    if (sxx <= 0.0 || syy <= 0.0) return 0.0;
    return sxy / std::sqrt(sxx * syy);
}

double BandEnergy::correlation(const std::vector<Frame>& a, const std::vector<Frame>& b) {
    const size_t n = std::min(a.size(), b.size());
    double sum = 0.0;
    std::vector<double> x(n);
    std::vector<double> y(n);
    for (int band = 0; band < kBands; ++band) {
        for (size_t t = 0; t < n; ++t) {
            x[t] = a[t][static_cast<size_t>(band)];
            y[t] = b[t][static_cast<size_t>(band)];
        }
        sum += pearson(x, y);
    }
    return sum / kBands;
}
