#include <gtest/gtest.h>

#include <cstring>

#include "TestEffect.h"

TEST(SpeakerArrangement, AllocateFreeAndMatch) {
    TestEffect effect;
    VstSpeakerArrangement* source = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&source, 2));
    EXPECT_EQ(source->numChannels, 2);
    EXPECT_EQ(source->speakers[1].type, 0);
    source->type = 5;
    std::strcpy(source->speakers[0].name, "Left");
    source->speakers[1].azimuth = 0.5f;
    source->speakers[1].future[27] = 9;

    VstSpeakerArrangement* copy = nullptr;
    ASSERT_TRUE(effect.matchArrangement(&copy, source));
    EXPECT_EQ(copy->type, 5);
    EXPECT_EQ(copy->numChannels, 2);
    EXPECT_STREQ(copy->speakers[0].name, "Left");
    EXPECT_EQ(copy->speakers[1].azimuth, 0.5f);
    EXPECT_EQ(copy->speakers[1].future[27], 9);

    EXPECT_FALSE(effect.matchArrangement(&copy, nullptr));
    EXPECT_FALSE(effect.copySpeaker(nullptr, &source->speakers[0]));
    EXPECT_FALSE(effect.copySpeaker(&source->speakers[0], nullptr));
    // Reallocating frees the old block first (no leak under the sanitizers).
    ASSERT_TRUE(effect.allocateArrangement(&copy, 1));
    EXPECT_EQ(copy->numChannels, 1);

    EXPECT_TRUE(effect.freeArrangement(&source));
    EXPECT_EQ(source, nullptr);
    EXPECT_TRUE(effect.freeArrangement(&source));
    EXPECT_TRUE(effect.freeArrangement(&copy));
}

TEST(SpeakerArrangement, RefusesCountsThatCannotBeAllocated) {
    TestEffect effect;
    VstSpeakerArrangement* arrangement = nullptr;
    EXPECT_FALSE(effect.allocateArrangement(&arrangement, -1));
    EXPECT_EQ(arrangement, nullptr);
    EXPECT_FALSE(effect.allocateArrangement(nullptr, 2));
    // A refused count still frees what the pointer held and leaves it null.
    ASSERT_TRUE(effect.allocateArrangement(&arrangement, 2));
    EXPECT_FALSE(effect.allocateArrangement(&arrangement, -3));
    EXPECT_EQ(arrangement, nullptr);
    VstSpeakerArrangement source = {};
    source.numChannels = -1;
    ASSERT_TRUE(effect.allocateArrangement(&arrangement, 1));
    EXPECT_FALSE(effect.matchArrangement(&arrangement, &source));
    EXPECT_EQ(arrangement, nullptr);
    if (sizeof(size_t) == 4) {
        EXPECT_FALSE(effect.allocateArrangement(&arrangement, INT32_MAX));
        EXPECT_EQ(arrangement, nullptr);
    }
}

TEST(SpeakerArrangement, MatchingOrCopyingOntoItselfKeepsTheContent) {
    TestEffect effect;
    VstSpeakerArrangement* arrangement = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&arrangement, 2));
    arrangement->type = 7;
    std::strcpy(arrangement->speakers[1].name, "Right surround");
    arrangement->speakers[1].elevation = 0.25f;
    arrangement->speakers[0].future[3] = 4;

    // A host that hands the same arrangement on both sides.
    EXPECT_TRUE(effect.matchArrangement(&arrangement, arrangement));
    ASSERT_NE(arrangement, nullptr);
    EXPECT_EQ(arrangement->type, 7);
    EXPECT_EQ(arrangement->numChannels, 2);
    EXPECT_STREQ(arrangement->speakers[1].name, "Right surround");
    EXPECT_EQ(arrangement->speakers[1].elevation, 0.25f);

    EXPECT_TRUE(effect.copySpeaker(&arrangement->speakers[0], &arrangement->speakers[0]));
    EXPECT_EQ(arrangement->speakers[0].future[3], 4);
    EXPECT_TRUE(effect.freeArrangement(&arrangement));
}
