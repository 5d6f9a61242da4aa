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

#include "BoundChains.h"
#include "EngineSetup.h"

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

const int kRate = 44100;
const int kBlock = 512;

struct Setting {
    const char* name;
    bool whitening;
    int32_t n;  // modulator and carrier order
    int32_t c;
};

const Setting kSettings[] = {
    {"defaults (order 51, whitening off)", false, 51, 51},
    {"orders 201/201, whitening on", true, 201, 201},
    {"order 16, whitening off", false, 16, 51},
    {"order 1024, whitening off", false, 1024, 51},
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double fastest(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

// CPU time of this thread: on a shared machine the time spent descheduled is not counted.
// A Windows build (run under wine, for the 32-bit code) has no such clock at this resolution
// and takes the steady wall clock instead.
double threadSeconds() {
#ifdef _WIN32
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
#else
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
#endif
}

template <typename Work>
double timed(Work work) {
    const double start = threadSeconds();
    work();
    return threadSeconds() - start;
}

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
    std::vector<Setting> settings(std::begin(kSettings), std::end(kSettings));
    std::vector<std::string> names;
    if (argc > 4) {
        settings.clear();
        names.reserve(static_cast<size_t>(argc));  // the settings point into these names
        for (int a = 4; a < argc; ++a) {
            const int32_t n = static_cast<int32_t>(std::atoi(argv[a]));
            names.push_back("order " + std::to_string(n) + ", whitening off");
            settings.push_back({names.back().c_str(), false, n, 51});
        }
    }
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
        runEngine();  // warm-up: caches, branch predictors, page faults
        runBound();
        std::vector<double> engineTimes, boundTimes;
        for (int r = 0; r < runs; ++r) {
            engineTimes.push_back(timed(runEngine));
            boundTimes.push_back(timed(runBound));
        }
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
