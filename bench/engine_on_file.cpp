// The plug-in's processing time alone on a stereo file (left carrier, right modulator): the
// file is read into memory first, then only the processing calls are timed, loaded and driven
// the way ostraquelle-render does it (same host code, same block size). bench/render-overhead.sh
// compares the renderer's whole-process time with this.
//
//   engine_on_file PLUGIN STEREO_FILE [block size]
// prints two figures: the wall-clock seconds spent processing, and the CPU seconds the
// processing thread used meanwhile (which a busy machine's preemptions do not inflate).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "tools/render/InputPair.h"
#include "tools/render/PluginHost.h"

namespace {

double threadSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: engine_on_file PLUGIN STEREO_FILE [block size]\n");
        return 2;
    }
    const int block = argc > 3 ? std::atoi(argv[3]) : 512;
    std::string error;
    InputPair input;
    if (!input.openStereo(argv[2], error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::vector<float> carrier, modulator;
    std::vector<float> c(block), m(block);
    for (;;) {
        const int64_t frames = input.read(c.data(), m.data(), block);
        if (frames <= 0) break;
        carrier.insert(carrier.end(), c.begin(), c.begin() + frames);
        modulator.insert(modulator.end(), m.begin(), m.begin() + frames);
    }
    PluginHost host;
    if (!host.load(argv[1], input.sampleRate(), block, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::vector<std::vector<float>> out(static_cast<size_t>(host.numOutputs()),
                                        std::vector<float>(block));
    std::vector<float*> outputs;
    for (auto& buffer : out) outputs.push_back(buffer.data());
    host.start();
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = threadSeconds();
    const size_t total = carrier.size();
    for (size_t at = 0; at < total; at += static_cast<size_t>(block)) {
        const int frames = static_cast<int>(std::min<size_t>(block, total - at));
        float* inputs[2] = {&carrier[at], &modulator[at]};
        host.process(inputs, outputs.data(), frames);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = threadSeconds() - cpuStart;
    host.stop();
    std::printf("%.4f %.4f\n", seconds, cpu);
    return 0;
}
