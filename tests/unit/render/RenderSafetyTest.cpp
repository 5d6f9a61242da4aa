#ifndef _WIN32

// Hostile and careless uses of the renderer: none may end with a broken or lost file reported
// as success.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "RenderTestSupport.h"

using namespace rendertest;

namespace {

// A 16-bit mono WAV header whose data chunk claims `claimedFrames`.
std::string wavHeader(uint32_t claimedFrames) {
    auto word = [](uint32_t value) {
        std::string bytes(4, '\0');
        for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
        return bytes;
    };
    auto half = [](uint16_t value) {
        return std::string{static_cast<char>(value & 0xff), static_cast<char>(value >> 8)};
    };
    const uint32_t dataBytes = claimedFrames * 2;
    return "RIFF" + word(36 + dataBytes) + "WAVEfmt " + word(16) + half(1) + half(1) +
           word(44100) + word(88200) + half(2) + half(16) + "data" + word(dataBytes);
}

std::string pcm16(int frames) {
    std::string bytes;
    for (int k = 0; k < frames; ++k) {
        const int16_t sample = static_cast<int16_t>((k * 7919) % 16000 - 8000);
        bytes.push_back(static_cast<char>(sample & 0xff));
        bytes.push_back(static_cast<char>((sample >> 8) & 0xff));
    }
    return bytes;
}

}  // namespace

TEST(RenderSafety, ABadCommandLineExitsTwoWithItsReason) {
    Material m;
    const std::string out = m.dir.file("out.wav");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {m.pair({"-o", out, "--set", "Pred-Ordr=0.5"}), "unknown parameter 'Pred-Ordr'"},
        {m.pair({"-o", out, "--set", "Pred-Order=1.5"}), "outside 0 to 1"},
        {m.pair({"-o", out, "--program", "99"}), "no program 99"},
        {m.pair({"-o", out, "--preset", ""}), "--preset needs a value, not an empty one"},
        {m.pair({"-o", out, "--preset="}), "--preset needs a value"},
        {m.pair({"-o", out, "-o", m.dir.file("other.wav")}), "option -o given twice"},
        {m.pair({"-o", out, "--program", "1", "--program", "2"}), "--program given twice"},
        {{"--list-params", "--set", "Nothing=1"}, "unknown parameter 'Nothing'"},
    };
    for (const auto& c : cases) {
        RunResult run = runRenderer(c.first);
        EXPECT_EQ(run.status, 2) << c.second << "\n" << run.err;
        EXPECT_NE(run.err.find(c.second), std::string::npos) << run.err;
        EXPECT_FALSE(fileExists(out)) << c.second;
    }
}

// A preset is saved only with a successful render, and never over an input.
TEST(RenderSafety, PresetsAreSavedAfterTheRenderAndNeverOverAnInput) {
    Material m;
    const std::string carrierBytes = contents(m.carrier);
    RunResult overCarrier = runRenderer(m.pair({"-o", m.dir.file("out.wav"), "--save-preset", m.carrier}));
    EXPECT_EQ(overCarrier.status, 1);
    EXPECT_NE(overCarrier.err.find("cannot write preset " + m.carrier + ": it is the input"),
              std::string::npos)
        << overCarrier.err;
    EXPECT_EQ(contents(m.carrier), carrierBytes);
    EXPECT_FALSE(fileExists(m.dir.file("out.wav")));

    const std::string preset = m.dir.file("kept.fxp");
    writeText(preset, "an earlier preset");
    RunResult failedRender = runRenderer(
        m.pair({"-o", m.dir.file("no/such/dir/out.wav"), "--save-preset", preset}));
    EXPECT_EQ(failedRender.status, 1) << failedRender.err;
    EXPECT_EQ(contents(preset), "an earlier preset");

    RunResult saved = runRenderer(m.pair({"-o", m.dir.file("out.wav"), "--save-preset", preset}));
    ASSERT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(contents(preset).size(), 140u);  // a program of 21 parameters
    EXPECT_EQ(m.dir.list(), (std::vector<std::string>{"carrier.wav", "kept.fxp", "modulator.wav",
                                                      "out.wav"}));
}

