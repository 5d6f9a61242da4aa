// What the steps between two samples' chains add to the bound on this processor: the bound
// (BoundChains.h) against the same additions with each chain also waiting, sample by sample,
// where the engine's chains wait (serialSteps). Alternating runs per setting; the ratio of the
// fastest runs is the least engine / bound ratio the prescribed dependences allow here.
//
//   serial_steps [runs] [seconds of audio per run] [order...]   (defaults: 7 runs, 1 s)
//
// With orders, those orders (whitening off) instead of the four settings of engine_vs_bound.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "BoundChains.h"

using namespace bench;

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const double seconds = argc > 2 ? std::atof(argv[2]) : 1.0;
    const int frames = std::max(512, static_cast<int>(seconds * kRate));
    std::vector<std::string> names;
    const std::vector<Setting> settings = settingsFrom(argc, argv, 3, names);
    std::vector<float> out(512);
    std::printf("%-36s %12s %12s %8s\n", "setting", "bound ns/s", "+steps ns/s", "ratio");
    for (const Setting& setting : settings) {
        BoundChains plain(setting.n, setting.c, setting.whitening);
        BoundChains stepped(setting.n, setting.c, setting.whitening, true);
        // In blocks of 512, as engine_vs_bound runs the bound.
        auto inBlocks = [&](BoundChains& chains) {
            for (int start = 0; start < frames; start += 512)
                chains.run(out.data(), std::min(512, frames - start));
        };
        const auto [plainTimes, steppedTimes] =
            alternated(runs, [&] { inBlocks(plain); }, [&] { inBlocks(stepped); });
        const double least = fastest(plainTimes), steppedLeast = fastest(steppedTimes);
        std::printf("%-36s %12.1f %12.1f %8.3f\n", setting.name, least * 1e9 / frames,
                    steppedLeast * 1e9 / frames, steppedLeast / least);
        std::fflush(stdout);
    }
    return 0;
}
