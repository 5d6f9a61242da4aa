#ifndef _WIN32

// What a user at a terminal sees: a progress bar for long renders, a clean stop on Ctrl-C, and
// a clear message instead of a half-written file when the plug-in itself crashes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RenderTestSupport.h"

using namespace rendertest;

TEST(RenderTerminal, LongRendersShowAProgressBarUnlessQuiet) {
    ScratchDirectory dir;
    writeAudio(dir.file("c.wav"), testSignal(6 * 44100, 110.0, 5), 1, 44100);
    writeAudio(dir.file("m.wav"), testSignal(6 * 44100, 200.0, 6), 1, 44100);
    std::vector<std::string> arguments = {"--carrier",   dir.file("c.wav"),
                                          "--modulator", dir.file("m.wav"),
                                          "-o",          dir.file("out.wav")};
    RunResult run = runRendererOnTerminal(arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("rendering [####"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("] 100%"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("real-time factor"), std::string::npos) << run.out;

    arguments.push_back("--quiet");
    RunResult quiet = runRendererOnTerminal(arguments);
    ASSERT_EQ(quiet.status, 0);
    EXPECT_TRUE(quiet.err.empty()) << quiet.err;
    EXPECT_TRUE(quiet.out.empty()) << quiet.out;

    // A short render has no bar even on a terminal.
    writeAudio(dir.file("short.wav"), testSignal(44100, 110.0, 7), 1, 44100);
    RunResult brief = runRendererOnTerminal({"--carrier", dir.file("short.wav"), "--modulator",
                                             dir.file("short.wav"), "-o", dir.file("b.wav")});
    ASSERT_EQ(brief.status, 0);
    EXPECT_TRUE(brief.err.empty()) << brief.err;
}

TEST(RenderTerminal, CtrlCAndPluginCrashesLeaveNoFileUnderTheOutputName) {
    ScratchDirectory inputs;
    // A minute of audio: the render is still running when Ctrl-C comes.
    writeAudio(inputs.file("c.wav"), testSignal(60 * 44100, 110.0, 8), 1, 44100);
    writeAudio(inputs.file("m.wav"), testSignal(60 * 44100, 200.0, 9), 1, 44100);
    ScratchDirectory outputs;
    RunResult stopped = runRendererOnTerminal({"--carrier", inputs.file("c.wav"), "--modulator",
                                               inputs.file("m.wav"), "-o", outputs.file("out.wav")},
                                              outputs.path());
    EXPECT_EQ(stopped.status, 1);
    EXPECT_NE(stopped.err.find("ostraquelle-render: interrupted; no output written"),
              std::string::npos)
        << stopped.err;
    EXPECT_TRUE(outputs.list().empty());

    RunResult crashed =
        runRenderer({"--carrier", inputs.file("c.wav"), "--modulator", inputs.file("m.wav"), "-o",
                     outputs.file("out.wav"), "--plugin",
                     buildDirectory() + "/render-fixtures/render_fixture_crash.so"});
    EXPECT_EQ(crashed.status, 70);
    EXPECT_EQ(crashed.err,
              "ostraquelle-render: the render crashed, most likely inside the plug-in; no output "
              "written\n");
    EXPECT_TRUE(outputs.list().empty());
}

#endif
