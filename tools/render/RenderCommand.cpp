#include "tools/render/RenderCommand.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <thread>
#include <vector>

#include "OstraquelleVersion.h"
#include "tools/render/ArgumentParser.h"
#include "tools/render/BatchPlan.h"
#include "tools/render/BatchRender.h"
#include "tools/render/FileRender.h"
#include "tools/render/PluginHost.h"
#include "tools/render/PresetTransfer.h"
#include "tools/render/RenderOptions.h"

namespace {

int fail(FILE* err, const std::string& message, int status) {
    std::fprintf(err, "ostraquelle-render: %s\n", message.c_str());
    return status;
}

void listParameters(PluginHost& host, const std::string& path, FILE* out) {
    std::fprintf(out, "%s (%s), program %d \"%s\"\n", host.effectName().c_str(), path.c_str(),
                 host.program(), host.programName().c_str());
    // The display with its label is what --set takes in units; the normalised value is the
    // host's own.
    std::fprintf(out, "%5s  %-16s %-10s %-12s %s\n", "index", "name", "display", "label",
                 "normalised");
    for (int index = 0; index < host.numParams(); ++index) {
        std::fprintf(out, "%5d  %-16s %-10s %-12s %.6f\n", index, host.parameterName(index).c_str(),
                     host.parameterDisplay(index).c_str(), host.parameterLabel(index).c_str(),
                     static_cast<double>(host.parameter(index)));
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

    const bool batch = !options.pairsPath.empty() || !options.outputDirectory.empty();
    std::vector<RenderJob> jobs;
    if (batch) {
        switch (BatchPlan::plan(options, jobs, error)) {
            case BatchPlan::Outcome::Planned:
                break;
            case BatchPlan::Outcome::BadList:
                return fail(err, error, kFailed);
            case BatchPlan::Outcome::BadCommandLine:
                return fail(err, error, kUsage);
        }
    }
    // Without inputs the run only lists or saves the settings; a batch checks its settings
    // here once, so that a typo is one message rather than one per file.
    const bool renders =
        !options.listParams && (!options.carrierPath.empty() || !options.inputPath.empty());
    if (!renders || batch) {
        PluginHost host;
        const double rate = options.sampleRate > 0.0 ? options.sampleRate : 44100.0;
        if (!host.load(pluginPath, rate, options.blockSize, error)) {
            return fail(err, error, kFailed);
        }
        switch (PresetTransfer::applyOptions(host, options, error)) {
            case PresetTransfer::Applied::Yes:
                break;
            case PresetTransfer::Applied::BadFile:
                return fail(err, error, kFailed);
            case PresetTransfer::Applied::BadCommandLine:
                return fail(err, error, kUsage);
        }
        if (options.listParams) {
            listParameters(host, pluginPath, out);
            return kSuccess;
        }
        if (!batch) {
            std::vector<PresetTransfer::PendingFile> saves;
            if (!PresetTransfer::prepareSaves(host, options, {options.presetPath}, saves, error) ||
                !PresetTransfer::finishSaves(saves, error)) {
                return fail(err, error, kFailed);
            }
            return kSuccess;
        }
        host.unload();
        const int workers = options.jobs > 0
                                ? options.jobs
                                : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
        return BatchRender::run(pluginPath, options, jobs, workers, out, err);
    }

    RenderJob job;
    job.carrierPath = options.carrierPath;
    job.modulatorPath = options.modulatorPath;
    job.inputPath = options.inputPath;
    job.outputPath = options.outputPath;
    FileRender renderer(pluginPath, options);
    FileOutcome outcome = renderer.render(job, job.inputs(), !options.quiet, err, true, started);
    if (outcome.status != 0) return fail(err, outcome.message, outcome.status);
    for (const std::string& warning : outcome.warnings) {
        std::fprintf(err, "ostraquelle-render: warning: %s\n", warning.c_str());
    }
    if (!options.quiet) std::fprintf(out, "%s\n", outcome.summary.c_str());
    return kSuccess;
}
