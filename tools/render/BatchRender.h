#pragma once
// Renders many files on several workers, each with its own plug-in instance kept for all its
// files. One progress line for the whole batch (files done, audio time, time left) on a
// terminal; a summary line per file as it finishes, the failures' messages, and a total.

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/render/RenderJob.h"
#include "tools/render/RenderOptions.h"

class BatchRender {
public:
    // Answers the exit status: 0 when every file was rendered, 1 when any failed, 2 when the
    // settings themselves were refused.
    static int run(const std::string& pluginPath, const RenderOptions& options,
                   const std::vector<RenderJob>& jobs, int workers, FILE* out, FILE* err);

    // "3 of 24 files, 30.0 s of audio, about 12 s left".
    static std::string progressText(size_t done, size_t total, double audioSeconds,
                                    double elapsedSeconds);
    // The last line: files, failures, audio and wall time, throughput.
    static std::string totalText(size_t rendered, size_t failed, double audioSeconds,
                                 double wallSeconds);
};
