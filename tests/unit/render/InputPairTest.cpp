#ifndef _WIN32

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RenderTestSupport.h"
#include "tools/render/InputPair.h"

using rendertest::ScratchDirectory;
using rendertest::writeAudio;

TEST(RenderInputPair, MultiChannelFilesAreMixedToMonoAndTheShorterIsPaddedWithSilence) {
    ScratchDirectory dir;
    // Carrier: 3 stereo frames; modulator: 5 mono frames.
    writeAudio(dir.file("c.wav"), {0.2f, 0.4f, -0.5f, 0.5f, 1.0f, 0.0f}, 2, 44100);
    writeAudio(dir.file("m.wav"), {0.1f, 0.2f, 0.3f, 0.4f, 0.5f}, 1, 44100);
    InputPair pair;
    std::string error;
    ASSERT_TRUE(pair.openPair(dir.file("c.wav"), dir.file("m.wav"), error)) << error;
    EXPECT_EQ(pair.frames(), 5);
    EXPECT_EQ(pair.sampleRate(), 44100);

    std::vector<float> carrier(4, 9.0f), modulator(4, 9.0f);
    ASSERT_EQ(pair.read(carrier.data(), modulator.data(), 4), 4);
    EXPECT_FLOAT_EQ(carrier[0], 0.3f);
    EXPECT_FLOAT_EQ(carrier[1], 0.0f);
    EXPECT_FLOAT_EQ(carrier[2], 0.5f);
    EXPECT_FLOAT_EQ(carrier[3], 0.0f);  // past the carrier's end
    EXPECT_FLOAT_EQ(modulator[3], 0.4f);
    ASSERT_EQ(pair.read(carrier.data(), modulator.data(), 4), 1);
    EXPECT_FLOAT_EQ(carrier[0], 0.0f);
    EXPECT_FLOAT_EQ(modulator[0], 0.5f);
    EXPECT_EQ(pair.read(carrier.data(), modulator.data(), 4), 0);
}

TEST(RenderInputPair, AStereoFileSplitsIntoCarrierLeftAndModulatorRight) {
    ScratchDirectory dir;
    writeAudio(dir.file("s.wav"), {0.1f, -0.1f, 0.2f, -0.2f, 0.3f, -0.3f}, 2, 48000);
    InputPair pair;
    std::string error;
    ASSERT_TRUE(pair.openStereo(dir.file("s.wav"), error)) << error;
    EXPECT_EQ(pair.sampleRate(), 48000);
    std::vector<float> carrier(8), modulator(8);
    ASSERT_EQ(pair.read(carrier.data(), modulator.data(), 8), 3);
    EXPECT_EQ(std::vector<float>(carrier.begin(), carrier.begin() + 3),
              (std::vector<float>{0.1f, 0.2f, 0.3f}));
    EXPECT_EQ(std::vector<float>(modulator.begin(), modulator.begin() + 3),
              (std::vector<float>{-0.1f, -0.2f, -0.3f}));

    writeAudio(dir.file("mono.wav"), {0.1f, 0.2f}, 1, 48000);
    InputPair mono;
    EXPECT_FALSE(mono.openStereo(dir.file("mono.wav"), error));
    EXPECT_NE(error.find("1 channel"), std::string::npos) << error;
}

TEST(RenderInputPair, UnusableInputsAreRefusedWithTheReason) {
    ScratchDirectory dir;
    writeAudio(dir.file("c48.wav"), {0.1f, 0.2f}, 1, 48000);
    writeAudio(dir.file("m44.wav"), {0.1f, 0.2f}, 1, 44100);
    InputPair pair;
    std::string error;
    EXPECT_FALSE(pair.openPair(dir.file("c48.wav"), dir.file("m44.wav"), error));
    EXPECT_NE(error.find("48000"), std::string::npos) << error;
    EXPECT_NE(error.find("44100"), std::string::npos) << error;

    EXPECT_FALSE(pair.openPair(dir.file("absent.wav"), dir.file("m44.wav"), error));
    EXPECT_NE(error.find("absent.wav"), std::string::npos) << error;
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;

    EXPECT_FALSE(pair.openPair(dir.path(), dir.file("m44.wav"), error));
    EXPECT_NE(error.find("directory"), std::string::npos) << error;
}

#endif
