#ifndef _WIN32

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "RenderTestSupport.h"

using namespace rendertest;

namespace {

int countLines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

TEST(RenderCommand, EveryFailureEndsWithOneClearMessageAndNoOutputFile) {
    Material m;
    writeAudio(m.dir.file("c48.wav"), testSignal(4800, 110.0, 3), 1, 48000);
    { std::ofstream(m.dir.file("notes.txt")) << "not audio\n"; }
    { std::ofstream(m.dir.file("empty.wav")); }
    const std::string fixtures = buildDirectory() + "/render-fixtures";
    const std::string out = m.dir.file("out.wav");
    const std::vector<std::string> pair = {"--carrier", m.carrier, "--modulator", m.modulator};

    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    auto with = [&](std::vector<std::string> extra, bool usePair = true) {
        std::vector<std::string> arguments = usePair ? pair : std::vector<std::string>{};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return arguments;
    };
    const std::vector<Case> cases = {
        {with({"--carrier", m.dir.file("gone.wav"), "--modulator", m.modulator, "-o", out}, false),
         "cannot open " + m.dir.file("gone.wav") + ": No such file or directory"},
        {with({"--carrier", m.dir.file("notes.txt"), "--modulator", m.modulator, "-o", out}, false),
         "cannot read " + m.dir.file("notes.txt") + " as audio"},
        {with({"--carrier", m.dir.file("empty.wav"), "--modulator", m.modulator, "-o", out}, false),
         "cannot read " + m.dir.file("empty.wav") + " as audio: the file is empty (0 bytes)"},
        {with({"--input", m.carrier, "-o", out}, false), "needs a stereo file"},
        {with({"-o", m.modulator}), "cannot write " + m.modulator + ": it is the input"},
        {with({"-o", out, "--plugin", m.dir.file("none.so")}), "cannot load plug-in"},
        {with({"-o", out, "--plugin", m.modulator}), "cannot load plug-in"},
        {with({"-o", out, "--plugin", fixtures + "/render_fixture_noentry.so"}),
         "exports neither VSTPluginMain nor main"},
        {with({"-o", out, "--plugin", fixtures + "/render_fixture_null.so"}), "returned no effect"},
        {with({"-o", m.dir.file("no/such/dir/out.wav")}), "cannot write"},
        {with({"-o", m.dir.file("out.mp9")}), "cannot tell the output format"},
        {with({"-o", out, "--set", "Pred-Ordr=0.5"}),
         "unknown parameter 'Pred-Ordr'; valid names: Voco-Vol, Error-Vol, Modulator-Vol"},
        {with({"-o", out, "--set", "Pred-Order=half"}),
         "value 'half' for Pred-Order is not a number"},
        {with({"-o", out, "--set", "Pred-Order=1.5"}), "outside 0 to 1"},
        {with({"-o", out, "--program", "8"}), "no program 8: the plug-in has programs 0 to 7"},
        {with({"-o", out, "--outputs", "everything"}), "--outputs must be"},
    };
    for (const Case& c : cases) {
        RunResult run = runRenderer(c.arguments);
        EXPECT_NE(run.status, 0) << c.message;
        EXPECT_LT(run.status, 3) << c.message << "\n" << run.err;  // an error, not a crash
        EXPECT_EQ(countLines(run.err), 1) << run.err;
        EXPECT_EQ(run.err.rfind("ostraquelle-render: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_FALSE(fileExists(out)) << c.message;
    }
    // Nothing was left behind in the directory, temporary files included.
    EXPECT_EQ(m.dir.list(),
              (std::vector<std::string>{"c48.wav", "carrier.wav", "empty.wav", "modulator.wav",
                                        "notes.txt"}));
}

TEST(RenderCommand, ParametersAreSetByTheirOwnNamesAfterTheSelectedProgram) {
    RunResult listing = runRenderer(
        {"--list-params", "--program", "5", "--set", "Pred-Order=0.5", "--set", "MAIN VOL=0.25"});
    ASSERT_EQ(listing.status, 0) << listing.err;
    EXPECT_NE(listing.out.find("Ostraquelle ("), std::string::npos) << listing.out;
    EXPECT_NE(listing.out.find("program 5 \"Init\""), std::string::npos) << listing.out;
    EXPECT_NE(listing.out.find("    7  Pred-Order       101.0000   taps"), std::string::npos)
        << listing.out;
    EXPECT_NE(listing.out.find("    5  main Vol         -66.0000   dB"), std::string::npos)
        << listing.out;
    EXPECT_NE(listing.out.find("   20  Filt-Amt         100.0000   %"), std::string::npos);
    EXPECT_EQ(countLines(listing.out), 2 + 21);

    // The setting reaches the audio: main Vol 0.55 is 30 dB below the default 0.8.
    Material m;
    const std::vector<std::string> pair = {"--carrier", m.carrier, "--modulator", m.modulator,
                                           "-q"};
    std::vector<std::string> loud = pair, soft = pair;
    loud.insert(loud.end(), {"-o", m.dir.file("loud.wav")});
    soft.insert(soft.end(), {"-o", m.dir.file("soft.wav"), "--set", "main Vol=0.55"});
    ASSERT_EQ(runRenderer(loud).status, 0);
    ASSERT_EQ(runRenderer(soft).status, 0);
    Audio a = readAudio(m.dir.file("loud.wav"));
    Audio b = readAudio(m.dir.file("soft.wav"));
    ASSERT_EQ(a.samples.size(), b.samples.size());
    double sumA = 0.0, sumB = 0.0;
    for (size_t i = 0; i < a.samples.size(); ++i) {
        sumA += std::fabs(a.samples[i]);
        sumB += std::fabs(b.samples[i]);
    }
    ASSERT_GT(sumA, 0.0);
    EXPECT_NEAR(sumB / sumA, std::pow(10.0, -30.0 / 20.0), 1e-3);
}

TEST(RenderCommand, ASuccessfulRenderReportsOneSummaryLineUnlessQuiet) {
    Material m;
    std::vector<std::string> arguments = {"--carrier", m.carrier, "--modulator",
                                          m.modulator, "-o",      m.dir.file("out.wav")};
    RunResult run = runRenderer(arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;  // no progress bar: stderr is not a terminal
    EXPECT_EQ(countLines(run.out), 1) << run.out;
    EXPECT_NE(run.out.find(": mono 32-bit float WAV, 0.50 s at 44100 Hz, real-time factor "),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(" dBFS, "), std::string::npos) << run.out;
    Audio audio = readAudio(m.dir.file("out.wav"));
    EXPECT_EQ(audio.channels, 1);
    EXPECT_EQ(audio.frames, 22050);

    arguments.push_back("--quiet");
    arguments.push_back("--bits=16");
    RunResult quiet = runRenderer(arguments);
    EXPECT_EQ(quiet.status, 0);
    EXPECT_TRUE(quiet.out.empty() && quiet.err.empty()) << quiet.out << quiet.err;
    EXPECT_EQ(readAudio(m.dir.file("out.wav")).frames, 22050);  // replaced in place

    // A hot signal in 16 bits: the clipped samples are counted.
    std::vector<float> hot(4410, 3.0f);
    writeAudio(m.dir.file("hot.wav"), hot, 1, 44100);
    RunResult clipping =
        runRenderer({"--carrier", m.dir.file("hot.wav"), "--modulator", m.modulator, "--outputs",
                     "carrier", "--bits", "16", "-o", m.dir.file("hot16.wav")});
    ASSERT_EQ(clipping.status, 0) << clipping.err;
    EXPECT_NE(clipping.out.find("peak 9.5 dBFS, 4410 samples clipped"), std::string::npos)
        << clipping.out;
}

TEST(RenderCommand, OutputSelectionWritesOnePairAsMonoOrEveryOutput) {
    Material m;
    const std::vector<std::string> pair = {"--carrier", m.carrier, "--modulator", m.modulator,
                                           "-q"};
    auto render = [&](const std::string& which, const std::string& name) {
        std::vector<std::string> arguments = pair;
        arguments.insert(arguments.end(), {"--outputs", which, "-o", m.dir.file(name)});
        RunResult run = runRenderer(arguments);
        EXPECT_EQ(run.status, 0) << run.err;
        return readAudio(m.dir.file(name));
    };
    Audio carrier = render("carrier", "c.wav");
    Audio modulator = render("modulator", "m.wav");
    Audio all = render("all", "all.wav");
    Audio inCarrier = readAudio(m.carrier);
    Audio inModulator = readAudio(m.modulator);
    EXPECT_EQ(carrier.channels, 1);
    EXPECT_EQ(carrier.samples, inCarrier.samples);  // passed through untouched
    EXPECT_EQ(modulator.samples, inModulator.samples);

    ASSERT_EQ(all.channels, 8);
    ASSERT_EQ(all.frames, 22050);
    double errorEnergy = 0.0;
    for (long long frame = 0; frame < all.frames; ++frame) {
        const float* f = &all.samples[static_cast<size_t>(frame * 8)];
        ASSERT_EQ(f[0], f[1]);
        ASSERT_EQ(f[2], f[3]);
        ASSERT_EQ(f[4], inCarrier.samples[static_cast<size_t>(frame)]);
        ASSERT_EQ(f[5], f[4]);
        ASSERT_EQ(f[6], inModulator.samples[static_cast<size_t>(frame)]);
        ASSERT_EQ(f[7], f[6]);
        errorEnergy += f[2] * f[2];
    }
    EXPECT_GT(errorEnergy, 0.0);
    Audio error = render("error", "e.wav");
    for (long long frame = 0; frame < all.frames; ++frame) {
        ASSERT_EQ(error.samples[static_cast<size_t>(frame)],
                  all.samples[static_cast<size_t>(frame * 8 + 2)]);
    }
}

#endif
