#ifndef _WIN32

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "RenderTestSupport.h"
#include "tools/render/BatchPlan.h"

using namespace rendertest;

namespace {

int countOf(const std::string& text, const std::string& piece) {
    int count = 0;
    for (std::string::size_type at = text.find(piece); at != std::string::npos;
         at = text.find(piece, at + 1))
        ++count;
    return count;
}

}  // namespace

// Each file of a batch is what a render of it alone gives, bit for bit, whichever worker and
// whatever it rendered before; the format follows the name.
TEST(RenderBatch, EveryOutputIsTheSingleRenderOfItsFile) {
    ScratchDirectory dir;
    mkdir((dir.path() + "/out").c_str(), 0755);
    mkdir((dir.path() + "/single").c_str(), 0755);
    writeAudio(dir.file("pad.wav"), testSignal(30000, 110.0, 1), 1, 44100);
    const std::vector<std::string> names = {"v1.wav", "v2.flac", "v3.wav", "v4.wav", "v5.wav"};
    const int lengths[] = {44100, 5000, 20000, 60000, 777};
    for (size_t i = 0; i < names.size(); ++i) {
        writeAudio(dir.file(names[i]), testSignal(lengths[i], 200.0 + 50.0 * i, 10 + i), 1,
                   names[i] == "v4.wav" ? 48000 : 44100);
    }
    std::vector<std::string> batch = {"--carrier", dir.file("pad.wav"), "--out-dir",
                                      dir.file("out"), "--jobs", "2", "--set", "Pred-Order=0.3"};
    for (const std::string& name : names) batch.push_back(dir.file(name));
    RunResult run = runRenderer(batch);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(countOf(run.out, "\n"), 6) << run.out;  // a line per file and the total
    EXPECT_NE(run.out.find("5 file(s) rendered, 0 failed"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(dir.file("v4.wav") + " converted from 48000 Hz"), std::string::npos);

    for (const std::string& name : names) {
        RunResult single = runRenderer({"-q", "--carrier", dir.file("pad.wav"), "--modulator",
                                        dir.file(name), "-o", dir.file("single/" + name), "--set",
                                        "Pred-Order=0.3"});
        ASSERT_EQ(single.status, 0) << single.err;
        // The samples, not the bytes: a float WAV's peak chunk holds the time of writing.
        const Audio fromBatch = readAudio(dir.file("out/" + name));
        const Audio alone = readAudio(dir.file("single/" + name));
        EXPECT_GT(fromBatch.frames, 0) << name;
        EXPECT_EQ(fromBatch.sampleRate, alone.sampleRate) << name;
        EXPECT_TRUE(fromBatch.samples == alone.samples) << name;
    }
    EXPECT_EQ(readAudio(dir.file("out/v2.flac")).frames, 30000);

    // --out-format chooses the format for all.
    RunResult flac = runRenderer({"-q", "--carrier", dir.file("pad.wav"), "--out-dir",
                                  dir.file("out"), "--out-format", "flac", dir.file("v1.wav")});
    ASSERT_EQ(flac.status, 0) << flac.err;
    EXPECT_EQ(readAudio(dir.file("out/v1.flac")).frames, 44100);
}

TEST(RenderBatch, ABadInputFailsAloneWithItsMessageAndTheOthersFinish) {
    ScratchDirectory dir, out;
    writeAudio(dir.file("pad.wav"), testSignal(8000, 110.0, 1), 1, 44100);
    writeAudio(dir.file("good1.wav"), testSignal(8000, 300.0, 2), 1, 44100);
    writeAudio(dir.file("good2.wav"), testSignal(9000, 250.0, 3), 1, 44100);
    { std::ofstream(dir.file("notes.wav")) << "not audio\n"; }
    RunResult run = runRenderer({"--carrier", dir.file("pad.wav"), "--out-dir", out.path(),
                                 "--jobs", "2", dir.file("good1.wav"), dir.file("gone.wav"),
                                 dir.file("notes.wav"), dir.file("good2.wav")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(countOf(run.err, "\n"), 2) << run.err;
    EXPECT_NE(run.err.find("cannot open " + dir.file("gone.wav") + ": No such file"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("cannot read " + dir.file("notes.wav") + " as audio"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("2 file(s) rendered, 2 failed"), std::string::npos) << run.out;
    EXPECT_EQ(readAudio(out.file("good1.wav")).frames, 8000);
    EXPECT_EQ(readAudio(out.file("good2.wav")).frames, 9000);
    // No stray file: no output for the failures, no temporary file.
    EXPECT_EQ(out.list(), (std::vector<std::string>{"good1.wav", "good2.wav"}));
}

TEST(RenderBatch, APairsListNamesEachRenderAndABadListIsABadCommandLine) {
    ScratchDirectory dir;
    writeAudio(dir.file("c1.wav"), testSignal(4000, 110.0, 1), 1, 44100);
    writeAudio(dir.file("c2.wav"), testSignal(6000, 220.0, 2), 1, 48000);
    writeAudio(dir.file("m.wav"), testSignal(5000, 300.0, 3), 1, 44100);
    {
        std::ofstream list(dir.file("pairs.txt"));
        list << "# carrier, modulator, output\n\n"
             << dir.file("c1.wav") << "\t" << dir.file("m.wav") << "\t" << dir.file("a.wav")
             << "\n"
             << dir.file("c2.wav") << "  " << dir.file("m.wav") << " " << dir.file("b.flac")
             << "\n";
    }
    RunResult run = runRenderer({"-q", "--pairs", dir.file("pairs.txt")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readAudio(dir.file("a.wav")).frames, 5000);
    Audio b = readAudio(dir.file("b.flac"));
    EXPECT_EQ(b.sampleRate, 48000);  // the carrier's rate
    EXPECT_EQ(b.frames, 6000);

    { std::ofstream(dir.file("bad.txt")) << dir.file("c1.wav") << " " << dir.file("m.wav") << "\n"; }
    RunResult bad = runRenderer({"--pairs", dir.file("bad.txt")});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find(dir.file("bad.txt") + " line 1 needs a carrier, a modulator and an "
                                                  "output, but has 2 field(s)"),
              std::string::npos)
        << bad.err;

    {
        std::ofstream(dir.file("same.txt")) << dir.file("c1.wav") << " " << dir.file("m.wav") << " "
                                            << dir.file("x.wav") << "\n"
                                            << dir.file("c2.wav") << " " << dir.file("m.wav") << " "
                                            << dir.file("x.wav") << "\n";
    }
    RunResult same = runRenderer({"--pairs", dir.file("same.txt")});
    EXPECT_EQ(same.status, 2);
    EXPECT_NE(same.err.find("two renders would write " + dir.file("x.wav")), std::string::npos)
        << same.err;
    EXPECT_FALSE(fileExists(dir.file("x.wav")));
}

// On a terminal one progress line serves the whole batch: files done of the total, the audio
// rendered and the time left; it is cleared before each summary line and at the end.
TEST(RenderBatch, OneProgressLineCountsTheWholeBatch) {
    ScratchDirectory dir, out;
    writeAudio(dir.file("pad.wav"), testSignal(4410, 110.0, 1), 1, 44100);
    std::vector<std::string> arguments = {"--carrier", dir.file("pad.wav"), "--out-dir",
                                          out.path(), "--jobs", "1"};
    for (int i = 0; i < 3; ++i) {
        writeAudio(dir.file("v" + std::to_string(i) + ".wav"), testSignal(4410, 300.0, 2 + i), 1,
                   44100);
        arguments.push_back(dir.file("v" + std::to_string(i) + ".wav"));
    }
    RunResult run = runRendererOnTerminal(arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("rendering: 1 of 3 files, 0.1 s of audio, about "), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("rendering: 2 of 3 files, 0.2 s of audio"), std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("3 of 3 files"), std::string::npos) << run.err;  // done: no line
    EXPECT_EQ(countOf(run.out, "\n"), 4) << run.out;

    arguments.push_back("-q");
    RunResult quiet = runRendererOnTerminal(arguments);
    ASSERT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err.find("rendering"), std::string::npos) << quiet.err;
    EXPECT_TRUE(quiet.out.empty()) << quiet.out;
}

TEST(RenderBatch, OutputNamesComeFromTheModulatorsAndListLinesSplitByTabsOrSpaces) {
    EXPECT_EQ(BatchPlan::outputFor("voices/line 1.wav", "out", ""), "out/line 1.wav");
    EXPECT_EQ(BatchPlan::outputFor("voices/take.2.flac", "out/", "wav"), "out/take.2.wav");
    EXPECT_EQ(BatchPlan::outputFor("noextension", "/tmp", "ogg"), "/tmp/noextension.ogg");

    RenderJob job;
    std::string error;
    EXPECT_TRUE(BatchPlan::parsePairLine("a pad.wav\tmy voice.wav\tout 1.wav\r", job, error));
    EXPECT_EQ(job.carrierPath, "a pad.wav");
    EXPECT_EQ(job.modulatorPath, "my voice.wav");
    EXPECT_EQ(job.outputPath, "out 1.wav");
    EXPECT_TRUE(BatchPlan::parsePairLine("  c.wav   m.wav  o.wav", job, error));
    EXPECT_EQ(job.outputPath, "o.wav");
    EXPECT_FALSE(BatchPlan::parsePairLine("   # a comment", job, error));
    EXPECT_TRUE(error.empty());
    EXPECT_FALSE(BatchPlan::parsePairLine("c.wav\t\to.wav", job, error));
    EXPECT_NE(error.find("needs a carrier"), std::string::npos);
    EXPECT_FALSE(BatchPlan::parsePairLine("a b c d", job, error));
    EXPECT_NE(error.find("has 4 field(s)"), std::string::npos);
}

#endif
