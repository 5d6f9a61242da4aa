#ifndef _WIN32

#include <gtest/gtest.h>
#include <sndfile.h>

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "RenderTestSupport.h"
#include "tools/render/OutputFile.h"

using rendertest::ScratchDirectory;

// The renderer is linked into this program, so this fsync and fdatasync replace the C
// library's for it: the tests can make the flush to disk fail as a full or failing device
// would, which no real file system here does on demand. Otherwise they pass the call on.
namespace {
int failingSyncErrno = 0;
std::atomic<int> failingDataSyncErrno(0);
std::atomic<int> dataSyncCalls(0);

void writePrevious(const std::string& path) {
    std::ofstream existing(path);
    existing << "previous render";
}

std::string firstLine(const std::string& path) {
    std::ifstream kept(path);
    std::string text;
    std::getline(kept, text);
    return text;
}
}  // namespace

namespace {
using Sync = int (*)(int);

int failOrPassOn(int failing, Sync next, int descriptor) {
    if (failing != 0) {
        errno = failing;
        return -1;
    }
    return next(descriptor);
}

Sync library(const char* name) { return reinterpret_cast<Sync>(dlsym(RTLD_NEXT, name)); }
}  // namespace

extern "C" int fsync(int descriptor) {
    static const Sync next = library("fsync");
    return failOrPassOn(failingSyncErrno, next, descriptor);
}

extern "C" int fdatasync(int descriptor) {
    ++dataSyncCalls;
    static const Sync next = library("fdatasync");
    return failOrPassOn(failingDataSyncErrno, next, descriptor);
}

TEST(RenderOutputFile, PcmConversionRoundsWithoutDitherAndCountsClipping) {
    bool clipped = false;
    // 16-bit: full scale 1.0 is 32768 steps; values round to the nearest step.
    EXPECT_EQ(OutputFile::toPcm(0.0f, 16, clipped), 0);
    EXPECT_FALSE(clipped);
    EXPECT_EQ(OutputFile::toPcm(1000.4f / 32768.0f, 16, clipped), 1000 * 65536);
    EXPECT_EQ(OutputFile::toPcm(-1000.6f / 32768.0f, 16, clipped), -1001 * 65536);
    EXPECT_EQ(OutputFile::toPcm(-1.0f, 16, clipped), -32768 * 65536);
    EXPECT_FALSE(clipped);
    EXPECT_EQ(OutputFile::toPcm(32766.9f / 32768.0f, 16, clipped), 32767 * 65536);
    EXPECT_FALSE(clipped);
    EXPECT_EQ(OutputFile::toPcm(1.0f, 16, clipped), 32767 * 65536);
    EXPECT_TRUE(clipped);
    EXPECT_EQ(OutputFile::toPcm(-3.5f, 16, clipped), -32768 * 65536);
    EXPECT_TRUE(clipped);
    // 24-bit: 8388608 steps, left-justified by 8 bits.
    EXPECT_EQ(OutputFile::toPcm(0.5f, 24, clipped), 4194304 * 256);
    EXPECT_FALSE(clipped);
    EXPECT_EQ(OutputFile::toPcm(2.0f, 24, clipped), 8388607 * 256);
    EXPECT_TRUE(clipped);
}

TEST(RenderOutputFile, SixteenBitFilesHoldTheRoundedSamplesAndReportPeakAndClips) {
    ScratchDirectory dir;
    std::string path = dir.file("out.wav");
    const std::vector<float> samples = {0.25f,  -0.5f, 1.5f,
                                        -1.25f, 0.1f,  std::numeric_limits<float>::quiet_NaN()};
    OutputFile output;
    std::string error;
    ASSERT_TRUE(output.open(path, 1, 44100, 16, error)) << error;
    ASSERT_TRUE(output.write(samples.data(), static_cast<int64_t>(samples.size()), error));
    ASSERT_TRUE(output.commit(error)) << error;
    EXPECT_EQ(output.description(), "mono 16-bit WAV");
    EXPECT_EQ(output.clipped(), 2);
    EXPECT_EQ(output.nonFinite(), 1);
    EXPECT_DOUBLE_EQ(output.peak(), 1.5);

    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    std::vector<short> read(samples.size());
    ASSERT_EQ(sf_read_short(file, read.data(), static_cast<sf_count_t>(read.size())),
              static_cast<sf_count_t>(read.size()));
    sf_close(file);
    EXPECT_EQ(read, (std::vector<short>{8192, -16384, 32767, -32768, 3277, 0}));
    EXPECT_EQ(dir.list(), std::vector<std::string>{"out.wav"});  // no temporary file left
}