TEST(RenderSafety, TheOutputNeverReplacesAnInputALinkOrAFileItShouldNot) {
    Material m;
    const std::string original = contents(m.modulator);
    ASSERT_EQ(symlink(m.modulator.c_str(), m.dir.file("link-to-modulator.wav").c_str()), 0);
    ASSERT_EQ(link(m.modulator.c_str(), m.dir.file("hard-modulator.wav").c_str()), 0);
    for (const std::string& name : {std::string("modulator.wav"), std::string("link-to-modulator.wav"),
                                    std::string("hard-modulator.wav")}) {
        RunResult run = runRenderer(m.pair({"-o", m.dir.file(name)}));
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_NE(run.err.find("it is the input"), std::string::npos) << name << ": " << run.err;
    }
    EXPECT_EQ(contents(m.modulator), original);

    // Written through a link to its target; the link stays a link.
    writeText(m.dir.file("target.wav"), "old");
    ASSERT_EQ(symlink("target.wav", m.dir.file("link.wav").c_str()), 0);
    RunResult throughLink = runRenderer(m.pair({"-o", m.dir.file("link.wav")}));
    ASSERT_EQ(throughLink.status, 0) << throughLink.err;
    struct stat status;
    ASSERT_EQ(lstat(m.dir.file("link.wav").c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    EXPECT_EQ(readAudio(m.dir.file("target.wav")).frames, 22050);

    // Read-only: refused and left alone.
    writeText(m.dir.file("readonly.wav"), "keep me");
    chmod(m.dir.file("readonly.wav").c_str(), 0444);
    RunResult readOnly = runRenderer(m.pair({"-o", m.dir.file("readonly.wav")}));
    EXPECT_EQ(readOnly.status, 1);
    EXPECT_NE(readOnly.err.find("the file is read-only"), std::string::npos) << readOnly.err;
    EXPECT_EQ(contents(m.dir.file("readonly.wav")), "keep me");

    // A replaced file keeps its mode, and (where the renderer may hand it back) its owner.
    writeText(m.dir.file("shared.wav"), "old");
    chmod(m.dir.file("shared.wav").c_str(), 0640);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(m.dir.file("shared.wav").c_str(), 4321, 4321), 0);
    }
    RunResult replaced = runRenderer(m.pair({"-o", m.dir.file("shared.wav")}));
    ASSERT_EQ(replaced.status, 0) << replaced.err;
    ASSERT_EQ(stat(m.dir.file("shared.wav").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(status.st_uid, 4321u);
    }
    EXPECT_EQ(readAudio(m.dir.file("shared.wav")).frames, 22050);
}

TEST(RenderSafety, NoRenderOfNothingAndMessagesNameTheRealCause) {
    Material m;
    writeAudio(m.dir.file("silent-c.wav"), {}, 1, 44100);
    writeAudio(m.dir.file("silent-m.wav"), {}, 1, 44100);
    RunResult empty = runRenderer({"--carrier", m.dir.file("silent-c.wav"), "--modulator",
                                   m.dir.file("silent-m.wav"), "-o", m.dir.file("empty.flac")});
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.err.find("holds no audio (0 frames)"), std::string::npos) << empty.err;
    EXPECT_FALSE(fileExists(m.dir.file("empty.flac")));

    mkdir(m.dir.file("locked").c_str(), 0555);
    if (geteuid() != 0) {  // root writes into any folder
        RunResult locked = runRenderer(m.pair({"-o", m.dir.file("locked/out.wav")}));
        EXPECT_EQ(locked.status, 1);
        EXPECT_NE(locked.err.find("its folder " + m.dir.file("locked") + " is not writable"),
                  std::string::npos)
            << locked.err;
    }
    chmod(m.dir.file("locked").c_str(), 0755);
}

