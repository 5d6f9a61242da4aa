// Audio blocks through the record's processing entries.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "unit/vocoder/EffectFixture.h"
#include "vocoder/DenormalGuard.h"

#if defined(__SSE2__) || defined(__x86_64__)
#include <xmmintrin.h>
#define HAVE_MXCSR 1
#endif

TEST(EffectProcessing, BothEntriesOverwriteTheOutputsAlike) {
    EffectUnderTest a, b;
    Block first(400), second(400);
    first.fill(21);
    second.fill(21);
    for (auto& channel : second.out)
        for (float& value : channel) value = 1000.0f;  // a host that expects accumulation
    first.replacing(a.record);
    second.accumulating(b.record);
    for (int c = 0; c < 8; ++c)
        for (int k = 0; k < 400; ++k) ASSERT_EQ(first.out[c][k], second.out[c][k]) << c << "," << k;
    // Pairs carry one signal each; the dry pairs the inputs as received.
    for (int k = 0; k < 400; ++k) {
        ASSERT_EQ(first.out[0][k], first.out[1][k]);
        ASSERT_EQ(first.out[2][k], first.out[3][k]);
        ASSERT_EQ(first.out[4][k], first.in[0][k]);
        ASSERT_EQ(first.out[7][k], first.in[1][k]);
    }
}

TEST(EffectProcessing, FramesAreProcessedOneByOneAcrossBlocks) {
    EffectUnderTest whole, pieces;
    Block block(64);
    block.fill(5);
    block.replacing(whole.record);
    for (int k = 0; k < 64; ++k) {
        float* in[2] = {&block.in[0][k], &block.in[1][k]};
        float single[8];
        float* out[8];
        for (int c = 0; c < 8; ++c) out[c] = &single[c];
        pieces.record->processReplacing(pieces.record, in, out, 1);
        for (int c = 0; c < 8; ++c) {
            ASSERT_NE(block.out[c][k], Block::kMarker);
            ASSERT_EQ(block.out[c][k], single[c]) << c << "," << k;
        }
    }
}

TEST(EffectProcessing, EmptyBlocksAndAbsentOutputPairs) {
    EffectUnderTest fx;
    const VocoderEngine& engine = fx.effect->getEngine();
    Block block(32);
    block.fill(9);
    for (int32_t n : {0, -5}) {
        fx.record->processReplacing(fx.record, block.inputs, block.outputs, n);
        fx.record->process(fx.record, block.inputs, block.outputs, n);
    }
    for (const auto& channel : block.out)
        for (float value : channel) ASSERT_EQ(value, Block::kMarker);
    EXPECT_EQ(engine.modulatorPredictor().history()[0], 0.0);

    for (int c = 2; c < 8; ++c) block.outputs[c] = nullptr;
    block.replacing(fx.record);
    for (int k = 0; k < 32; ++k) {
        ASSERT_NE(block.out[0][k], Block::kMarker);
        ASSERT_EQ(block.out[1][k], block.out[0][k]);
    }
    for (int c = 2; c < 8; ++c)
        for (float value : block.out[c]) ASSERT_EQ(value, Block::kMarker);
}

TEST(EffectProcessing, MissingInputsGiveSilenceOnEveryOutputThatIsThere) {
    EffectUnderTest fx;
    Block block(48);
    block.fill(3);
    float* carrierOnly[2] = {block.in[0].data(), nullptr};
    float** missing[] = {nullptr, carrierOnly};
    for (float** inputs : missing) {
        for (int entry = 0; entry < 2; ++entry) {
            for (auto& channel : block.out)
                for (float& value : channel) value = Block::kMarker;
            block.outputs[5] = nullptr;  // an absent pair stays absent
            if (entry == 0)
                fx.record->processReplacing(fx.record, inputs, block.outputs, 48);
            else
                fx.record->process(fx.record, inputs, block.outputs, 48);
            for (int c = 0; c < 8; ++c)
                for (float value : block.out[c])
                    ASSERT_EQ(value, c == 5 ? Block::kMarker : 0.0f) << c << " entry " << entry;
        }
    }
    // Without an output array there is nothing to write, and nothing crashes.
    fx.record->processReplacing(fx.record, block.inputs, nullptr, 48);
    fx.record->processReplacing(fx.record, nullptr, nullptr, 48);
}

