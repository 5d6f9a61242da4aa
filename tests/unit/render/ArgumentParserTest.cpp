#ifndef _WIN32

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/render/ArgumentParser.h"

namespace {

struct Parsed {
    bool ok;
    RenderOptions options;
    std::string error;
};

Parsed parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "ostraquelle-render");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    Parsed parsed;
    parsed.ok = ArgumentParser::parse(static_cast<int>(argv.size()), argv.data(), parsed.options,
                                      parsed.error);
    return parsed;
}

}  // namespace

TEST(RenderArguments, InputsComeAsAPairOrAsOneStereoFileButNeverBoth) {
    Parsed pair = parse({"--carrier", "c.wav", "--modulator", "m.wav", "-o", "out.wav"});
    ASSERT_TRUE(pair.ok) << pair.error;
    EXPECT_EQ(pair.options.carrierPath, "c.wav");
    EXPECT_EQ(pair.options.modulatorPath, "m.wav");
    EXPECT_EQ(pair.options.outputPath, "out.wav");

    Parsed stereo = parse({"--input=both.flac", "--output", "out.flac"});
    ASSERT_TRUE(stereo.ok) << stereo.error;
    EXPECT_EQ(stereo.options.inputPath, "both.flac");

    Parsed mixed =
        parse({"--input", "a.wav", "--carrier", "c.wav", "--modulator", "m.wav", "-o", "x.wav"});
    EXPECT_FALSE(mixed.ok);
    EXPECT_NE(mixed.error.find("not both"), std::string::npos) << mixed.error;

    Parsed half = parse({"--carrier", "c.wav", "-o", "x.wav"});
    EXPECT_FALSE(half.ok);
    EXPECT_NE(half.error.find("--modulator"), std::string::npos) << half.error;

    Parsed noOutput = parse({"--carrier", "c.wav", "--modulator", "m.wav"});
    EXPECT_FALSE(noOutput.ok);
    EXPECT_NE(noOutput.error.find("-o"), std::string::npos) << noOutput.error;

    // Listing parameters needs neither inputs nor an output.
    EXPECT_TRUE(parse({"--list-params"}).ok);
}

TEST(RenderArguments, SettingsAndOptionValuesAreTakenAsWritten) {
    Parsed parsed = parse({"--input",
                           "in.wav",
                           "-o",
                           "out.wav",
                           "--set",
                           "Pred-Order=0.5",
                           "--set",
                           "main Vol=0.25",
                           "--program",
                           "3",
                           "--block-size=64",
                           "--outputs",
                           "all",
                           "--bits",
                           "24",
                           "--sample-rate",
                           "48000",
                           "-q",
                           "--plugin",
                           "/x/y.so"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    const RenderOptions& o = parsed.options;
    ASSERT_EQ(o.settings.size(), 2u);
    EXPECT_EQ(o.settings[0].name, "Pred-Order");
    EXPECT_EQ(o.settings[0].value, "0.5");
    EXPECT_EQ(o.settings[1].name, "main Vol");  // names may hold spaces
    EXPECT_EQ(o.settings[1].value, "0.25");
    EXPECT_EQ(o.program, 3);
    EXPECT_EQ(o.blockSize, 64);
    EXPECT_EQ(o.outputs, OutputSelection::All);
    EXPECT_EQ(o.bits, 24);
    EXPECT_EQ(o.sampleRate, 48000.0);
    EXPECT_TRUE(o.quiet);
    EXPECT_EQ(o.pluginPath, "/x/y.so");

    Parsed defaults = parse({"--input", "in.wav", "-o", "out.wav"});
    ASSERT_TRUE(defaults.ok);
    EXPECT_EQ(defaults.options.outputs, OutputSelection::Mix);
    EXPECT_EQ(defaults.options.bits, 0);  // float
    EXPECT_EQ(defaults.options.program, -1);
    EXPECT_EQ(defaults.options.sampleRate, 0.0);
}

TEST(RenderArguments, BadValuesAreRefusedWithAMessageNamingTheOption) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--block-size", "0"}, "--block-size"},
        {{"--block-size", "12abc"}, "--block-size"},
        {{"--bits", "8"}, "--bits"},
        {{"--outputs", "left"}, "--outputs"},
        {{"--program", "-1"}, "--program"},
        {{"--sample-rate", "fast"}, "--sample-rate"},
        {{"--set", "Pred-Order"}, "NAME=VALUE"},
        {{"--set", "=0.5"}, "NAME=VALUE"},
        {{"--frobnicate"}, "--frobnicate"},
        {{"--quiet=yes"}, "--quiet"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {"--input", "in.wav", "-o", "out.wav"};
        arguments.insert(arguments.end(), c.first.begin(), c.first.end());
        Parsed parsed = parse(arguments);
        EXPECT_FALSE(parsed.ok) << c.first[0];
        EXPECT_NE(parsed.error.find(c.second), std::string::npos) << parsed.error;
    }
    Parsed missing = parse({"--input", "in.wav", "-o"});
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find("needs a value"), std::string::npos) << missing.error;
}

