// A host that renders fixed material through the plug-in with parameter changes between
// blocks and writes all eight outputs as raw 32-bit floats. The Linux .so, the 32-bit DLL and
// the 64-bit DLL must write the same bytes; a script compares the three files.
//
//   host_render_exactness <plug-in path> <output file>
//
// The material is generated here from integer state with plain additions and
// multiplications (no libm), so every build feeds the plug-in identical input.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "hosting/PluginModule.h"

namespace {

intptr_t VSTCALLBACK hostCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

PluginMain loadPlugin(const char* path) {
    PluginModule module = openPlugin(path);
    return module ? reinterpret_cast<PluginMain>(pluginSymbol(module, "main")) : nullptr;
}

// Deterministic source of noise and block sizes.
struct Random {
    uint32_t state;
    uint32_t next() {
        state = state * 1664525u + 1013904223u;
        return state;
    }
    // Uniform in [-1, 1).
    float noise() { return static_cast<float>(static_cast<int32_t>(next()) / 2147483648.0); }
};

// A sine-like wave from an integer phase: the parabola 4p(1 - |p|) on p in [-1, 1).
double parabolicSine(uint32_t phase) {
    const double p = static_cast<int32_t>(phase) / 2147483648.0;
    const double magnitude = p < 0.0 ? -p : p;
    return 4.0 * p * (1.0 - magnitude);
}

const int kRate = 44100;
const int kFrames = kRate * 4;

// Carrier: a buzzy saw chord. Modulator: noise bursts shaped like syllables, a loud burst,
// silence, and tones.
void makeMaterial(std::vector<float>& carrier, std::vector<float>& modulator) {
    Random random{20261207u};
    uint32_t sawA = 0, sawB = 0, tone = 0, wobble = 0;
    for (int k = 0; k < kFrames; ++k) {
        sawA += 13000000u;  // ~134 Hz
        sawB += 19500000u;  // ~200 Hz
        const double saw =
            (static_cast<int32_t>(sawA) + 0.5 * static_cast<int32_t>(sawB)) / 2147483648.0;
        carrier[k] = static_cast<float>(0.4 * saw + 0.05 * random.noise());

        tone += 45000000u + (wobble >> 22);
        wobble += 7000u;
        const double syllable = parabolicSine(static_cast<uint32_t>(k) * 97400u);
        const double envelope = syllable > 0.0 ? syllable : 0.0;
        double m = envelope * (0.3 * random.noise() + 0.3 * parabolicSine(tone));
        const double seconds = static_cast<double>(k) / kRate;
        if (seconds >= 1.5 && seconds < 1.75) m = 0.98 * random.noise();  // loud burst
        if (seconds >= 1.75 && seconds < 2.25) m = 0.0;                   // silence
        modulator[k] = static_cast<float>(m);
    }
    // A stretch of silence on the carrier too.
    for (int k = kRate * 3; k < kRate * 3 + kRate / 4; ++k) carrier[k] = 0.0f;
}

struct Change {
    int frame;      // applied before the first block that starts at or after it
    int32_t index;  // parameter index, or -1 for an opcode
    float value;
    int32_t opcode;
    intptr_t opValue;
};

// Parameter changes between blocks: whitening, orders (also 1024 through a value outside
// 0..1), other host values outside 0..1, a program change, a sample-rate change, suspend.
const Change kChanges[] = {
    {4000, 14, 1.0f, 0, 0},  // whitening on
    {9000, 16, 0.6f, 0, 0},
    {12000, 7, 0.6f, 0, 0},   // 121 taps
    {15000, 15, 1.0f, 0, 0},  // 201 taps
    {20000, 0, 1.3f, 0, 0},   // above +24 dB
    {22000, 8, 2.5f, 0, 0},   // learning rate out of range: ignored
    {26000, 13, 0.4f, 0, 0},
    {30000, 20, 0.7f, 0, 0},
    {34000, 6, 0.3f, 0, 0},
    {38000, 10, 0.9f, 0, 0},
    {42000, 7, -0.5f, 0, 0},  // order 1024
    {50000, 12, 0.02f, 0, 0},
    {56000, 7, 0.1f, 0, 0},
    {60000, 1, 0.9f, 0, 0},  // error into the mix
    {64000, 2, 0.6f, 0, 0},
    {68000, 3, 0.6f, 0, 0},
    {72000, 4, 0.85f, 0, 0},
    {76000, 11, 0.0f, 0, 0},  // one-sample attack
    {80000, 14, 0.0f, 0, 0},  // whitening off: carrier predictor frozen
    {84000, -1, 0.0f, effSetSampleRate, 0},
    {90000, 14, 0.7f, 0, 0},
    {96000, 9, 1.0f, 0, 0},
    {100000, 17, 0.9f, 0, 0},
    {104000, 18, 0.0f, 0, 0},
    {108000, -1, 0.0f, effMainsChanged, 0},  // suspend: engine cleared
    {108000, -1, 0.0f, effMainsChanged, 1},
    {116000, 20, 1.2f, 0, 0},  // amount above 1: ignored
    {120000, 5, 0.6f, 0, 0},
    {126000, -1, 0.0f, effSetProgram, 3},
    {130000, 14, 1.0f, 0, 0},
    {134000, 15, 0.05f, 0, 0},
    {140000, 0, 0.9f, 0, 0},
    {146000, 6, -1.0f, 0, 0},  // negative pre-emphasis: ignored
    {152000, 13, 1.0f, 0, 0},
    {160000, 7, 1.0f, 0, 0},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <plug-in> <output file>\n", argv[0]);
        return 2;
    }
    PluginMain entry = loadPlugin(argv[1]);
    if (!entry) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    AEffect* effect = entry(hostCallback);
    if (!effect || effect->magic != kEffectMagic || effect->numInputs != 2 ||
        effect->numOutputs != 8) {
        std::fprintf(stderr, "no usable effect record\n");
        return 1;
    }
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect->dispatcher(effect, effSetBlockSize, 0, 1024, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);