TEST(EffectProcessing, EveryParameterAtItsEndsGivesFiniteOutputForFullScaleNoise) {
    // Both ends of every range are legal settings; with full-scale noise the predictors
    // diverge inside a block at the top end, which must never reach the host.
    for (float end : {0.0f, 1.0f}) {
        EffectUnderTest fx;
        for (int32_t i = 0; i < 21; ++i) fx.set(i, end);
        Block block(1024);
        uint32_t seed = 99;
        for (int b = 0; b < 6; ++b) {
            for (int c = 0; c < 2; ++c)
                for (float& v : block.in[c]) {
                    seed = seed * 1664525u + 1013904223u;
                    v = (seed >> 31) ? 1.0f : -1.0f;
                }
            block.replacing(fx.record);
            for (int c = 0; c < 8; ++c)
                for (int k = 0; k < 1024; ++k)
                    ASSERT_TRUE(std::isfinite(block.out[c][k])) << end << ": " << c << "," << k;
        }
    }
}

TEST(EffectProcessing, InPlaceBuffersKeepTheDryPairsExact) {
    // With whitening the samples go in runs; a block longer than one run checks that no run
    // reads an input the host has already been handed back as an output.
    for (const float whitening : {0.0f, 1.0f}) {
        EffectUnderTest fx, reference;
        fx.set(14, whitening);
        reference.set(14, whitening);
        Block separate(300), shared(300);
        separate.fill(13);
        shared.fill(13);
        separate.replacing(reference.record);
        // The host hands the input buffers out again as outputs 0 and 1.
        shared.outputs[0] = shared.inputs[0];
        shared.outputs[1] = shared.inputs[1];
        shared.replacing(fx.record);
        for (int k = 0; k < 300; ++k) {
            ASSERT_EQ(shared.in[0][k], separate.out[0][k]) << "whitening " << whitening;
            ASSERT_EQ(shared.out[4][k], separate.out[4][k]) << "whitening " << whitening;
            ASSERT_EQ(shared.out[6][k], separate.out[6][k]) << "whitening " << whitening;
        }
    }
}

TEST(EffectProcessing, NonFiniteInputSamplesAreTakenAsSilence) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();

    // Broken samples in the middle of a block sound exactly like silent ones, in that block and
    // the next.
    EffectUnderTest fx, reference;
    fx.set(14, 1.0f);  // whitening on, so the carrier predictor would see the fault too
    reference.set(14, 1.0f);
    Block faulty(256), silent(256);
    faulty.fill(1);
    silent.fill(1);
    faulty.in[0][100] = inf;
    faulty.in[1][100] = nan;
    faulty.in[1][101] = -inf;
    silent.in[0][100] = silent.in[1][100] = silent.in[1][101] = 0.0f;
    faulty.replacing(fx.record);
    silent.replacing(reference.record);
    for (int c = 0; c < 8; ++c)
        for (int k = 0; k < 256; ++k) ASSERT_EQ(faulty.out[c][k], silent.out[c][k]) << c << "," << k;
    Block next(1024), nextReference(1024);
    next.fill(2);
    nextReference.fill(2);
    next.replacing(fx.record);
    nextReference.replacing(reference.record);
    for (int c = 0; c < 8; ++c)
        for (int k = 0; k < 1024; ++k) ASSERT_EQ(next.out[c][k], nextReference.out[c][k]);
    EXPECT_GT(std::fabs(next.out[0][1000]), 0.0f);

    // A fault in the last frame: afterwards the effect sounds exactly like one that got 0 there.
    EffectUnderTest broken, clean;
    Block warmup(300), cleanWarmup(300);
    warmup.fill(4);
    cleanWarmup.fill(4);
    warmup.in[1][299] = nan;
    cleanWarmup.in[1][299] = 0.0f;
    warmup.replacing(broken.record);
    cleanWarmup.replacing(clean.record);
    Block a(500), b(500);
    a.fill(8);
    b.fill(8);
    a.replacing(broken.record);
    b.replacing(clean.record);
    for (int c = 0; c < 8; ++c)
        for (int k = 0; k < 500; ++k) ASSERT_EQ(a.out[c][k], b.out[c][k]) << c << "," << k;
}

