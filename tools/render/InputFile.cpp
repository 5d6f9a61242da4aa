#include "tools/render/InputFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "tools/render/RenderSignals.h"

namespace {

float toFloat(float sample) { return sample; }
float toFloat(short sample) { return InputFile::fromPcm16(sample); }

template <typename Sample>
void mixToMono(const Sample* interleaved, int channels, int64_t frames, float* mono) {
    for (int64_t frame = 0; frame < frames; ++frame) {
        const Sample* source = interleaved + frame * channels;
        double sum = 0.0;
        for (int channel = 0; channel < channels; ++channel) sum += toFloat(source[channel]);
        mono[frame] = static_cast<float>(sum / channels);
    }
}

template <typename Sample>
void split(const Sample* interleaved, int64_t frames, float* left, float* right) {
    for (int64_t frame = 0; frame < frames; ++frame) {
        left[frame] = toFloat(interleaved[frame * 2]);
        right[frame] = toFloat(interleaved[frame * 2 + 1]);
    }
}

}  // namespace

InputFile::~InputFile() {
    if (handle != nullptr) sf_close(handle);
}

bool InputFile::open(const std::string& path, std::string& error) {
    filePath = path;
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(status.st_mode)) {
        error = "cannot read " + path + ": it is a directory";
        return false;
    }
    if (S_ISREG(status.st_mode) && status.st_size == 0) {
        error = "cannot read " + path + " as audio: the file is empty (0 bytes)";
        return false;
    }
    info = SF_INFO{};
    {
        RenderSignals::BlockingRead mayWait;  // a pipe's header comes when its writer sends it
        handle = sf_open(path.c_str(), SFM_READ, &info);
    }
    if (handle == nullptr) {
        error = "cannot read " + path + " as audio: " + sf_strerror(nullptr);
        return false;
    }
    if (info.channels < 1 || info.samplerate < 1) {
        error = "cannot read " + path + " as audio: no channels or no sample rate";
        return false;
    }
    // Integer files are read as floats scaled by 1/32768 (16-bit) etc., the usual full scale.
    sf_command(handle, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    pcm16 = (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16;
    return true;
}

int64_t InputFile::readInterleaved(int64_t count) {
    size_t needed = static_cast<size_t>(count) * static_cast<size_t>(info.channels);
    sf_count_t got;
    RenderSignals::BlockingRead mayWait;
    if (pcm16) {
        if (pcm16Buffer.size() < needed) pcm16Buffer.resize(needed);
        got = sf_readf_short(handle, pcm16Buffer.data(), count);
    } else {
        if (frameBuffer.size() < needed) frameBuffer.resize(needed);
        got = sf_readf_float(handle, frameBuffer.data(), count);
    }
    return got > 0 ? got : 0;
}

int64_t InputFile::readMono(float* mono, int64_t count) {
    const int64_t got = readInterleaved(count);
    if (pcm16) {
        mixToMono(pcm16Buffer.data(), info.channels, got, mono);
    } else {
        mixToMono(frameBuffer.data(), info.channels, got, mono);
    }
    return got;
}

int64_t InputFile::readStereo(float* left, float* right, int64_t count) {
    const int64_t got = readInterleaved(count);
    if (pcm16) {
        split(pcm16Buffer.data(), got, left, right);
    } else {
        split(frameBuffer.data(), got, left, right);
    }
    return got;
}
