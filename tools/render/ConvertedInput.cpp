#include "tools/render/ConvertedInput.h"

#include <algorithm>

namespace {

constexpr int64_t kStagedFrames = 4096;

}  // namespace

bool ConvertedInput::open(const std::string& path, int rate, int channelsRead,
                          std::string& error) {
    if (!source.open(path, error)) return false;
    outputRate = rate > 0 ? rate : source.sampleRate();
    resamplers.clear();
    staged.clear();
    if (outputRate == source.sampleRate()) return true;
    for (int c = 0; c < channelsRead; ++c) {
        resamplers.emplace_back(new Resampler);
        if (!resamplers.back()->open(source.sampleRate(), outputRate, error)) {
            error = "cannot read " + path + ": " + error;
            return false;
        }
        staged.emplace_back(static_cast<size_t>(kStagedFrames));
    }
    return true;
}

int64_t ConvertedInput::convertedLength(int64_t frames) const {
    if (resamplers.empty()) return frames;
    return resamplers[0]->convertedLength(frames);
}

int64_t ConvertedInput::announcedFrames() const { return convertedLength(source.frames()); }

int64_t ConvertedInput::readMono(float* mono, int64_t count) {
    if (resamplers.empty()) {
        const int64_t got = source.readMono(mono, count);
        inputRead += got;
        return got;
    }
    float* outputs[1] = {mono};
    return readConverted(outputs, 1, count);
}

int64_t ConvertedInput::readStereo(float* left, float* right, int64_t count) {
    if (resamplers.empty()) {
        const int64_t got = source.readStereo(left, right, count);
        inputRead += got;
        return got;
    }
    float* outputs[2] = {left, right};
    return readConverted(outputs, 2, count);
}

int64_t ConvertedInput::readConverted(float* const* outputs, int channels, int64_t count) {
    int64_t produced = 0;
    while (produced < count) {
        if (stagedAt == stagedEnd && !inputEnded) {
            const int64_t got = channels == 1
                                    ? source.readMono(staged[0].data(), kStagedFrames)
                                    : source.readStereo(staged[0].data(), staged[1].data(),
                                                        kStagedFrames);
            inputRead += got;
            stagedAt = 0;
            stagedEnd = got;
            if (got < kStagedFrames) {
                inputEnded = true;
                outputLength = convertedLength(inputRead);
            }
        }
        int64_t room = count - produced;
        if (inputEnded) room = std::min(room, outputLength - outputDone);
        if (room <= 0) break;
        const bool draining = stagedAt == stagedEnd;
        size_t made = 0, consumed = 0;
        for (int c = 0; c < channels; ++c) {
            // The same filter over the same number of samples: every channel takes and gives
            // the same counts.
            made = resamplers[static_cast<size_t>(c)]->process(
                draining ? nullptr : staged[static_cast<size_t>(c)].data() + stagedAt,
                static_cast<size_t>(stagedEnd - stagedAt), consumed, outputs[c] + produced,
                static_cast<size_t>(room));
        }
        stagedAt += static_cast<int64_t>(consumed);
        produced += static_cast<int64_t>(made);
        outputDone += static_cast<int64_t>(made);
        if (draining && made == 0) {
            // The filter is empty but the duration is not reached: the rounding's last frames.
            for (int c = 0; c < channels; ++c) {
                std::fill(outputs[c] + produced, outputs[c] + produced + room, 0.0f);
            }
            produced += room;
            outputDone += room;
        }
    }
    return produced;
}
