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
    const std::string& path() const { return path_; }
    int channels() const { return info_.channels; }
    int sampleRate() const { return info_.samplerate; }
    int64_t frames() const { return info_.frames; }

    // Reads up to `count` frames into `mono` as the average of all channels. Answers the frames
    // read; 0 at the end of the file.
    int64_t readMono(float* mono, int64_t count);
    // Reads up to `count` frames of a two-channel file into `left` and `right`.
    int64_t readStereo(float* left, float* right, int64_t count);

private:
    int64_t readInterleaved(int64_t count);

    std::string path_;
    SNDFILE* file_ = nullptr;
    SF_INFO info_{};
    std::vector<float> interleaved_;
};
