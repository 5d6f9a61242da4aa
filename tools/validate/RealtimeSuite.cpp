#include "Random.h"
#include "RealtimeProbe.h"
#include "Suites.h"

// The processing entries run on the host's audio thread: no allocation, no free, no lock,
// whatever the block size, the first block after a resume included.
void runRealtimeSuite(const PluginLibrary& library, const Options& options, Report& report) {
    report.beginSuite("realtime");
    if (!realtimeProbeAvailable()) {
        report.skip("allocations are counted in the native build only");
        return;
    }
    Effect effect(library);
    if (!report.check(effect.valid(), "no effect to check")) return;
    effect.start();
    Random random(options.seed * 13 + 1);
    const int32_t sizes[] = {1, 64, 512, 513, 4096, 8192};
    for (int pass = 0; pass < 2; pass++) {
        if (pass == 1) {
            effect.suspend();
            effect.resume();
        }
        for (int32_t size : sizes) {
            AudioBlock block(effect.get()->numInputs, effect.get()->numOutputs, size);
            block.fillMaterial(options.seed, 0);
            for (int32_t i = 0; i < effect.get()->numParams; i++)
                effect.set(i, static_cast<float>(random.unit()));
            AEffect* r = effect.get();
            armRealtimeProbe();
            if (r->processReplacing)
                r->processReplacing(r, block.inputs.data(), block.outputs.data(), size);
            if (r->process) r->process(r, block.inputs.data(), block.outputs.data(), size);
            const RealtimeCounts counts = disarmRealtimeProbe();
            report.check(counts.allocations == 0 && counts.frees == 0,
                         "block of %d: %ld allocations and %ld frees inside processing", size,
                         counts.allocations, counts.frees);
            if (realtimeProbeCountsLocks())
                report.check(counts.locks == 0, "block of %d: %ld lock calls inside processing",
                             size, counts.locks);
        }
    }
}
