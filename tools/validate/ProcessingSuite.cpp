#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "Random.h"
#include "Suites.h"

namespace {

// After every case: the effect recovers within two blocks, and a reset gives exact silence.
void checkRecovery(Effect& effect, Report& report, uint64_t seed, const char* what, double size) {
    AudioBlock block(effect.get()->numInputs, effect.get()->numOutputs, 256);
    report.check(settlesFinite(effect, block, seed, 2), "%s %g: output not finite two blocks later",
                 what, size);
    report.check(silentAfterReset(effect, block),
                 "%s %g: silence after suspend/resume is not "
                 "exact silence",
                 what, size);
}

}  // namespace

void runProcessingSuite(const PluginLibrary& library, const Options& options, Report& report) {
    report.beginSuite("processing");
    Effect effect(library);
    if (!report.check(effect.valid(), "no effect to process with")) return;
    effect.start(44100.0f, 512);
    const int32_t ins = effect.get()->numInputs, outs = effect.get()->numOutputs;
    Random random(options.seed * 5 + 3);

    // Block sizes in random order, also beyond the announced 512.
    std::vector<int32_t> sizes = {0, 1, 2, 3, 7, 64, 511, 4096, 8192};
    for (size_t i = sizes.size(); i > 1; i--) std::swap(sizes[i - 1], sizes[random.next() % i]);
    for (int32_t size : sizes) {
        AudioBlock block(ins, outs, size);
        block.fillMaterial(options.seed, 0);
        block.fillOutputs(-7.0f);
        effect.process(block);
        report.check(block.outputsFinite(), "block of %d frames: non-finite output", size);
        if (size > 0) {
            bool written = true;
            for (auto& channel : block.out)
                written = written && std::find(channel.begin(), channel.begin() + size, -7.0f) ==
                                         channel.begin() + size;
            report.check(written, "block of %d frames: outputs left unwritten", size);
        }
        checkRecovery(effect, report, options.seed, "block size", size);
    }

    // Rates from 8 kHz to 384 kHz, and the absurd ones.
    for (float rate : {8000.0f, 11025.0f, 22050.0f, 48000.0f, 96000.0f, 192000.0f, 384000.0f, 0.0f,
                       -44100.0f, std::numeric_limits<float>::quiet_NaN(), 1e30f}) {
        effect.suspend();
        effect.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        effect.resume();
        AudioBlock block(ins, outs, 512);
        block.fillMaterial(options.seed, 0);
        effect.process(block);
        report.check(block.outputsFinite(), "rate %g: non-finite output",
                     static_cast<double>(rate));
        checkRecovery(effect, report, options.seed, "rate", rate);
    }
    effect.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);

    // Outputs from the third on absent; the first two in place over the inputs.
    {
        AudioBlock block(ins, outs, 300);
        block.fillMaterial(options.seed, 0);
        for (size_t c = 2; c < block.outputs.size(); c++) block.outputs[c] = nullptr;
        effect.process(block);
        report.check(block.outputsFinite(), "absent outputs 2..: non-finite output");
        AudioBlock inPlace(ins, outs, 300);
        inPlace.fillMaterial(options.seed, 0);
        for (size_t c = 0; c < 2 && c < inPlace.outputs.size() && c < inPlace.inputs.size(); c++)
            inPlace.outputs[c] = inPlace.inputs[c];
        effect.process(inPlace);
        bool finite = true;
        for (size_t c = 0; c < 2 && c < inPlace.in.size(); c++)
            for (float v : inPlace.in[c]) finite = finite && std::isfinite(v);
        report.check(finite && inPlace.outputsFinite(), "in-place buffers: non-finite output");
        checkRecovery(effect, report, options.seed, "pointer case", 0);
    }

    // Non-finite input: the next blocks must be clean again.
    const float inf = std::numeric_limits<float>::infinity();
    for (float poison : {std::numeric_limits<float>::quiet_NaN(), inf, -inf, 3e38f}) {
        AudioBlock block(ins, outs, 256);
        block.fillMaterial(options.seed, 0);
        for (auto& channel : block.in) channel[static_cast<size_t>(random.range(0, 255))] = poison;
        effect.process(block);
        checkRecovery(effect, report, options.seed, "input containing", poison);
    }

    // Full-scale DC and noise with every parameter at one end, the other, or alternating.
    const int32_t params = effect.get()->numParams;
    for (int setting = 0; setting < 3; setting++) {
        for (int32_t i = 0; i < params; i++)
            effect.set(i, setting == 0 ? 0.0f : setting == 1 ? 1.0f : static_cast<float>(i % 2));
        for (int signal = 0; signal < 2; signal++) {
            AudioBlock block(ins, outs, 1024);
            for (int b = 0; b < 8; b++) {
                for (auto& channel : block.in)
                    for (float& v : channel)
                        v = signal == 0 ? 1.0f : (random.chance(0.5) ? 1.0f : -1.0f);
                effect.process(block);
            }
            report.check(block.outputsFinite(), "extreme setting %d with %s: non-finite output",
                         setting, signal == 0 ? "full-scale DC" : "full-scale noise");
            checkRecovery(effect, report, options.seed, "extreme setting", setting);
        }
    }
}
