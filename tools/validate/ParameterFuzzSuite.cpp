#include <cmath>
#include <limits>

#include "Random.h"
#include "Suites.h"

void runParameterFuzzSuite(const PluginLibrary& library, const Options& options, Report& report) {
    report.beginSuite("parameter-fuzz");
    Effect effect(library);
    if (!report.check(effect.valid(), "no effect to fuzz")) return;
    effect.start();
    const float inf = std::numeric_limits<float>::infinity();
    const float oddValues[] = {std::numeric_limits<float>::quiet_NaN(),
                               inf,
                               -inf,
                               -1e30f,
                               -1.0f,
                               -0.0f,
                               0.0f,
                               1e-30f,
                               0.4999f,
                               0.5f,
                               1.0f,
                               1.0000001f,
                               2.5f,
                               1e30f};
    const size_t oddValueCount = sizeof oddValues / sizeof oddValues[0];

    Random random(options.seed * 3 + 7);
    AudioBlock block(effect.get()->numInputs, effect.get()->numOutputs, 256);
    int64_t position = 0;
    int blocksSinceNonFinite = 2;  // blocks processed since the last non-finite value was set
    int nonFiniteOutputs = 0;
    for (int call = 0; call < options.parameterCalls; call++) {
        const int32_t index = random.range(-3, 24);
        const float value = random.chance(0.6) ? oddValues[random.next() % oddValueCount]
                                               : static_cast<float>(random.unit() * 1.2 - 0.1);
        effect.set(index, value);
        effect.get(index);
        if (!std::isfinite(value)) blocksSinceNonFinite = 0;
        if (random.chance(0.2)) {
            block.resize(random.range(1, 300));
            block.fillMaterial(options.seed, position);
            position += block.frames;
            effect.process(block);
            // The block right after a non-finite value, and the next, may still carry it.
            if (++blocksSinceNonFinite > 2 && !block.outputsFinite() && nonFiniteOutputs++ < 5)
                report.check(false,
                             "non-finite output %d blocks after the last non-finite "
                             "value (last set: index %d = %g)",
                             blocksSinceNonFinite - 1, index, static_cast<double>(value));
        }
    }
    report.check(nonFiniteOutputs == 0, "%d blocks with non-finite output", nonFiniteOutputs);

    // Ordinary values again: ordinary output.
    for (int32_t i = 0; i < effect.get()->numParams; i++)
        effect.set(i, static_cast<float>(random.unit()));
    report.check(settlesFinite(effect, block, options.seed, 3),
                 "output not finite after every parameter was set in range again");
    for (int32_t i = 0; i < effect.get()->numParams; i++) {
        const float v = effect.get(i);
        report.check(std::isfinite(v), "parameter %d reads back as %g", i, static_cast<double>(v));
    }
}
