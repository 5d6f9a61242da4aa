#pragma once
// One audio file opened for reading with libsndfile, read block by block as float frames.

#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool open(const std::string& path, std::string& error);
    const std::string& path() const { return filePath; }
    int channels() const { return info.channels; }
    int sampleRate() const { return info.samplerate; }
    int64_t frames() const { return info.frames; }

    // Reads up to `count` frames into `mono` as the average of all channels. Answers the frames
    // read; 0 at the end of the file.
    int64_t readMono(float* mono, int64_t count);
    // Reads up to `count` frames of a two-channel file into `left` and `right`.
    int64_t readStereo(float* left, float* right, int64_t count);

private:
    int64_t readInterleaved(int64_t count);

    std::string filePath;
    SNDFILE* handle = nullptr;
    SF_INFO info{};
    std::vector<float> frameBuffer;
};
