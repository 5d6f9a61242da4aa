#include "tools/render/Renderer.h"

#include "tools/render/InputPair.h"
#include "tools/render/OutputFile.h"
#include "tools/render/PluginHost.h"
#include "tools/render/ProgressReporter.h"
#include "tools/render/RenderSignals.h"

bool Renderer::outputChannels(OutputSelection selection, int numOutputs,
                              std::vector<int>& channels, std::string& error) {
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
        case OutputSelection::Mix: first = 0; name = "mix"; break;
        case OutputSelection::Error: first = 2; name = "error"; break;
        case OutputSelection::Carrier: first = 4; name = "carrier"; break;
        case OutputSelection::Modulator: first = 6; name = "modulator"; break;
    }
    if (first + 1 >= numOutputs) {
        error = std::string("the plug-in has ") + std::to_string(numOutputs) +
                " outputs, too few for the " + name + " pair (outputs " +
                std::to_string(first) + " and " + std::to_string(first + 1) + ")";
        return false;
    }
    channels.push_back(first);
    return true;
}

bool Renderer::run(PluginHost& host, InputPair& input, OutputFile& output,
                   const std::vector<int>& channels, ProgressReporter& progress,
                   std::string& error) {
    const int blockSize = host.blockSize();
    const size_t block = static_cast<size_t>(blockSize);
    const int numInputs = host.numInputs();
    const int numOutputs = host.numOutputs();

    // Inputs beyond carrier and modulator (a plug-in with more than two) stay silent.
    std::vector<std::vector<float>> inputBuffers(static_cast<size_t>(numInputs),
                                                 std::vector<float>(block, 0.0f));
    std::vector<std::vector<float>> outputBuffers(static_cast<size_t>(numOutputs),
                                                  std::vector<float>(block, 0.0f));
    std::vector<float*> inputs;
    std::vector<float*> outputs;
    for (auto& buffer : inputBuffers) inputs.push_back(buffer.data());
    for (auto& buffer : outputBuffers) outputs.push_back(buffer.data());
    std::vector<float> interleaved(block * channels.size());

    host.start();
    int64_t done = 0;
    for (;;) {
        if (RenderSignals::interrupted()) {
            host.stop();
            progress.finish();
            error = "interrupted; no output written";
            return false;
        }
        int64_t frames = input.read(inputs[0], inputs[1], blockSize);
        if (frames <= 0) break;
        host.process(inputs.data(), outputs.data(), static_cast<int>(frames));
        for (int64_t frame = 0; frame < frames; ++frame) {
            for (size_t c = 0; c < channels.size(); ++c) {
                interleaved[static_cast<size_t>(frame) * channels.size() + c] =
                    outputs[static_cast<size_t>(channels[c])][frame];
            }
        }
        if (!output.write(interleaved.data(), frames, error)) {
            host.stop();
            progress.finish();
            return false;
        }
        done += frames;
        progress.update(done);
    }
    host.stop();
    progress.finish();
    return true;
}
