#include "tools/render/InputPair.h"

#include <algorithm>

namespace {

std::string conversionOf(const char* role, ConvertedInput& input) {
    return std::string(role) + " " + input.file().path() + " converted from " +
           std::to_string(input.file().sampleRate()) + " Hz";
}

std::string earlyEndOf(ConvertedInput& input) {
    return input.file().path() + " ended after " + std::to_string(input.framesRead()) +
           " frames; its header promised " + std::to_string(input.file().frames());
}

bool endedEarly(ConvertedInput& input) { return input.framesRead() < input.file().frames(); }

}  // namespace

bool InputPair::openPair(const std::string& carrierPath, const std::string& modulatorPath,
                         std::string& error, int rate) {
    carrierInput.reset(new ConvertedInput());
    modulatorInput.reset(new ConvertedInput());
    if (!carrierInput->open(carrierPath, rate, 1, error)) return false;
    renderRate = carrierInput->rate();
    if (!modulatorInput->open(modulatorPath, renderRate, 1, error)) return false;
    announced = std::max(carrierInput->announcedFrames(), modulatorInput->announcedFrames());
    carrierDone = modulatorDone = false;
    return true;
}

bool InputPair::openStereo(const std::string& path, std::string& error, int rate) {
    carrierInput.reset(new ConvertedInput());
    modulatorInput.reset();
    if (!carrierInput->open(path, rate, 2, error)) return false;
    if (carrierInput->file().channels() != 2) {
        error = "--input needs a stereo file (left carrier, right modulator), but " + path +
                " has " + std::to_string(carrierInput->file().channels()) + " channel(s)";
        return false;
    }
    renderRate = carrierInput->rate();
    announced = carrierInput->announcedFrames();
    carrierDone = modulatorDone = false;
    return true;
}

int64_t InputPair::read(float* carrier, float* modulator, int64_t count) {
    if (count <= 0) return 0;
    // What an input does not fill stays silent; the render goes on while either has frames.
    if (modulatorInput == nullptr) {
        const int64_t got = carrierDone ? 0 : carrierInput->readStereo(carrier, modulator, count);
        if (got < count) carrierDone = true;
        return got;
    }
    const int64_t gotCarrier = carrierDone ? 0 : carrierInput->readMono(carrier, count);
    if (gotCarrier < count) {
        carrierDone = true;
        std::fill(carrier + gotCarrier, carrier + count, 0.0f);
    }
    const int64_t gotModulator = modulatorDone ? 0 : modulatorInput->readMono(modulator, count);
    if (gotModulator < count) {
        modulatorDone = true;
        std::fill(modulator + gotModulator, modulator + count, 0.0f);
    }
    return std::max(gotCarrier, gotModulator);
}

std::vector<std::string> InputPair::conversions() const {
    std::vector<std::string> lines;
    if (modulatorInput == nullptr) {
        if (carrierInput && carrierInput->converted())
            lines.push_back(conversionOf("input", *carrierInput));
        return lines;
    }
    if (carrierInput->converted()) lines.push_back(conversionOf("carrier", *carrierInput));
    if (modulatorInput->converted()) lines.push_back(conversionOf("modulator", *modulatorInput));
    return lines;
}

std::vector<std::string> InputPair::earlyEnds() const {
    std::vector<std::string> lines;
    if (carrierInput && endedEarly(*carrierInput)) lines.push_back(earlyEndOf(*carrierInput));
    if (modulatorInput && endedEarly(*modulatorInput)) lines.push_back(earlyEndOf(*modulatorInput));
    return lines;
}
