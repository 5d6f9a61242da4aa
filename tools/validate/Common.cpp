#include "Random.h"
#include "Suites.h"

bool settlesFinite(Effect& effect, AudioBlock& block, uint64_t seed, int blocks) {
    bool finite = true;
    for (int b = 0; b < blocks; b++) {
        block.fillMaterial(seed, b * 997);
        effect.process(block);
        // Only the last block counts: the one before may still carry what came before.
        if (b == blocks - 1) finite = block.outputsFinite();
    }
    return finite;
}

bool silentAfterReset(Effect& effect, AudioBlock& block) {
    effect.suspend();
    effect.resume();
    block.fillSilence();
    block.fillOutputs(1.0f);
    effect.process(block);
    return block.outputsSilent();
}
