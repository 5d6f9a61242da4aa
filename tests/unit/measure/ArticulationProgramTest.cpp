// ostraquelle-articulation as a user runs it: its three lines for a good set of files, its
// one line for scripts, and exit status 1 with a message for files it cannot measure.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "MeasureTestSignals.h"
#include "RenderTestSupport.h"

using namespace measuretest;
using rendertest::ScratchDirectory;

namespace {

struct ProgramRun {
    int status = -1;
    std::string output;  // stdout and stderr
};

ProgramRun articulation(const std::vector<std::string>& arguments) {
    std::string command = "'" + rendertest::buildDirectory() + "/ostraquelle-articulation'";
    for (const std::string& a : arguments) command += " '" + a + "'";
    command += " 2>&1";
    ProgramRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) run.output += buffer;
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace

TEST(MeasureProgram, PrintsAllThreeMeasuresAndAScriptLine) {
    ScratchDirectory dir;
    const Voice& voice = demoVoice();
    std::vector<float> carrier = sawtoothChord(voice.samples.size(), voice.rate, 0.5);
    rendertest::writeAudio(dir.file("voice.wav"), voice.samples, 1, voice.rate);
    rendertest::writeAudio(dir.file("carrier.wav"), carrier, 1, voice.rate);

    ProgramRun full = articulation({dir.file("voice.wav"), dir.file("carrier.wav"), dir.file("voice.wav")});
    ASSERT_EQ(full.status, 0) << full.output;
    EXPECT_NE(full.output.find("band-energy correlation with the modulator (20 bands, 20 ms "
                               "frames): vocoded output 1.000"),
              std::string::npos)
        << full.output;
    EXPECT_NE(full.output.find("per-band articulation score"), std::string::npos);
    EXPECT_NE(full.output.find("vocoded output 1.000, carrier 0.0"), std::string::npos)
        << full.output;
    EXPECT_NE(full.output.find("(STOI, 0 to 1): vocoded output 1.000, carrier 0.4"),
              std::string::npos)
        << full.output;

    ProgramRun brief = articulation({"--scores", dir.file("voice.wav"), dir.file("voice.wav")});
    ASSERT_EQ(brief.status, 0) << brief.output;
    double a = 0, s = 0, peak = 0, rms = 0;
    ASSERT_EQ(std::sscanf(brief.output.c_str(), "articulation %lf stoi %lf peak %lf rms %lf", &a,
                          &s, &peak, &rms),
              4)
        << brief.output;
    EXPECT_NEAR(a, 1.0, 1e-4);
    EXPECT_NEAR(s, 1.0, 1e-4);
    EXPECT_NEAR(peak, -1.0, 0.05);  // the demo voice is normalised to -1 dBFS
    EXPECT_LT(rms, peak);
}

TEST(MeasureProgram, FilesItCannotMeasureAreRefusedWithStatus1) {
    ScratchDirectory dir;
    const Voice& voice = demoVoice();
    rendertest::writeAudio(dir.file("voice.wav"), voice.samples, 1, voice.rate);
    std::vector<float> half;
    for (size_t i = 0; i < voice.samples.size(); i += 2) half.push_back(voice.samples[i]);
    rendertest::writeAudio(dir.file("voice22k.wav"), half, 1, voice.rate / 2);
    rendertest::writeAudio(dir.file("silence.wav"), std::vector<float>(voice.samples.size(), 0.f),
                           1, voice.rate);
    rendertest::writeAudio(dir.file("empty.wav"), {}, 1, voice.rate);
    std::vector<float> brief(voice.samples.begin() + voice.rate,
                             voice.samples.begin() + voice.rate + voice.rate / 4);
    rendertest::writeAudio(dir.file("brief.wav"), brief, 1, voice.rate);

    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const Case cases[] = {
        {{"--scores", dir.file("voice.wav"), dir.file("voice22k.wav")}, "one sample rate"},
        {{dir.file("voice.wav"), dir.file("voice22k.wav"), dir.file("voice.wav")},
         "one sample rate"},
        {{"--scores", dir.file("silence.wav"), dir.file("voice.wav")}, "the voice is silent"},
        {{"--scores", dir.file("empty.wav"), dir.file("voice.wav")}, "the voice is empty"},
        {{"--scores", dir.file("brief.wav"), dir.file("brief.wav")}, "384 ms segment"},
        {{"--scores", dir.file("voice.wav"), dir.file("missing.wav")}, "missing.wav"},
    };
    for (const Case& c : cases) {
        ProgramRun run = articulation(c.arguments);
        EXPECT_EQ(run.status, 1) << c.message << ": " << run.output;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find("articulation "), std::string::npos) << run.output;
    }
    EXPECT_EQ(articulation({dir.file("voice.wav")}).status, 2);
}
