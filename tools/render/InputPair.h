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

    int sampleRate() const { return rate; }
    int64_t frames() const { return length; }

    // Fills `count` frames of both signals; past the end of an input, with zeros. Answers the
    // frames that belong to the render (fewer than count only at the end, 0 when done).
    int64_t read(float* carrier, float* modulator, int64_t count);

private:
    std::unique_ptr<InputFile> carrierFile;
    std::unique_ptr<InputFile> modulatorFile;  // null in stereo mode
    int rate = 0;
    int64_t length = 0;
    int64_t position = 0;
    bool carrierDone = false;
    bool modulatorDone = false;
};
