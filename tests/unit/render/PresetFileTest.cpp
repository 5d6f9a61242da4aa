#ifndef _WIN32

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "RenderTestSupport.h"
#include "tools/render/PluginHost.h"
#include "presetfile/PresetFile.h"

using namespace rendertest;

namespace {

constexpr int32_t kOstraquelleId = 0x6C51734F;
const PresetExpectation kOstraquelle{kOstraquelleId, 21, 8};

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(stream),
                                std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream stream(path, std::ios::binary);
    stream.write(reinterpret_cast<const char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()));
}

// A big-endian field read by hand, independent of the code under test.
uint32_t wordAt(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<uint32_t>(bytes.at(at)) << 24 |
           static_cast<uint32_t>(bytes.at(at + 1)) << 16 |
           static_cast<uint32_t>(bytes.at(at + 2)) << 8 | static_cast<uint32_t>(bytes.at(at + 3));
}

std::string textAt(const std::vector<uint8_t>& bytes, size_t at, size_t length) {
    return std::string(bytes.begin() + static_cast<long>(at),
                       bytes.begin() + static_cast<long>(at + length));
}

void putWord(std::vector<uint8_t>& bytes, size_t at, uint32_t word) {
    bytes.at(at) = static_cast<uint8_t>(word >> 24);
    bytes.at(at + 1) = static_cast<uint8_t>(word >> 16);
    bytes.at(at + 2) = static_cast<uint8_t>(word >> 8);
    bytes.at(at + 3) = static_cast<uint8_t>(word);
}

// Eight programs with their own names and values; index 19 holds 0 as the plug-in reports it.
std::vector<PresetProgram> distinctPrograms() {
    std::vector<PresetProgram> programs(8);
    for (int p = 0; p < 8; ++p) {
        programs[p].name = "Voice " + std::to_string(p) + (p == 7 ? " with 23 characters" : "");
        for (int i = 0; i < 21; ++i) {
            float value = i == 19 ? 0.0f : static_cast<float>((p * 21 + i) % 17) / 16.0f;
            programs[p].values.push_back(value);
        }
    }
    programs[7].name.resize(23);
    return programs;
}

int countLines(const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

}  // namespace

