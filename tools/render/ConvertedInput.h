#pragma once
// One input file read at the render's rate: straight from the file when the rates agree,
// through a Resampler per channel otherwise. Read as one mixed-down channel or as the two
// channels of a stereo file. The converted length is the input's real duration at the new rate.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/render/InputFile.h"
#include "tools/render/Resampler.h"

class ConvertedInput {
public:
    // `rate` 0 keeps the file's own rate; `channelsRead` is 1 for readMono, 2 for readStereo.
    bool open(const std::string& path, int rate, int channelsRead, std::string& error);
    InputFile& file() { return source; }
    int rate() const { return outputRate; }
    bool converted() const { return !resamplers.empty(); }
    // The duration of `frames` of the file at the render's rate, rounded.
    int64_t convertedLength(int64_t frames) const;
    // The length the file's header announces, at the render's rate.
    int64_t announcedFrames() const;
    // Input frames the file really delivered so far.
    int64_t framesRead() const { return inputRead; }

    // As InputFile's, at the render's rate: fewer than `count` frames only at the end.
    int64_t readMono(float* mono, int64_t count);
    int64_t readStereo(float* left, float* right, int64_t count);

private:
    int64_t readConverted(float* const* outputs, int channels, int64_t count);

    InputFile source;
    int outputRate = 0;
    std::vector<std::unique_ptr<Resampler>> resamplers;  // one per channel read
    std::vector<std::vector<float>> staged;              // input-rate frames not yet converted
    int64_t stagedAt = 0, stagedEnd = 0;
    int64_t inputRead = 0;
    int64_t outputDone = 0;
    int64_t outputLength = -1;  // known once the input ended
    bool inputEnded = false;
};
