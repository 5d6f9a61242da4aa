#include "tools/render/InputFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

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
    info = SF_INFO{};
    handle = sf_open(path.c_str(), SFM_READ, &info);
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
    return true;
}

int64_t InputFile::readInterleaved(int64_t count) {
    size_t needed = static_cast<size_t>(count) * static_cast<size_t>(info.channels);
    if (frameBuffer.size() < needed) frameBuffer.resize(needed);
    sf_count_t got = sf_readf_float(handle, frameBuffer.data(), count);
    return got > 0 ? got : 0;
}

int64_t InputFile::readMono(float* mono, int64_t count) {
    int64_t got = readInterleaved(count);
    const int channels = info.channels;
    for (int64_t frame = 0; frame < got; ++frame) {
        const float* source = &frameBuffer[static_cast<size_t>(frame * channels)];
        double sum = 0.0;
        for (int channel = 0; channel < channels; ++channel) sum += source[channel];
        mono[frame] = static_cast<float>(sum / channels);
    }
    return got;
}

int64_t InputFile::readStereo(float* left, float* right, int64_t count) {
    int64_t got = readInterleaved(count);
    for (int64_t frame = 0; frame < got; ++frame) {
        left[frame] = frameBuffer[static_cast<size_t>(frame * 2)];
        right[frame] = frameBuffer[static_cast<size_t>(frame * 2 + 1)];
    }
    return got;
}
