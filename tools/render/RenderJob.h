#pragma once
// One render of a run: a carrier and a modulator (or one stereo input) into one output file.

#include <string>
#include <vector>

struct RenderJob {
    std::string carrierPath;
    std::string modulatorPath;
    std::string inputPath;  // stereo: left carrier, right modulator
    std::string outputPath;

    // The input files it reads, for the checks that an output never replaces one.
    std::vector<std::string> inputs() const {
        std::vector<std::string> paths;
        for (const std::string* path : {&carrierPath, &modulatorPath, &inputPath}) {
            if (!path->empty()) paths.push_back(*path);
        }
        return paths;
    }
};