// Float files keep every value; the figures leave NaN and infinities out of the peak, count
// what lies beyond full scale (1.0 itself does not), and carry over from one write to the next
// wherever in a write the extreme sample lies.
TEST(RenderOutputFile, FloatFilesKeepEveryValueAndReportPeakBeyondFullScaleAndNonFinite) {
    ScratchDirectory dir;
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> first(37, 0.125f), second(21, -0.25f);
    first[0] = 1.0f;
    first[3] = std::nextafter(1.0f, 2.0f);  // beyond
    first[8] = -inf;
    first[9] = nan;
    first[10] = -nan;
    first[17] = std::numeric_limits<float>::denorm_min();
    first[18] = -0.0f;
    first[36] = -3.0f;  // the peak, in the last sample of the write; beyond
    second[2] = inf;
    second[11] = 2.5f;                                       // beyond, below the earlier peak
    second[20] = -std::numeric_limits<float>::denorm_min();  // the last sample again
    const std::string path = dir.file("out.wav");
    OutputFile output;
    std::string error;
    ASSERT_TRUE(output.open(path, 1, 44100, 0, error)) << error;
    ASSERT_TRUE(output.write(first.data(), static_cast<int64_t>(first.size()), error));
    ASSERT_TRUE(output.write(second.data(), static_cast<int64_t>(second.size()), error));
    ASSERT_TRUE(output.commit(error)) << error;
    EXPECT_EQ(output.peak(), 3.0);
    EXPECT_EQ(output.clipped(), 3);
    EXPECT_EQ(output.nonFinite(), 4);

    OutputFile large;
    std::vector<float> huge(5, 0.0f);
    huge[2] = -std::numeric_limits<float>::max();
    ASSERT_TRUE(large.open(dir.file("large.wav"), 1, 44100, 0, error)) << error;
    ASSERT_TRUE(large.write(huge.data(), 5, error));
    ASSERT_TRUE(large.commit(error)) << error;
    EXPECT_EQ(large.peak(), static_cast<double>(std::numeric_limits<float>::max()));
    EXPECT_EQ(large.clipped(), 1);
    EXPECT_EQ(large.nonFinite(), 0);

    std::vector<float> written = first;
    written.insert(written.end(), second.begin(), second.end());
    const rendertest::Audio audio = rendertest::readAudio(path);
    ASSERT_EQ(audio.samples.size(), written.size());
    for (size_t i = 0; i < written.size(); ++i) {
        if (std::isnan(written[i])) {
            EXPECT_TRUE(std::isnan(audio.samples[i])) << i;
        } else {
            EXPECT_EQ(audio.samples[i], written[i]) << i;
            EXPECT_EQ(std::signbit(audio.samples[i]), std::signbit(written[i])) << i;
        }
    }
}

TEST(RenderOutputFile, TheExtensionChoosesTheFormatAndFloatIsTheDefault) {
    ScratchDirectory dir;
    std::string error;
    struct Case {
        const char* name;
        int bits;
        int expectedFormat;
        const char* description;
    };
    const Case cases[] = {
        {"a.wav", 0, SF_FORMAT_WAV | SF_FORMAT_FLOAT, "stereo 32-bit float WAV"},
        {"b.AIFF", 24, SF_FORMAT_AIFF | SF_FORMAT_PCM_24, "stereo 24-bit AIFF"},
        // FLAC has no float samples: 24-bit PCM instead.
        {"c.flac", 0, SF_FORMAT_FLAC | SF_FORMAT_PCM_24, "stereo 24-bit FLAC"},
        {"d.ogg", 0, SF_FORMAT_OGG | SF_FORMAT_VORBIS, "stereo Vorbis OGG"},
    };
    const std::vector<float> frames = {0.1f, -0.1f, 0.2f, -0.2f};
    for (const Case& c : cases) {
        OutputFile output;
        ASSERT_TRUE(output.open(dir.file(c.name), 2, 44100, c.bits, error)) << c.name << error;
        ASSERT_TRUE(output.write(frames.data(), 2, error));
        ASSERT_TRUE(output.commit(error)) << error;
        EXPECT_EQ(output.description(), c.description);
        SF_INFO info{};
        SNDFILE* file = sf_open(dir.file(c.name).c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr) << c.name;
        EXPECT_EQ(info.format, c.expectedFormat) << c.name;
        EXPECT_EQ(info.channels, 2);
        sf_close(file);
    }

    OutputFile unknown;
    EXPECT_FALSE(unknown.open(dir.file("e.xyz"), 1, 44100, 0, error));
    EXPECT_NE(error.find("extension"), std::string::npos) << error;
    OutputFile vorbisBits;
    EXPECT_FALSE(vorbisBits.open(dir.file("f.ogg"), 1, 44100, 16, error));
    EXPECT_NE(error.find("--bits"), std::string::npos) << error;
}

