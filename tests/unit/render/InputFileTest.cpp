#ifndef _WIN32

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "RenderTestSupport.h"
#include "tools/render/InputFile.h"

using rendertest::ScratchDirectory;

namespace {

uint32_t bitsOf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

}  // namespace

// The renderer converts 16-bit samples itself: each of the 65536 values must become exactly the
// float that libsndfile's own normalised reading gives, in each container (AIFF is big-endian,
// FLAC compressed), split into two signals or mixed to mono, over reads of any length.
TEST(RenderInputFile, SixteenBitSamplesReadAsTheFloatsLibsndfileNormalisesThemTo) {
    ScratchDirectory dir;
    // Every value on the left, the same values reversed on the right, so that swapped channels
    // show.
    std::vector<short> samples;
    for (int value = -32768; value <= 32767; ++value) {
        samples.push_back(static_cast<short>(value));
        samples.push_back(static_cast<short>(-1 - value));
    }
    const sf_count_t frames = static_cast<sf_count_t>(samples.size() / 2);
    const struct {
        const char* name;
        int container;
    } files[] = {
        {"all.wav", SF_FORMAT_WAV}, {"all.aiff", SF_FORMAT_AIFF}, {"all.flac", SF_FORMAT_FLAC}};
    for (const auto& file : files) {
        const char* name = file.name;
        const std::string path = dir.file(name);
        SF_INFO info{};
        info.channels = 2;
        info.samplerate = 44100;
        info.format = file.container | SF_FORMAT_PCM_16;
        SNDFILE* out = sf_open(path.c_str(), SFM_WRITE, &info);
        ASSERT_NE(out, nullptr) << name;
        ASSERT_EQ(sf_writef_short(out, samples.data(), frames), frames);
        sf_close(out);

        SF_INFO readInfo{};
        SNDFILE* in = sf_open(path.c_str(), SFM_READ, &readInfo);
        ASSERT_NE(in, nullptr) << name;
        sf_command(in, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
        std::vector<float> expected(samples.size());
        ASSERT_EQ(sf_readf_float(in, expected.data(), frames), frames);
        sf_close(in);

        std::string error;
        InputFile stereo;
        ASSERT_TRUE(stereo.open(path, error)) << error;
        std::vector<float> left(static_cast<size_t>(frames)), right(left.size());
        int64_t at = 0;
        while (int64_t got = stereo.readStereo(&left[at], &right[at], 7000)) at += got;
        ASSERT_EQ(at, frames) << name;

        InputFile mono;
        ASSERT_TRUE(mono.open(path, error)) << error;
        std::vector<float> mixed(left.size());
        at = 0;
        while (int64_t got = mono.readMono(&mixed[at], 4099)) at += got;
        ASSERT_EQ(at, frames) << name;

        int wrong = 0;
        for (size_t k = 0; k < left.size(); ++k) {
            const float l = expected[2 * k], r = expected[2 * k + 1];
            const float mix = static_cast<float>((static_cast<double>(l) + r) / 2.0);
            if (bitsOf(left[k]) != bitsOf(l) || bitsOf(right[k]) != bitsOf(r) ||
                bitsOf(mixed[k]) != bitsOf(mix)) {
                if (++wrong <= 3) {
                    ADD_FAILURE() << name << " sample " << samples[2 * k] << ": " << left[k] << " "
                                  << right[k] << " " << mixed[k] << ", expected " << l << " " << r
                                  << " " << mix;
                }
            }
        }
        EXPECT_EQ(wrong, 0) << name;
    }
}

#endif
