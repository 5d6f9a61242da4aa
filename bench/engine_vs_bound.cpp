// Engine time divided by bound time, measured in one run: for each setting the engine's
// block processing (512-frame blocks, as a host calls the plug-in) and the bound (BoundChains.h: only the
// prescribed additions with their data dependence) process the same number of samples in
// alternating runs; the medians of the runs are compared.
//
//   engine_vs_bound [runs] [seconds of audio per run] [pass] [order...]   (defaults: 7 runs, 1 s)
//
// pass "two" keeps the engine on its two-entry (SSE2) pass, the one the 32-bit DLL runs;
// "four" on the four-entry pass's AVX compilation; otherwise a 64-bit build takes the widest
// code the processor runs (the four-entry pass, compiled for AVX-512 where it has that).
//
// With orders, those orders (whitening off) are measured instead of the four settings: the
// engine's cost beside the bound's as the order grows shows what each sample costs besides its
// sums (pass "" for the widest code).
//
// Times are the thread's CPU time, so that a busy machine's preemptions do not count. Work on
// the other hardware thread of the core still slows either side by a varying amount, so two
// ratios are printed: of the medians, and of the fastest runs (the least disturbed; the last
// column, which compare-ratios.sh reads). Read the ratios, not the absolute times.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "BoundChains.h"
#include "EngineSetup.h"

using namespace bench;

namespace {

// Trees from before the AVX-512 compilation have no allowEvexEncoding: this file also builds
// against them, for before/after comparisons.
template <typename Engine>
auto allowEvex(bool allowed, int) -> decltype(Engine::allowEvexEncoding(allowed)) {
    return Engine::allowEvexEncoding(allowed);
}
template <typename Engine>
bool allowEvex(bool, long) {
    return false;
}

const int kBlock = 512;

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const double seconds = argc > 2 ? std::atof(argv[2]) : 1.0;
    const int frames = std::max(kBlock, static_cast<int>(seconds * kRate));
    const std::string pass = argc > 3 ? argv[3] : "";
    const bool wide = VocoderEngine::allowWidePass(pass != "two");
    const bool evex = allowEvex<VocoderEngine>(pass != "four", 0) && wide;

    std::vector<float> carrier(frames), modulator(frames);
    uint32_t seed = 1;
    for (int k = 0; k < frames; ++k) {
        seed = seed * 1664525u + 1013904223u;
        carrier[k] = 0.5f * static_cast<float>(static_cast<int32_t>(seed) / 2147483648.0);
        seed = seed * 1664525u + 1013904223u;
        modulator[k] = 0.5f * static_cast<float>(static_cast<int32_t>(seed) / 2147483648.0);
    }
    std::vector<std::vector<float>> out(8, std::vector<float>(kBlock));
    std::vector<float> boundOut(kBlock);

    // Footprint: the engine allocates nothing after construction.
    std::printf("sizeof: engine %zu bytes\n", sizeof(VocoderEngine));
    std::printf("engine pass: %s\n", evex   ? "four entries (AVX, compiled for AVX-512)"
                                     : wide ? "four entries (AVX)"
                                            : "two entries (SSE2)");
    std::printf("%-36s %12s %12s %8s %12s %12s %8s\n", "setting", "engine ns/s", "bound ns/s",
                "ratio", "fastest eng", "fastest bnd", "ratio");
    std::vector<std::string> names;
    const std::vector<Setting> settings = settingsFrom(argc, argv, 4, names);
    for (const Setting& setting : settings) {
        std::unique_ptr<VocoderEngine> vocoder(new VocoderEngine());
        applyDefaultSettings(*vocoder);
        vocoder->setModulatorOrder(setting.n);
        vocoder->setCarrierOrder(setting.c);
        vocoder->setWhitening(setting.whitening);
        BoundChains bound(setting.n, setting.c, setting.whitening);

        auto runEngine = [&] {
            float* outputs[8];
            for (int c = 0; c < 8; ++c) outputs[c] = out[c].data();
            for (int start = 0; start < frames; start += kBlock) {
                const int n = std::min(kBlock, frames - start);
                processBlock(*vocoder, &carrier[start], &modulator[start], outputs, n);
            }
        };
        auto runBound = [&] {
            for (int start = 0; start < frames; start += kBlock)
                bound.run(boundOut.data(), std::min(kBlock, frames - start));
        };
        const auto [engineTimes, boundTimes] = alternated(runs, runEngine, runBound);
        const double engine = median(engineTimes), limit = median(boundTimes);
        const double engineLeast = fastest(engineTimes), limitLeast = fastest(boundTimes);
        std::printf("%-36s %12.1f %12.1f %8.3f %12.1f %12.1f %8.3f\n", setting.name,
                    engine * 1e9 / frames, limit * 1e9 / frames, engine / limit,
                    engineLeast * 1e9 / frames, limitLeast * 1e9 / frames,
                    engineLeast / limitLeast);
        std::fflush(stdout);
    }
    return 0;
}
