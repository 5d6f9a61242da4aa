#ifndef _WIN32

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
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

// A compressed file cut short still promises its whole length in its header: the render ends
// where the decodable frames end (padding to the promise once made 3 s of input into hours of
// silence), and the early end is reported.
TEST(RenderInputPair, AStereoFileThatEndsBeforeItsHeaderSaysEndsWhereItsDataEnds) {
    ScratchDirectory dir;
    const std::string path = dir.file("cut.flac");
    const int64_t total = 100000;
    std::vector<short> samples;
    for (int64_t k = 0; k < total; ++k) {  // never zero
        samples.push_back(static_cast<short>(1 + k * 7919 % 20000));
        samples.push_back(static_cast<short>(-1 - k * 104729 % 20000));
    }
    SF_INFO info{};
    info.channels = 2;
    info.samplerate = 44100;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SNDFILE* out = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(sf_writef_short(out, samples.data(), total), total);
    sf_close(out);
    FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);
    ASSERT_EQ(truncate(path.c_str(), size / 2), 0);

    InputPair pair;
    std::string error;
    ASSERT_TRUE(pair.openStereo(path, error)) << error;
    ASSERT_EQ(pair.frames(), total);  // the header's promise, for the progress display
    std::vector<float> carrier, modulator;
    std::vector<float> c(4096), m(4096);
    for (;;) {
        std::fill(c.begin(), c.end(), 9.0f);  // what a recycled buffer may hold
        std::fill(m.begin(), m.end(), 9.0f);
        const int64_t got = pair.read(c.data(), m.data(), 4096);
        if (got == 0) break;
        carrier.insert(carrier.end(), c.begin(), c.begin() + got);
        modulator.insert(modulator.end(), m.begin(), m.begin() + got);
    }
    ASSERT_GT(carrier.size(), 0u);
    ASSERT_LT(static_cast<int64_t>(carrier.size()), total);
    for (size_t k = 0; k < carrier.size(); ++k) {
        if (carrier[k] != InputFile::fromPcm16(samples[2 * k]) ||
            modulator[k] != InputFile::fromPcm16(samples[2 * k + 1])) {
            ADD_FAILURE() << "frame " << k << " of " << carrier.size() << ": " << carrier[k] << " "
                          << modulator[k];
            break;
        }
    }
    const std::vector<std::string> early = pair.earlyEnds();
    ASSERT_EQ(early.size(), 1u);
    EXPECT_EQ(early[0], path + " ended after " + std::to_string(carrier.size()) +
                            " frames; its header promised 100000");
}

// Two files of different lengths: the shorter is padded with silence to the longer's real
// length, which a header that promised more does not stretch.
TEST(RenderInputPair, APairEndsWithTheLongerInputsRealData) {
    ScratchDirectory dir;
    writeAudio(dir.file("c.wav"), std::vector<float>(1000, 0.25f), 1, 44100);
    writeAudio(dir.file("m.wav"), std::vector<float>(3000, -0.5f), 1, 44100);
    InputPair pair;
    std::string error;
    ASSERT_TRUE(pair.openPair(dir.file("c.wav"), dir.file("m.wav"), error)) << error;
    std::vector<float> c(8192, 9.0f), m(8192, 9.0f);
    ASSERT_EQ(pair.read(c.data(), m.data(), 8192), 3000);
    EXPECT_EQ(c[999], 0.25f);
    EXPECT_EQ(c[1000], 0.0f);
    EXPECT_EQ(c[2999], 0.0f);
    EXPECT_EQ(m[2999], -0.5f);
    EXPECT_EQ(pair.read(c.data(), m.data(), 8192), 0);
    EXPECT_TRUE(pair.earlyEnds().empty());
}

TEST(RenderInputPair, UnusableInputsAreRefusedWithTheReason) {
    ScratchDirectory dir;
    writeAudio(dir.file("c48.wav"), {0.1f, 0.2f}, 1, 48000);
    writeAudio(dir.file("m44.wav"), {0.1f, 0.2f}, 1, 44100);
    InputPair pair;
    std::string error;
    { std::ofstream(dir.file("zero.wav")); }
    EXPECT_FALSE(pair.openPair(dir.file("zero.wav"), dir.file("m44.wav"), error));
    EXPECT_NE(error.find("zero.wav as audio: the file is empty (0 bytes)"), std::string::npos)
        << error;

    EXPECT_FALSE(pair.openPair(dir.file("absent.wav"), dir.file("m44.wav"), error));
    EXPECT_NE(error.find("absent.wav"), std::string::npos) << error;
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;

    EXPECT_FALSE(pair.openPair(dir.path(), dir.file("m44.wav"), error));
    EXPECT_NE(error.find("directory"), std::string::npos) << error;
}

#endif