TEST(EffectProcessing, OverflowingInputLeavesOnlyFiniteState) {
    // Inputs at the top of the float range overflow the predictors' sums (inf - inf) and the
    // synthesis filter; the envelope stays finite, only very loud.
    EffectUnderTest fx;
    const VocoderEngine& engine = fx.effect->getEngine();
    Block huge(2048);
    for (int k = 0; k < 2048; ++k) {
        huge.in[0][k] = (k % 2 ? 1.0f : -1.0f) * 3.0e38f;
        huge.in[1][k] = (k % 3 ? 1.0f : -0.5f) * 3.0e38f;
    }
    huge.replacing(fx.record);
    EXPECT_TRUE(engine.modulatorPredictor().isFinite());
    EXPECT_TRUE(engine.synthesisFilter().isFinite());
    EXPECT_EQ(engine.modulatorPredictor().coefficients()[0], 0.0);  // it was cleared
    EXPECT_GT(engine.follower().envelope(), 1e37);

    // With a release of one sample the loud envelope is gone within a few hundred samples and
    // the output is plain audio again.
    fx.set(12, 0.0f);
    Block normal(1024);
    normal.fill(6);
    normal.replacing(fx.record);
    for (int c = 0; c < 8; ++c)
        for (int k = 512; k < 1024; ++k) {
            ASSERT_TRUE(std::isfinite(normal.out[c][k])) << c << "," << k;
            ASSERT_LT(std::fabs(normal.out[c][k]), 100.0f) << c << "," << k;
        }
}

#ifdef HAVE_MXCSR
TEST(EffectProcessing, FlushesDenormalsInsideAndRestoresTheCallersState) {
    EffectUnderTest fx;
    fx.set(3, 0.8f);  // dry carrier at 0 dB
    Block block(16);
    for (int k = 0; k < 16; ++k) {
        block.in[0][k] = 1.0e-40f;  // a denormal float
        block.in[1][k] = 0.0f;
    }
    const unsigned int original = _mm_getcsr();
    // A caller with unusual but harmless state: a status flag raised, FTZ and DAZ off.
    const unsigned int callers = (original & ~0x8040u) | 0x0020u;
    _mm_setcsr(callers);
    block.replacing(fx.record);
    const unsigned int after = _mm_getcsr();
    _mm_setcsr(original);
    EXPECT_EQ(after, callers);
    // Denormals-are-zero held during processing: the denormal carrier reached the mix as 0,
    // while the dry pair copies the input untouched.
    for (int k = 0; k < 16; ++k) {
        ASSERT_EQ(block.out[0][k], 0.0f);
        ASSERT_EQ(block.out[4][k], 1.0e-40f);
    }
    // Without the guard the same arithmetic keeps the denormal.
    volatile float tiny = 1.0e-40f;
    EXPECT_NE(static_cast<double>(tiny) * 1.0000002, 0.0);

    _mm_setcsr(callers);
    { DenormalGuard guard; }
    const unsigned int afterGuard = _mm_getcsr();
    _mm_setcsr(original);
    EXPECT_EQ(afterGuard, callers);
}
#endif

// A fault in a later block (the earlier ones clean) is found and cleared as well: the checks
// after each block cover whatever the block has written.
TEST(EffectProcessing, AFaultInALaterBlockIsClearedToo) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int channel = 0; channel < 2; ++channel) {
        EffectUnderTest fx;
        Block clean(256);
        clean.fill(3);
        clean.replacing(fx.record);
        clean.replacing(fx.record);
        Block faulty(256);
        faulty.fill(5);
        faulty.in[channel][100] = nan;
        faulty.replacing(fx.record);
        Block after(256);
        after.fill(7);
        after.replacing(fx.record);
        for (int c = 0; c < 8; ++c)
            for (int k = 0; k < 256; ++k)
                ASSERT_TRUE(std::isfinite(after.out[c][k])) << channel << ": " << c << "," << k;
    }
}
