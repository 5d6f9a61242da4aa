#pragma once
// What one run of ostraquelle-render was asked to do, as parsed from its command line.

#include <string>
#include <vector>

enum class OutputSelection { Mix, Error, Carrier, Modulator, All };

// One --set NAME=VALUE, kept as text until the plug-in's parameter names are known.
struct ParameterSetting {
    std::string name;
    std::string value;
};

struct RenderOptions {
    std::string pluginPath;  // empty: the Ostraquelle.so beside the executable
    std::string carrierPath;
    std::string modulatorPath;
    std::string inputPath;  // stereo file: left carrier, right modulator
    std::string outputPath;
    // Batch: one carrier against many modulators (each written into outputDirectory under the
    // modulator's name), or a list of carrier, modulator and output triples.
    std::vector<std::string> modulatorPaths;
    std::string outputDirectory;
    std::string outputFormat;  // extension for batch outputs; empty: the modulator's own
    std::string pairsPath;
    int jobs = 0;  // 0: one worker per core
    int program = -1;  // -1: leave the plug-in's current program
    std::vector<ParameterSetting> settings;
    std::string presetPath;      // --preset: a .fxp program or .fxb bank to load
    std::string savePresetPath;  // --save-preset: the current program as .fxp
    std::string saveBankPath;    // --save-bank: every program as .fxb
    bool version = false;
    bool listParams = false;
    bool quiet = false;
    bool help = false;
    int blockSize = 512;
    double sampleRate = 0.0;  // --rate: inputs are converted to it; 0: the carrier's rate
    OutputSelection outputs = OutputSelection::Mix;
    int bits = 0;  // 0: 32-bit float; 16 or 24: integer PCM
};
