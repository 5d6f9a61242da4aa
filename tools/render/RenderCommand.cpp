#include "tools/render/RenderCommand.h"

#include <unistd.h>

#include <climits>
#include <vector>

#include "OstraquelleVersion.h"
#include "tools/render/ArgumentParser.h"
#include "tools/render/InputPair.h"
#include "tools/render/OutputFile.h"
#include "tools/render/PluginHost.h"
#include "tools/render/PresetTransfer.h"
#include "tools/render/ProgressReporter.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/Renderer.h"
#include "tools/render/SummaryLine.h"

namespace {

int fail(FILE* err, const std::string& message, int status) {
    std::fprintf(err, "ostraquelle-render: %s\n", message.c_str());
    return status;
}

void listParameters(PluginHost& host, const std::string& path, FILE* out) {
    std::fprintf(out, "%s (%s), program %d \"%s\"\n", host.effectName().c_str(), path.c_str(),
                 host.program(), host.programName().c_str());
    std::fprintf(out, "%5s  %-16s %-10s %s\n", "index", "name", "display", "label");
    for (int index = 0; index < host.numParams(); ++index) {
        std::fprintf(out, "%5d  %-16s %-10s %s\n", index, host.parameterName(index).c_str(),
                     host.parameterDisplay(index).c_str(), host.parameterLabel(index).c_str());
    }
}

}  // namespace

std::string RenderCommand::defaultPluginPath() {
    std::vector<char> buffer(PATH_MAX + 1, '\0');
    ssize_t length = readlink("/proc/self/exe", buffer.data(), PATH_MAX);
    std::string self = length > 0 ? std::string(buffer.data(), static_cast<size_t>(length)) : "";
    std::string::size_type slash = self.find_last_of('/');
    std::string directory = slash == std::string::npos ? "." : self.substr(0, slash);
    return directory + "/Ostraquelle.so";
}

int RenderCommand::run(int argc, const char* const* argv, FILE* out, FILE* err,
                       std::chrono::steady_clock::time_point started) {
    RenderOptions options;
    std::string error;
    if (!ArgumentParser::parse(argc, argv, options, error)) return fail(err, error, kUsage);
    if (options.help) {
        std::fputs(ArgumentParser::usage().c_str(), out);
        return kSuccess;
    }
    if (options.version) {
        std::fprintf(out, "ostraquelle-render %s\n", OSTRAQUELLE_VERSION);
        return kSuccess;
    }
    std::string pluginPath = options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath;

    InputPair input;
    double sampleRate = options.sampleRate > 0.0 ? options.sampleRate : 44100.0;
    // Without inputs the run only lists or saves the settings.
    const bool renders =
        !options.listParams && (!options.carrierPath.empty() || !options.inputPath.empty());
    if (renders) {
        bool opened = options.inputPath.empty()
                          ? input.openPair(options.carrierPath, options.modulatorPath, error)
                          : input.openStereo(options.inputPath, error);
        if (!opened) return fail(err, error, kFailed);
        if (options.sampleRate > 0.0 && options.sampleRate != input.sampleRate()) {
            char text[64];
            std::snprintf(text, sizeof(text), "%g", options.sampleRate);
            return fail(err,
                        std::string("--sample-rate ") + text + " Hz does not match the inputs' " +
                            std::to_string(input.sampleRate()) +
                            " Hz; nothing is resampled, so give the files' rate or leave it out",
                        kFailed);
        }
        sampleRate = input.sampleRate();
    }

    PluginHost host;
    if (!host.load(pluginPath, sampleRate, options.blockSize, error)) {
        return fail(err, error, kFailed);
    }
    if (!PresetTransfer::applyOptions(host, options, error)) return fail(err, error, kFailed);
    if (!PresetTransfer::saveOptions(host, options, error)) return fail(err, error, kFailed);
    if (options.listParams) {
        listParameters(host, pluginPath, out);
        return kSuccess;
    }
    if (!renders) return kSuccess;
    if (host.numInputs() < 2) {
        return fail(err,
                    "the plug-in has " + std::to_string(host.numInputs()) +
                        " input(s); a vocoder needs two (carrier, modulator)",
                    kFailed);
    }
    std::vector<int> channels;
    if (!Renderer::outputChannels(options.outputs, host.numOutputs(), channels, error)) {
        return fail(err, error, kFailed);
    }

    OutputFile output;
    if (!output.open(options.outputPath, static_cast<int>(channels.size()), input.sampleRate(),
                     options.bits, error)) {
        return fail(err, error, kFailed);
    }
    ProgressReporter progress(input.frames(), input.sampleRate(), options.quiet, err);
    if (!Renderer::run(host, input, output, channels, progress, error)) {
        output.discard();
        return fail(err, error, kFailed);
    }
    host.unload();
    if (!output.commit(error)) return fail(err, error, kFailed);

    if (!options.quiet) {
        RenderFigures figures;
        figures.outputPath = options.outputPath;
        figures.formatDescription = output.description();
        figures.frames = input.frames();
        figures.sampleRate = input.sampleRate();
        figures.wallSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        figures.peak = output.peak();
        figures.floatOutput = output.isFloat();
        figures.clipped = output.clipped();
        figures.nonFinite = output.nonFinite();
        std::fprintf(out, "%s\n", SummaryLine::format(figures).c_str());
    }
    return kSuccess;
}
