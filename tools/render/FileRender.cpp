#include "tools/render/FileRender.h"

#include "tools/render/InputPair.h"
#include "tools/render/OutputFile.h"
#include "tools/render/OutputTarget.h"
#include "tools/render/PresetTransfer.h"
#include "tools/render/ProgressReporter.h"
#include "tools/render/RenderSignals.h"
#include "tools/render/Renderer.h"
#include "tools/render/SummaryLine.h"

namespace {

FileOutcome failed(const std::string& message, int status = 1) {
    FileOutcome outcome;
    outcome.status = status;
    outcome.message = message;
    return outcome;
}

}  // namespace

FileRender::FileRender(const std::string& pluginPath, const RenderOptions& options)
    : plugin(pluginPath), settings(options) {}

FileOutcome FileRender::render(const RenderJob& job, const std::vector<std::string>& allInputs,
                               bool showProgress, FILE* progressStream, bool savePresets,
                               std::chrono::steady_clock::time_point started) {
    std::string error;
    std::vector<std::string> protectedFiles = allInputs;
    if (!settings.presetPath.empty()) protectedFiles.push_back(settings.presetPath);
    if (!OutputTarget::checkNotAnInput(job.outputPath, protectedFiles, "", error)) {
        return failed(error);
    }
    const int rate = static_cast<int>(settings.sampleRate);
    InputPair input;
    const bool opened = job.inputPath.empty()
                            ? input.openPair(job.carrierPath, job.modulatorPath, error, rate)
                            : input.openStereo(job.inputPath, error, rate);
    if (!opened) return failed(error);

    if (loaded && host.sampleRate() != input.sampleRate()) {
        host.unload();
        loaded = false;
    }
    if (!loaded) {
        if (!host.load(plugin, input.sampleRate(), settings.blockSize, error)) return failed(error);
        loaded = true;
    }
    switch (PresetTransfer::applyOptions(host, settings, error)) {
        case PresetTransfer::Applied::Yes:
            break;
        case PresetTransfer::Applied::BadFile:
            return failed(error);
        case PresetTransfer::Applied::BadCommandLine:
            return failed(error, 2);
    }
    if (host.numInputs() < 2) {
        return failed("the plug-in has " + std::to_string(host.numInputs()) +
                      " input(s); a vocoder needs two (carrier, modulator)");
    }
    std::vector<int> channels;
    if (!Renderer::outputChannels(settings.outputs, host.numOutputs(), channels, error)) {
        return failed(error);
    }

    OutputFile output;
    if (!output.open(job.outputPath, static_cast<int>(channels.size()), input.sampleRate(),
                     settings.bits, error, input.frames())) {
        return failed(error);
    }
    std::vector<PresetTransfer::PendingFile> presets;
    if (savePresets && !PresetTransfer::prepareSaves(host, settings, protectedFiles, presets, error)) {
        return failed(error);
    }
    ProgressReporter progress(input.frames(), input.sampleRate(), !showProgress, progressStream);
    if (!Renderer::run(host, input, output, channels, progress, error)) {
        output.discard();
        PresetTransfer::abandonSaves(presets);
        return failed(error);
    }
    if (!output.commit(error)) {
        PresetTransfer::abandonSaves(presets);
        return failed(error);
    }
    if (!PresetTransfer::finishSaves(presets, error)) return failed(error);

    FileOutcome outcome;
    outcome.warnings = input.earlyEnds();
    RenderFigures figures;
    figures.outputPath = job.outputPath;
    figures.formatDescription = output.description();
    figures.frames = output.frames();
    figures.sampleRate = input.sampleRate();
    figures.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    figures.peak = output.peak();
    figures.floatOutput = output.isFloat();
    figures.clipped = output.clipped();
    figures.nonFinite = output.nonFinite();
    figures.conversions = input.conversions();
    outcome.summary = SummaryLine::format(figures);
    outcome.audioSeconds = static_cast<double>(figures.frames) / figures.sampleRate;
    return outcome;
}
