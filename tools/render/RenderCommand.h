#pragma once
// One run of ostraquelle-render from its arguments to its exit status: load, configure,
// render, report. Messages go to `out` (listing, summary) and `err` (progress, errors).

#include <chrono>
#include <cstdio>
#include <string>

class RenderCommand {
public:
    enum ExitStatus { kSuccess = 0, kFailed = 1, kUsage = 2 };

    // `started` is when the process began, for the real-time factor of the whole run.
    static int run(int argc, const char* const* argv, FILE* out, FILE* err,
                   std::chrono::steady_clock::time_point started);

    // The Ostraquelle.so in the directory of the running executable.
    static std::string defaultPluginPath();
};