// A file size limit fails the writes as a full disk does. Set just below the finished file's
// size, it fails the encoder's last writes, which closing the file does not report.
TEST(RenderSafety, AWriteThatFailsAtTheEndFailsTheRenderAndKeepsThePreviousFile) {
    ScratchDirectory dir;
    const std::string carrier = dir.file("c.wav"), modulator = dir.file("m.wav");
    writeAudio(carrier, testSignal(88200, 110.0, 1), 1, 44100);
    writeAudio(modulator, testSignal(88200, 300.0, 2), 1, 44100);
    for (const std::string name : {"out.flac", "out.ogg", "out.wav"}) {
        const std::vector<std::string> arguments = {"-q", "--carrier", carrier, "--modulator",
                                                    modulator, "-o", dir.file(name)};
        ASSERT_EQ(runRenderer(arguments).status, 0) << name;
        struct stat status;
        ASSERT_EQ(stat(dir.file(name).c_str(), &status), 0);
        const rlim_t justShort = static_cast<rlim_t>(status.st_size - 1);
        writeText(dir.file(name), "previous render");
        RunResult run = runRenderer(arguments, [justShort] {
            signal(SIGXFSZ, SIG_IGN);
            rlimit limit{justShort, justShort};
            setrlimit(RLIMIT_FSIZE, &limit);
        });
        EXPECT_EQ(run.status, 1) << name << ": " << run.err;
        EXPECT_NE(run.err.find("cannot write " + dir.file(name) + ": File too large"),
                  std::string::npos)
            << name << ": " << run.err;
        EXPECT_TRUE(contents(dir.file(name)) == "previous render") << name;
    }
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"c.wav", "m.wav", "out.flac", "out.ogg",
                                                    "out.wav"}));
}

// A WAV through a pipe whose header claims an hour: the render ends with the data.
TEST(RenderSafety, AnInputThatDeliversLessThanItsHeaderClaimsIsNotPadded) {
    Material m;
    const std::string fifo = m.dir.file("voice.pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] {
        int descriptor = open(fifo.c_str(), O_WRONLY);
        if (descriptor < 0) return;
        const std::string bytes = wavHeader(44100 * 3600) + pcm16(30000);
        ssize_t ignored = write(descriptor, bytes.data(), bytes.size());
        (void)ignored;
        close(descriptor);
    });
    RunResult run = runRenderer({"--carrier", m.carrier, "--modulator", fifo, "-o",
                                 m.dir.file("out.wav")});
    writer.join();
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readAudio(m.dir.file("out.wav")).frames, 30000);  // the longer real input
    EXPECT_NE(run.err.find("warning: " + fifo + " ended after 30000 frames; its header promised " +
                           std::to_string(44100 * 3600)),
              std::string::npos)
        << run.err;
}

TEST(RenderSafety, AnInterruptEndsARenderWaitingForAStalledInputAtOnce) {
    Material m;
    const std::string fifo = m.dir.file("stalled.pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string errPath = m.dir.file("err.txt");
    const int pid = startRenderer({"--carrier", m.carrier, "--modulator", fifo, "-o",
                                   m.dir.file("out.wav")},
                                  errPath);
    // The writer sends a header and a little audio, then holds the pipe open.
    int descriptor = open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(descriptor, 0);
    const std::string bytes = wavHeader(441000) + pcm16(2000);
    ASSERT_EQ(write(descriptor, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    bool temporarySeen = false;
    for (int waited = 0; waited < 500 && !temporarySeen; ++waited) {
        for (const std::string& name : m.dir.list()) temporarySeen |= name[0] == '.';
        if (!temporarySeen) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(temporarySeen);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // now waiting for the pipe
    kill(pid, SIGTERM);
    const int status = waitForRenderer(pid, 5.0);
    close(descriptor);
    EXPECT_EQ(status, 1);
    EXPECT_NE(contents(errPath).find("interrupted; no output written"), std::string::npos)
        << contents(errPath);
    EXPECT_EQ(m.dir.list(), (std::vector<std::string>{"carrier.wav", "err.txt", "modulator.wav",
                                                      "stalled.pipe"}));
}

#endif