TEST(RenderArguments, SavingPresetsNeedsNoInputsButAnOutputStillNeedsThem) {
    Parsed saveOnly = parse({"--save-preset", "a.fxp", "--save-bank=b.fxb", "--preset", "in.fxb"});
    ASSERT_TRUE(saveOnly.ok) << saveOnly.error;
    EXPECT_EQ(saveOnly.options.savePresetPath, "a.fxp");
    EXPECT_EQ(saveOnly.options.saveBankPath, "b.fxb");
    EXPECT_EQ(saveOnly.options.presetPath, "in.fxb");

    // An output without inputs is a forgotten input, not a request to save only.
    Parsed forgotten = parse({"--save-preset", "a.fxp", "-o", "out.wav"});
    EXPECT_FALSE(forgotten.ok);
    EXPECT_NE(forgotten.error.find("no input"), std::string::npos) << forgotten.error;

    // A preset alone is nothing to do.
    EXPECT_FALSE(parse({"--preset", "in.fxp"}).ok);
    Parsed version = parse({"--version"});
    EXPECT_TRUE(version.ok && version.options.version);
}

TEST(RenderArguments, ABatchIsACarrierWithModulatorsAndAnOutputDirectoryOrAPairsList) {
    Parsed batch = parse({"--carrier", "pad.wav", "--out-dir", "out", "v1.wav", "--jobs", "3",
                          "v2.flac", "--out-format", ".flac"});
    ASSERT_TRUE(batch.ok) << batch.error;
    EXPECT_EQ(batch.options.modulatorPaths, (std::vector<std::string>{"v1.wav", "v2.flac"}));
    EXPECT_EQ(batch.options.outputDirectory, "out");
    EXPECT_EQ(batch.options.outputFormat, "flac");
    EXPECT_EQ(batch.options.jobs, 3);
    EXPECT_TRUE(parse({"--pairs", "list.txt", "--jobs=2", "--rate", "48000"}).ok);

    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"--carrier", "pad.wav", "v1.wav"}, "a batch needs --out-dir"},
        {{"--out-dir", "out", "v1.wav"}, "a batch needs --carrier"},
        {{"--carrier", "pad.wav", "--out-dir", "out"}, "--out-dir needs modulator files"},
        {{"--carrier", "c.wav", "--out-dir", "o", "-o", "x.wav", "v.wav"}, "leave out -o"},
        {{"--pairs", "list.txt", "--carrier", "c.wav"}, "give it alone"},
        {{"--carrier", "c.wav", "--modulator", "m.wav", "-o", "x.wav", "--jobs", "2"},
         "--jobs belongs to a batch"},
        {{"--pairs", "l.txt", "--jobs", "0"}, "--jobs needs a whole number"},
        {{"--pairs", "l.txt", "--save-preset", "p.fxp"}, "not in a batch"},
        {{"--pairs", "l.txt", "--rate", "44.1k"}, "--rate needs a whole number of Hz"},
        {{"--pairs", "l.txt", "--rate", "100"}, "from 1000 to 768000"},
        {{"--pairs", "l.txt", "--rate", "48000", "--sample-rate", "44100"}, "given twice"},
    };
    for (const auto& c : refused) {
        Parsed parsed = parse(c.first);
        EXPECT_FALSE(parsed.ok) << c.second;
        EXPECT_NE(parsed.error.find(c.second), std::string::npos) << parsed.error;
    }
}

#endif
