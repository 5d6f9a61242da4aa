#include <gtest/gtest.h>

#include <cstring>

#include "TestEffect.h"
#include "host/EffectEntries.h"

TEST(EffectRecord, IsFilledByTheBaseConstructor) {
    TestEffect effect(nullptr, 3, 5);
    AEffect* r = effect.getAeffect();
    EXPECT_EQ(r->magic, 0x56737450);
    EXPECT_EQ(r->numPrograms, 3);
    EXPECT_EQ(r->numParams, 5);
    EXPECT_EQ(r->numInputs, 1);
    EXPECT_EQ(r->numOutputs, 2);
    EXPECT_EQ(r->flags, 0);
    EXPECT_EQ(r->resvd1, 0);
    EXPECT_EQ(r->resvd2, 0);
    EXPECT_EQ(r->initialDelay, 0);
    EXPECT_EQ(r->realQualities, 0);
    EXPECT_EQ(r->offQualities, 0);
    EXPECT_EQ(r->ioRatio, 1.0f);
    EXPECT_EQ(r->object, static_cast<void*>(static_cast<EffectBase*>(&effect)));
    EXPECT_EQ(r->user, nullptr);
    EXPECT_EQ(r->uniqueID, 0x4E6F4566);
    EXPECT_EQ(r->version, 1);
    char zeros[60] = {};
    EXPECT_EQ(std::memcmp(r->future, zeros, sizeof zeros), 0);
    EXPECT_EQ(r->dispatcher, &dispatcherEntry);
    EXPECT_EQ(r->process, &processEntry);
    EXPECT_EQ(r->processReplacing, &processReplacingEntry);
    EXPECT_EQ(effect.getSampleRate(), 44100.0f);
    EXPECT_EQ(effect.getBlockSize(), 1024);
    EXPECT_EQ(effect.getProgram(), 0);
}

TEST(EffectRecord, FlagSettersChangeOnlyTheirOwnBit) {
    TestEffect effect;
    AEffect* r = effect.getAeffect();
    effect.setHasVu(true);
    effect.setCanMono(true);
    effect.setCanReplacing(true);
    EXPECT_EQ(r->flags, 4 + 8 + 16);
    effect.setHasVu(false);
    EXPECT_EQ(r->flags, 8 + 16);
    effect.setIsSynth(true);
    EXPECT_EQ(r->flags, 8 + 16 + 256);
    EXPECT_EQ(effect.getPlugCategory(), kPlugCategSynth);
    effect.setIsSynth(false);
    EXPECT_EQ(effect.getPlugCategory(), kPlugCategUnknown);
    effect.setHasClip(true);
    effect.setProgramChunks(true);
    effect.setNoSoundInStop(true);
    effect.setExtIsAsync(true);
    effect.setExtHasBuffer(true);
    EXPECT_EQ(r->flags, 2 + 8 + 16 + 32 + 512 + 1024 + 2048);
    effect.setUniqueID(42);
    effect.setNumInputs(2);
    effect.setNumOutputs(8);
    effect.setInitialDelay(7);
    effect.setRealQualities(3);
    effect.setOffQualities(4);
    EXPECT_EQ(r->uniqueID, 42);
    EXPECT_EQ(r->numInputs, 2);
    EXPECT_EQ(r->numOutputs, 8);
    EXPECT_EQ(r->initialDelay, 7);
    EXPECT_EQ(r->realQualities, 3);
    EXPECT_EQ(r->offQualities, 4);
}

TEST(EffectRecord, EntriesReachTheObjectAndCloseDestroysItOnce) {
    TestEffect::destroyed = 0;
    auto* effect = new TestEffect();
    AEffect* r = effect->getAeffect();
    r->setParameter(r, 3, 0.25f);
    EXPECT_EQ(effect->lastIndex, 3);
    EXPECT_EQ(effect->lastValue, 0.25f);
    EXPECT_EQ(r->getParameter(r, 3), 0.0f);  // the base answers 0
    float in[4] = {1, 2, 3, 4}, out[4] = {9, 9, 9, 9};
    float* ins[1] = {in};
    float* outs[1] = {out};
    r->processReplacing(r, ins, outs, 4);
    EXPECT_EQ(out[0], 9.0f);  // the base leaves outputs as they are
    EXPECT_EQ(r->dispatcher(r, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(TestEffect::destroyed, 1);
}

TEST(EffectRecord, TwoEffectsHaveTheirOwnRecords) {
    TestEffect a, b;
    EXPECT_NE(a.getAeffect(), b.getAeffect());
    EXPECT_EQ(EffectBase::fromRecord(a.getAeffect()), &a);
    EXPECT_EQ(EffectBase::fromRecord(b.getAeffect()), &b);
}
