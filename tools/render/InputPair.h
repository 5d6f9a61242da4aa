#pragma once
// The two signals the vocoder needs, carrier and modulator, read in step from either two files
// (each mixed to mono) or the two channels of one stereo file. The shorter signal is padded
// with silence up to the length of the longer one.

#include <cstdint>
#include <memory>
#include <string>

#include "tools/render/InputFile.h"

class InputPair {
public:
    bool openPair(const std::string& carrierPath, const std::string& modulatorPath,
                  std::string& error);
    bool openStereo(const std::string& path, std::string& error);

    int sampleRate() const { return sampleRate_; }
    int64_t frames() const { return frames_; }

    // Fills `count` frames of both signals; past the end of an input, with zeros. Answers the
    // frames that belong to the render (fewer than count only at the end, 0 when done).
    int64_t read(float* carrier, float* modulator, int64_t count);

private:
    std::unique_ptr<InputFile> carrier_;
    std::unique_ptr<InputFile> modulator_;  // null in stereo mode
    int sampleRate_ = 0;
    int64_t frames_ = 0;
    int64_t position_ = 0;
    bool carrierDone_ = false;
    bool modulatorDone_ = false;
};
