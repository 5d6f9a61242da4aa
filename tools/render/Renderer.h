#pragma once
// The block loop: reads carrier and modulator, runs the plug-in one block at a time and writes
// the selected outputs.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/render/RenderOptions.h"

class InputPair;
class OutputFile;
class PluginHost;
class ProgressReporter;

class Renderer {
public:
    // The plug-in output channels written to the file: the first channel of the selected pair,
    // or every output for All. Fails when the plug-in has too few outputs.
    static bool outputChannels(OutputSelection selection, int numOutputs,
                               std::vector<int>& channels, std::string& error);

    // Renders the whole input. The host must be loaded; it is started and stopped here.
    static bool run(PluginHost& host, InputPair& input, OutputFile& output,
                    const std::vector<int>& channels, ProgressReporter& progress,
                    std::string& error);
};
