#ifndef _WIN32

// Reading, processing and writing run on separate threads: a write that fails in the middle
// of a render (here: the file size limit, as on a full disk) must still end the render with one
// clear message and no output file, without hanging any of the threads.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "RenderTestSupport.h"

using namespace rendertest;

namespace {

std::vector<float> stereo(int frames) {
    std::vector<float> left = testSignal(frames, 110.0, 1), right = testSignal(frames, 220.0, 2);
    std::vector<float> interleaved;
    for (int k = 0; k < frames; ++k) {
        interleaved.push_back(left[static_cast<size_t>(k)]);
        interleaved.push_back(right[static_cast<size_t>(k)]);
    }
    return interleaved;
}

TEST(RenderPipeline, AWriteFailingMidwayEndsWithOneMessageAndNoOutputFile) {
    ScratchDirectory dir;
    const std::string input = dir.file("input.wav");
    writeAudio(input, stereo(10 * 44100), 2, 44100);
    const std::string out = dir.file("out.wav");

    // Files may not grow beyond the limit: early in the render, and within its last chunk,
    // after the processing has handed over everything. With the signal ignored, the write
    // answers an error instead of killing the program.
    for (rlim_t limit : {rlim_t(256 * 1024), rlim_t(10 * 44100 * 4 - 4096)}) {
        rlimit saved;
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &small);
        struct sigaction ignore = {}, previous = {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &previous);
        const RunResult run = runRenderer({"--input", input, "-o", out, "--quiet"});
        sigaction(SIGXFSZ, &previous, nullptr);
        setrlimit(RLIMIT_FSIZE, &saved);

        EXPECT_GT(run.status, 0) << limit;
        EXPECT_LT(run.status, 3) << run.err;  // an error, not a crash or a signal
        EXPECT_EQ(run.err.rfind("ostraquelle-render: cannot write", 0), 0u) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        EXPECT_FALSE(fileExists(out));
        EXPECT_EQ(dir.list(), (std::vector<std::string>{"input.wav"}));
    }
}

// The same input rendered in blocks of an odd size gives the same file as in the default
// blocks: the chunks the threads pass on hold whole blocks, and the last one the remainder.
TEST(RenderPipeline, ChunkingDoesNotChangeTheAudio) {
    ScratchDirectory dir;
    const std::string input = dir.file("input.wav");
    writeAudio(input, stereo(100000), 2, 44100);
    ASSERT_EQ(runRenderer({"--input", input, "-o", dir.file("a.wav"), "--quiet"}).status, 0);
    ASSERT_EQ(
        runRenderer({"--input", input, "-o", dir.file("b.wav"), "--quiet", "--block-size", "300"})
            .status,
        0);
    const Audio a = readAudio(dir.file("a.wav")), b = readAudio(dir.file("b.wav"));
    EXPECT_EQ(a.frames, 100000);
    EXPECT_EQ(a.samples, b.samples);
}

// Whatever the chunks the threads pass on, the plug-in sees the input in calls of the block
// size (the last call takes the remainder), each frame in its place, and the selected outputs
// reach the file in their places: one channel as well as all of them.
TEST(RenderPipeline, ThePlugInGetsFullBlocksAndItsOutputsLandInPlace) {
    ScratchDirectory dir;
    const std::string input = dir.file("input.wav");
    const int total = 100000;
    const std::vector<float> frames = stereo(total);
    writeAudio(input, frames, 2, 44100);
    const std::string plugin = buildDirectory() + "/render-fixtures/render_fixture_blocks.so";
    for (int block : {1000, 300, 20000, 65536}) {
        const std::string all = dir.file("all.wav"), mix = dir.file("mix.wav");
        const std::string size = std::to_string(block);
        ASSERT_EQ(runRenderer({"--input", input, "-o", all, "--quiet", "--plugin", plugin,
                               "--block-size", size, "--outputs", "all"})
                      .status,
                  0);
        ASSERT_EQ(runRenderer({"--input", input, "-o", mix, "--quiet", "--plugin", plugin,
                               "--block-size", size})
                      .status,
                  0);
        const Audio a = readAudio(all), m = readAudio(mix);
        ASSERT_EQ(a.channels, 2);
        ASSERT_EQ(a.frames, total);
        ASSERT_EQ(m.frames, total);
        const int lastBlock = total % block == 0 ? block : total % block;
        int wrong = 0;
        for (int k = 0; k < total && wrong < 3; ++k) {
            const float call = static_cast<float>(k >= total - lastBlock ? lastBlock : block);
            const size_t at = static_cast<size_t>(k);
            if (a.samples[2 * at] != call || m.samples[at] != call ||
                a.samples[2 * at + 1] != frames[2 * at]) {
                ++wrong;
                ADD_FAILURE() << "block " << block << ", frame " << k << ": call of "
                              << a.samples[2 * at] << " (mono file " << m.samples[at]
                              << ") frames, expected " << call << "; carrier "
                              << a.samples[2 * at + 1] << ", expected " << frames[2 * at];
            }
        }
    }
}

}  // namespace

#endif