TEST(PresetFile, AProgramSavedByTheRendererHasTheFormatsByteLayout) {
    ScratchDirectory dir;
    const std::string path = dir.file("voice.fxp");
    RunResult run =
        runRenderer({"--save-preset", path, "--set", "Pred-Order=0.5", "--set", "Filt-Amt=0.75"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out.empty() && run.err.empty()) << run.out << run.err;

    std::vector<uint8_t> bytes = readBytes(path);
    ASSERT_EQ(bytes.size(), 56u + 4u * 21u);
    EXPECT_EQ(textAt(bytes, 0, 4), "CcnK");
    EXPECT_EQ(wordAt(bytes, 4), bytes.size() - 8);  // byteSize: what follows the field
    EXPECT_EQ(textAt(bytes, 8, 4), "FxCk");
    EXPECT_EQ(wordAt(bytes, 12), 1u);           // format version
    EXPECT_EQ(wordAt(bytes, 16), 0x6C51734Fu);  // plug-in id, most significant byte first
    EXPECT_EQ(textAt(bytes, 16, 4), "lQsO");
    EXPECT_EQ(wordAt(bytes, 20), 1u);   // the effect record's version
    EXPECT_EQ(wordAt(bytes, 24), 21u);  // numParams
    EXPECT_EQ(textAt(bytes, 28, 28), std::string("Init") + std::string(24, '\0'));
    // Big-endian IEEE floats: 0.8f is 3F4CCCCD, 0.5f 3F000000, 0.75f 3F400000, 0.25f 3E800000.
    EXPECT_EQ(wordAt(bytes, 56 + 4 * 0), 0x3F4CCCCDu);   // Voco-Vol default
    EXPECT_EQ(wordAt(bytes, 56 + 4 * 1), 0x00000000u);   // Error-Vol 0
    EXPECT_EQ(wordAt(bytes, 56 + 4 * 6), 0x3F800000u);   // PreEmphasis 1.0
    EXPECT_EQ(wordAt(bytes, 56 + 4 * 7), 0x3F000000u);   // Pred-Order as set
    EXPECT_EQ(wordAt(bytes, 56 + 4 * 15), 0x3E800000u);  // White-Order default
    EXPECT_EQ(wordAt(bytes, 56 + 4 * 19), 0x00000000u);  // the unused index
    EXPECT_EQ(wordAt(bytes, 56 + 4 * 20), 0x3F400000u);  // Filt-Amt as set
}

TEST(PresetFile, ABankSavedByTheRendererHoldsEveryProgramAndTheCurrentOne) {
    ScratchDirectory dir;
    const std::string path = dir.file("all.fxb");
    RunResult run = runRenderer({"--save-bank", path, "--program", "5", "--set", "Whiten=1"});
    ASSERT_EQ(run.status, 0) << run.err;

    std::vector<uint8_t> bytes = readBytes(path);
    const size_t record = 56 + 4 * 21;
    ASSERT_EQ(bytes.size(), 156 + 8 * record);
    EXPECT_EQ(textAt(bytes, 0, 4), "CcnK");
    EXPECT_EQ(wordAt(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(textAt(bytes, 8, 4), "FxBk");
    EXPECT_EQ(wordAt(bytes, 12), 2u);  // version 2: the current program is kept
    EXPECT_EQ(wordAt(bytes, 16), 0x6C51734Fu);
    EXPECT_EQ(wordAt(bytes, 20), 1u);
    EXPECT_EQ(wordAt(bytes, 24), 8u);  // numPrograms
    EXPECT_EQ(wordAt(bytes, 28), 5u);  // current program
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 32, bytes.begin() + 156),
              std::vector<uint8_t>(124, 0));
    for (size_t p = 0; p < 8; ++p) {
        size_t at = 156 + p * record;
        EXPECT_EQ(textAt(bytes, at, 4), "CcnK") << p;
        EXPECT_EQ(wordAt(bytes, at + 4), record - 8) << p;
        EXPECT_EQ(textAt(bytes, at + 8, 4), "FxCk") << p;
        EXPECT_EQ(wordAt(bytes, at + 16), 0x6C51734Fu) << p;
        EXPECT_EQ(wordAt(bytes, at + 24), 21u) << p;
        EXPECT_EQ(textAt(bytes, at + 28, 5), std::string("Init\0", 5)) << p;
        // Whitening was switched on in program 5 only.
        EXPECT_EQ(wordAt(bytes, at + 56 + 4 * 14), p == 5 ? 0x3F800000u : 0u) << p;
    }
}

TEST(PresetFile, BanksAndProgramsComeBackWithTheSameNamesAndValues) {
    ScratchDirectory dir;
    const std::vector<PresetProgram> programs = distinctPrograms();
    const std::vector<uint8_t> bank = PresetFile::writeBank(kOstraquelleId, 1, 6, programs);
    writeBytes(dir.file("in.fxb"), bank);

    // Through the plug-in: load the bank, save it again, byte for byte the same.
    RunResult run =
        runRenderer({"--preset", dir.file("in.fxb"), "--save-bank", dir.file("out.fxb")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(dir.file("out.fxb")), bank);

    // The bank's current program is selected, with its name.
    RunResult listing = runRenderer({"--preset", dir.file("in.fxb"), "--list-params"});
    ASSERT_EQ(listing.status, 0) << listing.err;
    EXPECT_NE(listing.out.find("program 6 \"Voice 6\""), std::string::npos) << listing.out;

    // A single program goes into the program --program selects; the others stay.
    const std::vector<uint8_t> one = PresetFile::writeProgram(kOstraquelleId, 1, programs[7]);
    writeBytes(dir.file("in.fxp"), one);
    run = runRenderer({"--program", "2", "--preset", dir.file("in.fxp"), "--save-preset",
                       dir.file("out.fxp"), "--save-bank", dir.file("after.fxb")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(dir.file("out.fxp")), one);
    PresetContents after;
    std::string error;
    std::vector<uint8_t> afterBytes = readBytes(dir.file("after.fxb"));
    ASSERT_TRUE(PresetFile::parse(afterBytes.data(), afterBytes.size(), kOstraquelle, after, error))
        << error;
    EXPECT_EQ(after.currentProgram, 2);
    EXPECT_EQ(after.programs[2].name, programs[7].name);
    EXPECT_EQ(after.programs[2].values, programs[7].values);
    EXPECT_EQ(after.programs[1].name, "Init");

    // The reader itself gives back what the writer was given, names of 27 characters included.
    std::vector<PresetProgram> longNames = programs;
    longNames[0].name = "A name of twenty-seven ch.";
    longNames[0].name += "x";
    std::vector<uint8_t> written = PresetFile::writeBank(kOstraquelleId, 3, 0, longNames);
    PresetContents back;
    ASSERT_TRUE(PresetFile::parse(written.data(), written.size(), kOstraquelle, back, error));
    ASSERT_EQ(back.programs.size(), 8u);
    EXPECT_EQ(back.pluginVersion, 3);
    for (size_t p = 0; p < 8; ++p) {
        EXPECT_EQ(back.programs[p].name, longNames[p].name);
        EXPECT_EQ(back.programs[p].values, longNames[p].values);
    }
}

TEST(PresetFile, ABankWithoutCurrentProgramAndANameFillingAllBytesAreRead) {
    // Version-1 banks (no current program) and names that use all 28 bytes without a
    // terminator come from other hosts.
    std::vector<uint8_t> bank = PresetFile::writeBank(kOstraquelleId, 1, 3, distinctPrograms());
    putWord(bank, 12, 1);
    putWord(bank, 28, 0);
    const std::string full = "Twenty-eight characters long";
    ASSERT_EQ(full.size(), 28u);
    std::memcpy(&bank[156 + 28], full.data(), 28);
    PresetContents contents;
    std::string error;
    ASSERT_TRUE(PresetFile::parse(bank.data(), bank.size(), kOstraquelle, contents, error))
        << error;
    EXPECT_EQ(contents.currentProgram, -1);
    EXPECT_EQ(contents.programs[0].name, full);
}

TEST(PresetFile, EveryShorterPieceOfAValidFileIsRefusedAsTruncated) {
    const std::vector<PresetProgram> programs = distinctPrograms();
    for (const std::vector<uint8_t>& whole :
         {PresetFile::writeProgram(kOstraquelleId, 1, programs[0]),
          PresetFile::writeBank(kOstraquelleId, 1, 0, programs)}) {
        PresetContents contents;
        std::string error;
        ASSERT_TRUE(PresetFile::parse(whole.data(), whole.size(), kOstraquelle, contents, error));
        for (size_t length = 0; length < whole.size(); ++length) {
            // A copy of exactly `length` bytes, so that a read past the end is caught by the
            // address sanitizer.
            std::vector<uint8_t> piece(whole.begin(), whole.begin() + static_cast<long>(length));
            const uint8_t* data = length == 0 ? nullptr : piece.data();
            ASSERT_FALSE(PresetFile::parse(data, length, kOstraquelle, contents, error)) << length;
            const char* expected = length == 0 ? "is empty" : "is truncated";
            ASSERT_EQ(error.rfind(expected, 0), 0u) << length << ": " << error;
        }
    }
}

TEST(PresetFile, MalformedFilesEndTheRunWithTheirOwnMessageAndNoOutput) {
    ScratchDirectory dir;
    const std::string carrier = dir.file("carrier.wav"), modulator = dir.file("modulator.wav");
    writeAudio(carrier, testSignal(4410, 110.0, 1), 1, 44100);
    writeAudio(modulator, testSignal(4410, 300.0, 2), 1, 44100);
    const std::string out = dir.file("out.wav"), saved = dir.file("saved.fxp");

    const std::vector<PresetProgram> programs = distinctPrograms();
    const std::vector<uint8_t> program = PresetFile::writeProgram(kOstraquelleId, 1, programs[0]);
    const std::vector<uint8_t> bank = PresetFile::writeBank(kOstraquelleId, 1, 0, programs);
    auto changed = [](std::vector<uint8_t> bytes, size_t at, uint32_t word) {
        putWord(bytes, at, word);
        return bytes;
    };
    auto resized = [](std::vector<uint8_t> bytes, size_t size) {
        bytes.resize(size, 0);
        return bytes;
    };
    uint32_t nan;
    const float nanValue = std::numeric_limits<float>::quiet_NaN();
    std::memcpy(&nan, &nanValue, 4);
    const size_t record = 56 + 4 * 21;
    // Saved by a version of the plug-in with one parameter fewer: complete files, which must
    // not be called truncated but named by their counts.
    std::vector<PresetProgram> fewer = programs;
    for (PresetProgram& p : fewer) p.values.pop_back();
    const std::vector<uint8_t> fewerProgram = PresetFile::writeProgram(kOstraquelleId, 1, fewer[0]);
    const std::vector<uint8_t> fewerBank = PresetFile::writeBank(kOstraquelleId, 1, 0, fewer);

    struct Case {
        std::string name;
        std::vector<uint8_t> bytes;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"empty.fxp", {}, "is empty (0 bytes)"},
        {"header.fxp", resized(program, 40),
         "is truncated: 40 bytes, shorter than the 56-byte header of a program"},
        {"short.fxp", resized(program, program.size() - 1),
         "is truncated: 139 bytes of the 140 that a program of 21 parameters takes"},
        {"short.fxb", resized(bank, bank.size() - 4),
         "is truncated: 1272 bytes of the 1276 that a bank of 8 programs of 21 parameters takes"},
        {"long.fxp", resized(program, program.size() + 3),
         "is too long: 143 bytes where a program of 21 parameters takes 140 (3 extra bytes"},
        {"magic.fxp", changed(program, 0, 0x52494646),
         "is not a VST preset file: it starts with 'RIFF' instead of 'CcnK'"},
        {"kind.fxp", changed(program, 8, 0x4678586B),
         "is of an unknown kind 'FxXk': expected 'FxCk' (a program) or 'FxBk' (a bank)"},
        {"chunk.fxp", changed(program, 8, 0x46504368), "holds an opaque chunk (kind 'FPCh')"},
        {"other.fxp", changed(program, 16, 0x41626364),
         "is a preset of another plug-in: its plug-in id is 0x41626364 ('Abcd'), the loaded "
         "plug-in's is 0x6C51734F ('lQsO')"},
        {"other.fxb", changed(bank, 16, 0x41626364), "is a preset of another plug-in"},
        {"count.fxp", changed(program, 24, 20), "holds 20 parameters, but the plug-in has 21"},
        {"huge.fxp", changed(program, 24, 0x7FFFFFFF), "holds 2147483647 parameters"},
        {"count.fxb", changed(bank, 24, 7), "holds 7 programs, but the plug-in has 8"},
        {"fewer.fxp", fewerProgram, "holds 20 parameters, but the plug-in has 21"},
        {"fewer.fxb", fewerBank, "holds programs of 20 parameters, but the plug-in has 21"},
        {"size.fxp", changed(program, 4, 200),
         "is damaged: its header counts 200 bytes after the size field, but a program of 21 "
         "parameters has 132"},
        {"version.fxp", changed(program, 12, 2),
         "has the format version 2; programs have version 1"},
        {"current.fxb", changed(changed(bank, 12, 2), 28, 8),
         "names 8 as its current program; the bank has 0 to 7"},
        {"inner.fxb", changed(bank, 156 + 3 * record + 16, 0x41626364),
         "is damaged: program 3 of the bank is a preset of another plug-in"},
        {"inner-kind.fxb", changed(bank, 156 + record + 8, 0x4678426B),
         "is damaged: program 1 of the bank is of kind 'FxBk' instead of 'FxCk'"},
        {"nan.fxp", changed(program, 56 + 4 * 7, nan),
         "gives parameter 7 the value nan, outside the normalised range 0 to 1"},
        {"range.fxp", changed(program, 56 + 4 * 2, 0x40000000),
         "gives parameter 2 the value 2, outside"},
    };
    std::vector<std::string> messages;
    for (const Case& c : cases) {
        const std::string path = dir.file(c.name);
        writeBytes(path, c.bytes);
        RunResult run = runRenderer({"--carrier", carrier, "--modulator", modulator, "-o", out,
                                     "--preset", path, "--save-preset", saved});
        EXPECT_EQ(run.status, 1) << c.name << "\n" << run.err;
        EXPECT_EQ(countLines(run.err), 1) << run.err;
        EXPECT_EQ(run.err.rfind("ostraquelle-render: preset " + path + " " + c.message, 0), 0u)
            << c.name << "\n"
            << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_FALSE(fileExists(out)) << c.name;
        EXPECT_FALSE(fileExists(saved)) << c.name;
        messages.push_back(run.err);
    }

    RunResult missing = runRenderer({"--list-params", "--preset", dir.file("gone.fxp")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot open preset " + dir.file("gone.fxp") +
                               ": No such file or directory"),
              std::string::npos)
        << missing.err;

    // A preset that cannot be written stops the run before anything is rendered.
    RunResult unwritable = runRenderer({"--carrier", carrier, "--modulator", modulator, "-o", out,
                                        "--save-bank", dir.file("no/such/dir/all.fxb")});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.err.rfind("ostraquelle-render: cannot write preset " +
                                       dir.file("no/such/dir/all.fxb") + ": No such file",
                                   0),
              0u)
        << unwritable.err;
    EXPECT_FALSE(fileExists(out));
}

TEST(PresetFile, SavingTheSettingsLeavesTheRenderedAudioUnchanged) {
    ScratchDirectory dir;
    const std::string carrier = dir.file("carrier.wav"), modulator = dir.file("modulator.wav");
    writeAudio(carrier, testSignal(8820, 110.0, 1), 1, 44100);
    writeAudio(modulator, testSignal(8820, 300.0, 2), 1, 44100);
    const std::vector<std::string> common = {
        "--carrier", carrier, "--modulator",    modulator, "-q",      "--program",
        "4",         "--set", "Pred-Order=0.6", "--set",   "Whiten=1"};
    std::vector<std::string> plain = common, saving = common;
    plain.insert(plain.end(), {"-o", dir.file("plain.wav")});
    saving.insert(saving.end(), {"-o", dir.file("saving.wav"), "--save-bank", dir.file("b.fxb"),
                                 "--save-preset", dir.file("p.fxp")});
    ASSERT_EQ(runRenderer(plain).status, 0);
    RunResult run = runRenderer(saving);
    ASSERT_EQ(run.status, 0) << run.err;
    Audio a = readAudio(dir.file("plain.wav")), b = readAudio(dir.file("saving.wav"));
    ASSERT_GT(a.frames, 0);
    EXPECT_EQ(a.samples, b.samples);

    // Loading the saved program into a fresh run gives the same audio again.
    std::vector<std::string> loaded = {"--carrier",       carrier, "--modulator",
                                       modulator,         "-q",    "--preset",
                                       dir.file("p.fxp"), "-o",    dir.file("loaded.wav")};
    ASSERT_EQ(runRenderer(loaded).status, 0);
    EXPECT_EQ(readAudio(dir.file("loaded.wav")).samples, a.samples);
}

TEST(RenderVersion, TheRendererReportsTheProjectVersion) {
    std::ifstream lists(sourceDirectory() + "/CMakeLists.txt");
    std::string line, version;
    while (std::getline(lists, line)) {
        const std::string marker = "project(Ostraquelle VERSION ";
        if (line.rfind(marker, 0) == 0) {
            version = line.substr(marker.size(), line.find(' ', marker.size()) - marker.size());
        }
    }
    ASSERT_FALSE(version.empty());
    RunResult run = runRenderer({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "ostraquelle-render " + version + "\n");

    // As a host it gives plug-ins the same version as a number: 1.0.0 is 1000.
    int major = 0, minor = 0, patch = 0;
    ASSERT_EQ(std::sscanf(version.c_str(), "%d.%d.%d", &major, &minor, &patch), 3);
    EXPECT_EQ(PluginHost::callback(nullptr, audioMasterGetVendorVersion, 0, 0, nullptr, 0.0f),
              major * 1000 + minor * 100 + patch);
}

#endif
