#include <cstring>
#include <memory>
#include <vector>

#include "Random.h"
#include "Suites.h"

namespace {

const int32_t kBlocks = 6;

// The block sizes an instance is fed, the same for it alone and among others.
int32_t blockSizeOf(uint64_t seed, int block) {
    Random sizes(seed * 31 + static_cast<uint64_t>(block));
    return sizes.range(1, 700);
}

// Output of `blocks` blocks of the instance's own material and settings, concatenated.
std::vector<float> renderAlone(const PluginLibrary& library, uint64_t seed) {
    std::vector<float> result;
    Effect effect(library);
    if (!effect.valid()) return result;
    effect.start();
    applySettings(effect, seed);
    AudioBlock block(effect.get()->numInputs, effect.get()->numOutputs, 1);
    int64_t position = 0;
    for (int b = 0; b < kBlocks; b++) {
        block.resize(blockSizeOf(seed, b));
        block.fillMaterial(seed, position);
        effect.process(block);
        position += block.frames;
        for (auto& channel : block.out)
            result.insert(result.end(), channel.begin(), channel.begin() + block.frames);
    }
    return result;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

}  // namespace

void runLifecycleSuite(const PluginLibrary& library, const Options& options, Report& report) {
    report.beginSuite("lifecycle");
    // Create and close, with a little work in between.
    int created = 0;
    for (int cycle = 0; cycle < options.lifecycleCycles; cycle++) {
        Effect effect(library);
        if (!effect.valid()) continue;
        created++;
        effect.start(cycle % 2 ? 48000.0f : 44100.0f, 256);
        AudioBlock block(effect.get()->numInputs, effect.get()->numOutputs, 64);
        block.fillMaterial(options.seed + static_cast<uint64_t>(cycle), 0);
        effect.process(block);
        if (cycle % 3 == 0) {
            char name[256] = {0};
            effect.dispatch(effGetEffectName, 0, 0, name);
        }
    }
    report.check(created == options.lifecycleCycles, "%d of %d create calls gave an effect",
                 created, options.lifecycleCycles);

    // Many instances at once, each on its own material and settings, interleaved block by
    // block: each must give exactly what it gives alone.
    struct Running {
        std::unique_ptr<Effect> effect;
        std::unique_ptr<AudioBlock> block;
        std::vector<float> output;
        int64_t position = 0;
        uint64_t seed = 0;
    };
    std::vector<Running> running(static_cast<size_t>(options.instances));
    for (size_t i = 0; i < running.size(); i++) {
        Running& r = running[i];
        r.seed = options.seed * 1000 + i;
        r.effect.reset(new Effect(library));
        if (!r.effect->valid()) continue;
        r.effect->start();
        applySettings(*r.effect, r.seed);
        r.block.reset(new AudioBlock(r.effect->get()->numInputs, r.effect->get()->numOutputs, 1));
    }
    for (int b = 0; b < kBlocks; b++) {
        for (Running& r : running) {
            if (!r.effect->valid()) continue;
            r.block->resize(blockSizeOf(r.seed, b));
            r.block->fillMaterial(r.seed, r.position);
            r.effect->process(*r.block);
            r.position += r.block->frames;
            for (auto& channel : r.block->out)
                r.output.insert(r.output.end(), channel.begin(), channel.begin() + r.block->frames);
        }
    }
    for (size_t i = 0; i < running.size(); i++) {
        const bool ok = running[i].effect->valid();
        report.check(ok, "instance %d of %d could not be created", static_cast<int>(i),
                     options.instances);
        if (ok)
            report.check(sameBits(running[i].output, renderAlone(library, running[i].seed)),
                         "instance %d among %d differs from the same instance alone",
                         static_cast<int>(i), options.instances);
    }
    running.clear();

    // A host that answers 0 to the version query: a refusal or a working effect, no crash.
    hostState.versionAnswer = 0;
    {
        Effect old(library);
        if (old.valid()) {
            old.start();
            AudioBlock block(old.get()->numInputs, old.get()->numOutputs, 128);
            block.fillMaterial(options.seed, 0);
            old.process(block);
            report.check(block.outputsFinite(),
                         "effect made for a version-0 host gives non-finite output");
        } else {
            report.check(true, "%s", "refused");
        }
    }
    hostState.versionAnswer = 2400;
}
