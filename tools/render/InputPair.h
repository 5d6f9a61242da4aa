#pragma once
// The two signals the vocoder needs, carrier and modulator, read in step from either two files
// (each mixed to mono) or the two channels of one stereo file, at one rate: the carrier's, or
// the one asked for, to which the other inputs are converted. The shorter signal is padded with
// silence up to the real length of the longer one, whatever the headers promised.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/render/ConvertedInput.h"

class InputPair {
public:
    // `rate` 0: the carrier's own rate.
    bool openPair(const std::string& carrierPath, const std::string& modulatorPath,
                  std::string& error, int rate = 0);
    bool openStereo(const std::string& path, std::string& error, int rate = 0);

    int sampleRate() const { return renderRate; }
    // The length the headers announce, at the render's rate: for the progress display and the
    // output's format. The render itself ends where the inputs really end.
    int64_t frames() const { return announced; }

    // Fills `count` frames of both signals; past the end of one input, with zeros. Answers the
    // frames that belong to the render (fewer than count only at the end, 0 when done).
    int64_t read(float* carrier, float* modulator, int64_t count);

    // "modulator m.wav converted from 48000 Hz" for each converted input.
    std::vector<std::string> conversions() const;
    // After the render: one line for each input that ended before its header said.
    std::vector<std::string> earlyEnds() const;

private:
    std::unique_ptr<ConvertedInput> carrierInput;
    std::unique_ptr<ConvertedInput> modulatorInput;  // null in stereo mode
    int renderRate = 0;
    int64_t announced = 0;
    bool carrierDone = false;
    bool modulatorDone = false;
};
