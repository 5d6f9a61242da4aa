#pragma once
// One render from input files to a committed output file on a plug-in host that is kept
// between renders: loaded on first use, reloaded only when the rate changes, configured afresh
// for every file and reset by its stop between files, so that each file comes out exactly as
// a render of it alone would.

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/render/PluginHost.h"
#include "tools/render/RenderJob.h"
#include "tools/render/RenderOptions.h"

struct FileOutcome {
    int status = 0;  // 0 rendered, 1 failed, 2 bad command line
    std::string message;  // why it failed
    std::string summary;  // the summary line of a render
    std::vector<std::string> warnings;
    double audioSeconds = 0.0;
};

class FileRender {
public:
    FileRender(const std::string& pluginPath, const RenderOptions& options);

    // Renders `job`. `allInputs` are every input of the run, none of which an output may
    // replace. `showProgress` draws the single render's bar on `progressStream`. With
    // `savePresets`, --save-preset and --save-bank take their names with the output.
    // `started` is when the wall time of the summary's real-time factor starts.
    FileOutcome render(const RenderJob& job, const std::vector<std::string>& allInputs,
                       bool showProgress, FILE* progressStream, bool savePresets,
                       std::chrono::steady_clock::time_point started);

private:
    std::string plugin;
    const RenderOptions& settings;
    PluginHost host;
    bool loaded = false;
};
