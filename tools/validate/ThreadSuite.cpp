#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "Random.h"
#include "Suites.h"

// One thread processes without pause while another does what a host's user interface and
// automation do, all at once: every parameter, program switches, renames, copies and rate
// changes. No crash, no non-finite output.
void runThreadSuite(const PluginLibrary& library, const Options& options, Report& report) {
    report.beginSuite("threads");
    Effect effect(library);
    if (!report.check(effect.valid(), "no effect to run")) return;
    effect.start();
    std::atomic<bool> stop(false);
    std::atomic<long> blocks(0), badBlocks(0), changes(0);

    std::thread audio([&] {
        AudioBlock block(effect.get()->numInputs, effect.get()->numOutputs, 128);
        int64_t position = 0;
        while (!stop.load()) {
            block.fillMaterial(options.seed, position);
            position += block.frames;
            effect.process(block);
            blocks++;
            if (!block.outputsFinite()) badBlocks++;
        }
    });

    Random random(options.seed * 11 + 5);
    const int32_t params = effect.get()->numParams;
    const int32_t programs = effect.get()->numPrograms;
    const float rates[] = {22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f};
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(options.threadSeconds);
    while (std::chrono::steady_clock::now() < end) {
        for (int i = 0; i < 200; i++) {
            const int action = random.range(0, 19);
            if (action < 15 && params > 0) {
                effect.set(random.range(0, params - 1), static_cast<float>(random.unit()));
            } else if (action == 15 && programs > 0) {
                effect.dispatch(effSetProgram, 0, random.range(0, programs - 1));
            } else if (action == 16) {
                char name[64];
                std::snprintf(name, sizeof name, "take %d", random.range(0, 999));
                effect.dispatch(effSetProgramName, 0, 0, name);
            } else if (action == 17 && programs > 0) {
                effect.dispatch(effCopyProgram, random.range(0, programs - 1));
            } else if (action == 18) {
                effect.dispatch(effSetSampleRate, 0, 0, nullptr, rates[random.range(0, 4)]);
            } else {
                char text[256] = {0};
                effect.dispatch(effGetParamDisplay, random.range(0, params > 0 ? params - 1 : 0), 0,
                                text);
            }
            changes++;
        }
        std::this_thread::yield();
    }
    stop = true;
    audio.join();
    report.check(blocks.load() > 0, "the audio thread processed nothing");
    report.check(badBlocks.load() == 0,
                 "%ld of %ld blocks had non-finite output during %ld "
                 "changes",
                 badBlocks.load(), blocks.load(), changes.load());
    AudioBlock block(effect.get()->numInputs, effect.get()->numOutputs, 256);
    report.check(settlesFinite(effect, block, options.seed, 2), "output not finite afterwards");
}
