// Non-finite input through the effect record's processing entries: a NaN or an infinity is
// taken as 0 before the engine sees it, whatever the block size, entry or buffer sharing, and
// finite input is processed exactly as before.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "unit/vocoder/EffectFixture.h"

namespace {

const float kNan = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// Renders the carrier and modulator in blocks of blockFrames through one entry; answers the
// mix output.
std::vector<float> render(EffectUnderTest& fx, const std::vector<float>& carrier,
                          const std::vector<float>& modulator, int blockFrames,
                          bool replacing = true) {
    std::vector<float> mix(carrier.size());
    const int total = static_cast<int>(carrier.size());
    for (int start = 0; start < total; start += blockFrames) {
        const int frames = std::min(blockFrames, total - start);
        Block block(frames);
        for (int k = 0; k < frames; ++k) {
            block.in[0][k] = carrier[start + k];
            block.in[1][k] = modulator[start + k];
        }
        if (replacing) {
            block.replacing(fx.record);
        } else {
            block.accumulating(fx.record);
        }
        for (int k = 0; k < frames; ++k) mix[start + k] = block.out[0][k];
    }
    return mix;
}

// A sawtooth carrier and a noisy vowel-like modulator, both at a moderate level.
void material(int frames, std::vector<float>& carrier, std::vector<float>& modulator) {
    carrier.resize(frames);
    modulator.resize(frames);
    uint32_t seed = 7;
    for (int k = 0; k < frames; ++k) {
        seed = seed * 1664525u + 1013904223u;
        const double noise = static_cast<int32_t>(seed) / 2147483648.0;
        carrier[k] = static_cast<float>(0.5 * ((k % 100) / 100.0 - 0.5));
        modulator[k] = static_cast<float>(0.3 * std::sin(k * 0.031) * std::sin(k * 0.0007) +
                                          0.05 * noise);
    }
}

float peak(const std::vector<float>& signal) {
    float largest = 0.0f;
    for (float s : signal) largest = std::max(largest, std::fabs(s));
    return largest;
}

}  // namespace

// The reported fault: one NaN at modulator sample 1000 of 2.6 s threw the predictors off and
// produced thousands of samples near the float limit. Now it sounds like a silent sample.
TEST(NonFiniteInput, ANaNInTheModulatorSoundsLikeASilentSample) {
    const int frames = 114660;  // 2.6 s at 44.1 kHz
    std::vector<float> carrier, modulator;
    material(frames, carrier, modulator);
    std::vector<float> broken = modulator, silent = modulator;
    broken[1000] = kNan;
    silent[1000] = 0.0f;

    EffectUnderTest fx, reference;
    const std::vector<float> out = render(fx, carrier, broken, 512);
    const std::vector<float> expected = render(reference, carrier, silent, 512);
    for (int k = 0; k < frames; ++k) ASSERT_EQ(out[k], expected[k]) << k;
    EXPECT_LT(peak(out), 10.0f);
    EXPECT_GT(peak(out), 0.0f);
}

// Every kind of non-finite value in either input, in blocks that are shorter and longer than
// the pieces the cleaning works in, through both entries, with whitening on.
TEST(NonFiniteInput, EveryBlockSizeEntryAndInputGivesTheSilentSamplesResult) {
    const int frames = 3000;
    std::vector<float> carrier, modulator;
    material(frames, carrier, modulator);
    const float faults[4] = {kNan, kInf, -kInf, -kNan};
    const int places[5] = {0, 255, 256, 1777, frames - 1};
    for (int blockFrames : {1, 200, 256, 700, 3000}) {
        for (bool replacing : {true, false}) {
            std::vector<float> badCarrier = carrier, badModulator = modulator;
            std::vector<float> zeroCarrier = carrier, zeroModulator = modulator;
            for (int i = 0; i < 5; ++i) {
                std::vector<float>& bad = i % 2 ? badCarrier : badModulator;
                std::vector<float>& zero = i % 2 ? zeroCarrier : zeroModulator;
                bad[places[i]] = faults[i % 4];
                zero[places[i]] = 0.0f;
            }
            EffectUnderTest fx, reference;
            fx.set(14, 1.0f);
            reference.set(14, 1.0f);
            const std::vector<float> out = render(fx, badCarrier, badModulator, blockFrames,
                                                  replacing);
            const std::vector<float> expected =
                render(reference, zeroCarrier, zeroModulator, blockFrames, replacing);
            for (int k = 0; k < frames; ++k)
                ASSERT_EQ(out[k], expected[k]) << "block " << blockFrames << ", frame " << k;
        }
    }
}

// The host may hand the input buffers as outputs: the cleaned pieces are taken before any of
// their outputs is written, so a block longer than one piece still reads its own input.
TEST(NonFiniteInput, InPlaceBuffersReadTheirOwnInput) {
    const int frames = 1000;
    std::vector<float> carrier, modulator;
    material(frames, carrier, modulator);
    modulator[600] = kNan;

    EffectUnderTest shared, separate;
    std::vector<float> in0 = carrier, in1 = modulator;
    std::vector<std::vector<float>> rest(6, std::vector<float>(frames));
    float* inputs[2] = {in0.data(), in1.data()};
    // Mix into the carrier's buffer, error into the modulator's.
    float* outputs[8] = {in0.data(),     rest[0].data(), in1.data(),     rest[1].data(),
                         rest[2].data(), rest[3].data(), rest[4].data(), rest[5].data()};
    shared.record->processReplacing(shared.record, inputs, outputs, frames);

    Block block(frames);
    block.in[0] = carrier;
    block.in[1] = modulator;
    block.replacing(separate.record);
    for (int k = 0; k < frames; ++k) {
        ASSERT_EQ(in0[k], block.out[0][k]) << k;
        ASSERT_EQ(in1[k], block.out[2][k]) << k;
        ASSERT_EQ(rest[5][k], block.out[7][k]) << k;  // the dry modulator, 0 at the NaN
    }
    EXPECT_EQ(block.out[6][600], 0.0f);
}