TEST(RenderOutputFile, AnUnfinishedFileNeverAppearsUnderTheRequestedName) {
    ScratchDirectory dir;
    std::string path = dir.file("keep.wav");
    writePrevious(path);
    std::string error;
    const std::vector<float> frames(100, 0.5f);
    {
        OutputFile output;
        ASSERT_TRUE(output.open(path, 1, 44100, 0, error)) << error;
        ASSERT_TRUE(output.write(frames.data(), 100, error));
        EXPECT_EQ(dir.list().size(), 2u);  // the target and a temporary file beside it
        // Destroyed without commit, as after a failed render.
    }
    EXPECT_EQ(dir.list(), std::vector<std::string>{"keep.wav"});
    EXPECT_EQ(firstLine(path), "previous render");

    OutputFile intoDirectory;
    EXPECT_FALSE(intoDirectory.open(dir.path(), 1, 44100, 0, error));
    OutputFile nowhere;
    EXPECT_FALSE(nowhere.open(dir.file("missing/out.wav"), 1, 44100, 0, error));
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_EQ(dir.list(), std::vector<std::string>{"keep.wav"});
}

// A render whose data could not be flushed to disk has failed: the error says why, and the
// previous file keeps its name and content.
TEST(RenderOutputFile, AFailedFlushToDiskFailsTheCommitAndKeepsThePreviousFile) {
    ScratchDirectory dir;
    const std::string path = dir.file("keep.wav");
    writePrevious(path);
    const std::vector<float> frames(100, 0.5f);
    std::string error;
    OutputFile output;
    ASSERT_TRUE(output.open(path, 1, 44100, 0, error)) << error;
    ASSERT_TRUE(output.write(frames.data(), 100, error)) << error;
    failingSyncErrno = EIO;
    const bool committed = output.commit(error);
    failingSyncErrno = 0;
    EXPECT_FALSE(committed);
    EXPECT_NE(error.find("cannot write " + path), std::string::npos) << error;
    EXPECT_NE(error.find(std::strerror(EIO)), std::string::npos) << error;
    EXPECT_EQ(dir.list(), std::vector<std::string>{"keep.wav"});
    EXPECT_EQ(firstLine(path), "previous render");
}

// The data is flushed while the render runs. A flush that failed then fails the commit, though
// the final flush succeeds: Linux reports a failed write-back to one flush only.
TEST(RenderOutputFile, AFlushThatFailedDuringTheRenderFailsTheCommit) {
    ScratchDirectory dir;
    const std::string path = dir.file("keep.wav");
    writePrevious(path);
    const std::vector<float> frames(1 << 19, 0.25f);  // 2 MB as 32-bit float
    std::string error;
    OutputFile output;
    ASSERT_TRUE(output.open(path, 1, 44100, 0, error)) << error;
    dataSyncCalls = 0;
    failingDataSyncErrno = ENOSPC;
    ASSERT_TRUE(output.write(frames.data(), int64_t(frames.size()), error)) << error;
    for (int waited = 0; dataSyncCalls == 0 && waited < 1000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    failingDataSyncErrno = 0;
    ASSERT_GT(dataSyncCalls, 0) << "nothing was flushed while the data was written";
    EXPECT_FALSE(output.commit(error));
    EXPECT_NE(error.find(std::strerror(ENOSPC)), std::string::npos) << error;
    EXPECT_EQ(dir.list(), std::vector<std::string>{"keep.wav"});
    EXPECT_EQ(firstLine(path), "previous render");
}

// A WAV counts its bytes in 32 bits: one that would pass 4 GiB is written as RF64, and a
// format without such a successor is refused before anything is rendered.
TEST(RenderOutputFile, AWavThatWouldPassFourGibibytesIsWrittenAsRf64) {
    ScratchDirectory dir;
    std::string error;
    const int64_t frames = 3100LL * 44100;  // 8 channels of float: 4.37 GB
    ASSERT_GT(OutputFile::largestSize(frames, 8), OutputFile::kLargest32BitFile);
    ASSERT_LT(OutputFile::largestSize(frames, 7), OutputFile::kLargest32BitFile);
    const std::vector<float> block(8 * 100, 0.25f);
    {
        OutputFile big;
        ASSERT_TRUE(big.open(dir.file("big.wav"), 8, 44100, 0, error, frames)) << error;
        EXPECT_EQ(big.description(), "8-channel 32-bit float RF64 (a WAV would pass 4 GiB)");
        ASSERT_TRUE(big.write(block.data(), 100, error)) << error;
        ASSERT_TRUE(big.commit(error)) << error;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(dir.file("big.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_RF64);
    EXPECT_EQ(info.frames, 100);
    sf_close(file);

    OutputFile smaller;
    ASSERT_TRUE(smaller.open(dir.file("small.wav"), 7, 44100, 0, error, frames)) << error;
    EXPECT_EQ(smaller.description(), "7-channel 32-bit float WAV");
    OutputFile aiff;
    EXPECT_FALSE(aiff.open(dir.file("big.aiff"), 8, 44100, 0, error, frames));
    EXPECT_NE(error.find("pass the 4 GiB that AIFF can hold"), std::string::npos) << error;
}

#endif