    std::vector<float> carrier(kFrames), modulator(kFrames);
    makeMaterial(carrier, modulator);
    std::vector<float> rendered(static_cast<size_t>(kFrames) * 8);
    std::vector<float> outputs[8];
    for (auto& channel : outputs) channel.resize(1024);

    Random sizes{77u};
    size_t nextChange = 0;
    const size_t changeCount = sizeof kChanges / sizeof kChanges[0];
    int frame = 0, blockNumber = 0;
    while (frame < kFrames) {
        for (; nextChange < changeCount && kChanges[nextChange].frame <= frame; ++nextChange) {
            const Change& change = kChanges[nextChange];
            if (change.index >= 0) {
                effect->setParameter(effect, change.index, change.value);
            } else if (change.opcode == effSetSampleRate) {
                effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
            } else {
                effect->dispatcher(effect, change.opcode, 0, change.opValue, nullptr, 0.0f);
            }
        }
        int n = 1 + static_cast<int>(sizes.next() >> 22);  // 1 to 1024 frames
        if (n > kFrames - frame) n = kFrames - frame;
        float* in[2] = {&carrier[frame], &modulator[frame]};
        float* out[8];
        for (int c = 0; c < 8; ++c) out[c] = outputs[c].data();
        // Both entries overwrite; alternate them like hosts of either kind.
        if (blockNumber % 3 == 2)
            effect->process(effect, in, out, n);
        else
            effect->processReplacing(effect, in, out, n);
        for (int k = 0; k < n; ++k)
            for (int c = 0; c < 8; ++c)
                rendered[(static_cast<size_t>(frame) + k) * 8 + c] = out[c][k];
        frame += n;
        ++blockNumber;
    }
    effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);

    // The file is only worth comparing if the render made sound.
    double energy = 0.0;
    for (int k = 0; k < kFrames; ++k)
        energy += static_cast<double>(rendered[k * 8]) * rendered[k * 8];
    if (!(energy > 1.0)) {
        std::fprintf(stderr, "the mix is silent or not finite (energy %g)\n", energy);
        return 1;
    }

    FILE* file = std::fopen(argv[2], "wb");
    if (!file) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    const size_t written = std::fwrite(rendered.data(), sizeof(float), rendered.size(), file);
    const bool ok = std::fclose(file) == 0 && written == rendered.size();
    std::printf("%d frames, %d blocks, mix energy %.6g, wrote %s\n", kFrames, blockNumber, energy,
                argv[2]);
    return ok ? 0 : 1;
}
