#pragma once
// Turns the command line of ostraquelle-render into RenderOptions, with one clear message for
// anything it cannot accept.

#include <string>

#include "tools/render/RenderOptions.h"

class ArgumentParser {
public:
    // Parses argv[1..argc-1]. On failure returns false and sets error to one sentence.
    static bool parse(int argc, const char* const* argv, RenderOptions& options,
                      std::string& error);
    static std::string usage();
};
