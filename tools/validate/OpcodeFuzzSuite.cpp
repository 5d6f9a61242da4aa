#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "GuardedBuffer.h"
#include "HostArguments.h"
#include "Random.h"
#include "Suites.h"

namespace {

float randomOpt(Random& random) {
    const float inf = std::numeric_limits<float>::infinity();
    const float oddValues[] = {0.0f,
                               -0.0f,
                               1.0f,
                               -1.0f,
                               0.5f,
                               44100.0f,
                               1e30f,
                               -1e30f,
                               2147483648.0f,
                               -2147483904.0f,
                               inf,
                               -inf,
                               std::numeric_limits<float>::quiet_NaN(),
                               1e-40f};
    if (random.chance(0.5))
        return oddValues[random.next() % (sizeof oddValues / sizeof oddValues[0])];
    return static_cast<float>((random.unit() - 0.5) * std::pow(10.0, random.range(-3, 9)));
}

intptr_t randomValue(Random& random) {
    switch (random.range(0, 3)) {
        case 0: return random.range(-2, 8);
        case 1: return random.range(-100000, 100000);
        case 2: return static_cast<intptr_t>(static_cast<int32_t>(random.next()));
        default: return random.range(0, 1);
    }
}

// Text a host might put into a name buffer: printable, terminated, sometimes long.
void randomText(Random& random, char* text, size_t size) {
    const size_t length = static_cast<size_t>(random.range(0, 300)) % (size - 1);
    for (size_t i = 0; i < length; i++) text[i] = static_cast<char>(random.range(32, 126));
    text[length] = '\0';
}

struct Identity {
    int32_t magic, numPrograms, numParams, numInputs, numOutputs, flags, uniqueID, version;
    std::string name, vendor, product;
};

// The record's fields and the three names, each name read into a guarded buffer.
Identity identityOf(Effect& effect, bool& overrun) {
    AEffect* r = effect.get();
    Identity id{r->magic, r->numPrograms, r->numParams, r->numInputs, r->numOutputs,
                r->flags, r->uniqueID,    r->version,   "",           "",
                ""};
    GuardedBuffer text;
    auto read = [&](int32_t opcode, std::string& into) {
        text.reset();
        effect.dispatch(opcode, 0, 0, text.data());
        if (!text.frontIntact() || !text.backIntact()) overrun = true;
        static_cast<char*>(text.data())[GuardedBuffer::kSize - 1] = '\0';
        into = static_cast<const char*>(text.data());
    };
    read(effGetEffectName, id.name);
    read(effGetVendorString, id.vendor);
    read(effGetProductString, id.product);
    return id;
}

// A host's usual settings again after whatever came before, then reset.
void restoreKnownState(Effect& effect, uint64_t seed) {
    effect.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect.dispatch(effSetBlockSize, 0, 512);
    effect.dispatch(effSetBypass, 0, 0);
    applySettings(effect, seed);
    effect.suspend();
    effect.resume();
}

std::vector<float> render(Effect& effect, uint64_t seed) {
    AudioBlock block(effect.get()->numInputs, effect.get()->numOutputs, 512);
    std::vector<float> result;
    for (int b = 0; b < 4; b++) {
        block.fillMaterial(seed, b * 512);
        effect.process(block);
        for (auto& channel : block.out) result.insert(result.end(), channel.begin(), channel.end());
    }
    return result;
}

}  // namespace

void runOpcodeFuzzSuite(const PluginLibrary& library, const Options& options, Report& report) {
    report.beginSuite("opcode-fuzz");
    Effect effect(library);
    if (!report.check(effect.valid(), "no effect to fuzz")) return;
    effect.start();
    bool nameOverrun = false;
    const Identity before = identityOf(effect, nameOverrun);

    Random random(options.seed * 2 + 1);
    GuardedBuffer buffer, valueBuffer;
    int overruns = 0;
    for (int call = 0; call < options.opcodeCalls; call++) {
        const int32_t opcode = random.range(-5, 100);
        if (endsEffect(opcode)) continue;  // the lifecycle suite covers it
        int32_t index =
            random.chance(0.7) ? random.range(-3, 30) : static_cast<int32_t>(random.next());
        intptr_t value = randomValue(random);
        const float opt = randomOpt(random);
        buffer.reset();
        valueBuffer.reset();
        void* ptr = random.chance(0.15) ? nullptr : buffer.data();
        const PointerUse use = pointerUse(opcode);
        if (use == PointerUse::none) ptr = nullptr;
        if (use == PointerUse::text && ptr)
            randomText(random, static_cast<char*>(ptr), GuardedBuffer::kSize);
        value = shapeValue(opcode, value, random.chance(0.15) ? nullptr : valueBuffer.data(),
                           static_cast<intptr_t>(GuardedBuffer::kSize));
        effect.dispatch(opcode, index, value, ptr, opt);
        const bool intact = buffer.frontIntact() && buffer.backIntact() &&
                            valueBuffer.frontIntact() && valueBuffer.backIntact();
        if (!intact && overruns++ < 10)
            report.check(false, "opcode %d (index %d) wrote outside its buffer", opcode, index);
    }
    report.check(overruns == 0, "%d calls wrote outside their buffers", overruns);

    // The effect is still itself and still processes exactly like a fresh one.
    effect.dispatch(effEditClose);
    const Identity after = identityOf(effect, nameOverrun);
    report.check(!nameOverrun, "a name query wrote outside its buffer");
    report.check(after.magic == before.magic && after.numPrograms == before.numPrograms &&
                     after.numParams == before.numParams && after.numInputs == before.numInputs &&
                     after.numOutputs == before.numOutputs && after.flags == before.flags &&
                     after.uniqueID == before.uniqueID && after.version == before.version,
                 "the effect record changed during the fuzz");
    report.check(after.name == before.name && after.vendor == before.vendor &&
                     after.product == before.product,
                 "names changed during the fuzz ('%s' / '%s' / '%s')", after.name.c_str(),
                 after.vendor.c_str(), after.product.c_str());
    restoreKnownState(effect, options.seed);
    Effect fresh(library);
    if (!report.check(fresh.valid(), "no fresh effect for the comparison")) return;
    fresh.start();
    restoreKnownState(fresh, options.seed);
    const std::vector<float> fuzzed = render(effect, options.seed);
    const std::vector<float> reference = render(fresh, options.seed);
    report.check(
        fuzzed.size() == reference.size() &&
            std::memcmp(fuzzed.data(), reference.data(), fuzzed.size() * sizeof(float)) == 0,
        "after the fuzz the effect processes differently from a fresh one");
}
