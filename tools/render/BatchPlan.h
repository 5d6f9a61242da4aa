#pragma once
// The renders a batch command line asks for: one carrier against each modulator (the output in
// --out-dir under the modulator's file name, its extension or --out-format choosing the
// format), or the lines of a --pairs list.

#include <string>
#include <vector>

#include "tools/render/RenderJob.h"
#include "tools/render/RenderOptions.h"

class BatchPlan {
public:
    enum class Outcome { Planned, BadList, BadCommandLine };

    static Outcome plan(const RenderOptions& options, std::vector<RenderJob>& jobs,
                        std::string& error);

    // "DIR/voice.flac" for "some/where/voice.wav" with format "flac"; empty format keeps the
    // extension.
    static std::string outputFor(const std::string& modulatorPath, const std::string& directory,
                                 const std::string& format);
    // One line of a pairs list: three names separated by tabs, or by runs of spaces when the
    // line has no tab. Blank lines and lines starting with '#' hold nothing (answers false with
    // an empty error).
    static bool parsePairLine(const std::string& line, RenderJob& job, std::string& error);
};
