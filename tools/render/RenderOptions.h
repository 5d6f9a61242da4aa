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
    double sampleRate = 0.0;  // 0: the rate of the input files
    OutputSelection outputs = OutputSelection::Mix;
    int bits = 0;  // 0: 32-bit float; 16 or 24: integer PCM
};
