#include "tools/render/Renderer.h"

#include "tools/render/InputPair.h"
#include "tools/render/OutputFile.h"
#include "tools/render/PluginHost.h"
#include "tools/render/ProgressReporter.h"
#include "tools/render/RenderPipeline.h"

bool Renderer::outputChannels(OutputSelection selection, int numOutputs, std::vector<int>& channels,
                              std::string& error) {
    channels.clear();
    int first = 0;
    const char* name = "mix";
    switch (selection) {
        case OutputSelection::All:
            for (int channel = 0; channel < numOutputs; ++channel) channels.push_back(channel);
            if (channels.empty()) {
                error = "the plug-in has no outputs";
                return false;
            }
            return true;
        case OutputSelection::Mix:
            first = 0;
            name = "mix";
            break;
        case OutputSelection::Error:
            first = 2;
            name = "error";
            break;
        case OutputSelection::Carrier:
            first = 4;
            name = "carrier";
            break;
        case OutputSelection::Modulator:
            first = 6;
            name = "modulator";
            break;
    }
    if (first + 1 >= numOutputs) {
        error = std::string("the plug-in has ") + std::to_string(numOutputs) +
                " outputs, too few for the " + name + " pair (outputs " + std::to_string(first) +
                " and " + std::to_string(first + 1) + ")";
        return false;
    }
    channels.push_back(first);
    return true;
}

bool Renderer::run(PluginHost& host, InputPair& input, OutputFile& output,
                   const std::vector<int>& channels, ProgressReporter& progress,
                   std::string& error) {
    host.start();
    const bool ok = RenderPipeline::run(host, input, output, channels, progress, error);
    host.stop();
    progress.finish();
    return ok;
}
