#pragma once
// One audio file opened for reading with libsndfile, read block by block as float frames.
// 16-bit PCM, the most common input, is read as integers (libsndfile then reads straight from
// the file into our buffer) and converted here, in the pass that splits or mixes the channels.

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

    // The float a 16-bit sample stands for: full scale 32768 steps, as libsndfile normalises.
    // Exact (a power-of-two scale), so it equals libsndfile's own conversion.
    static float fromPcm16(short sample) { return static_cast<float>(sample) * (1.0f / 32768.0f); }

private:
    // Reads `count` frames at most into frameBuffer, or for 16-bit files into pcm16Buffer;
    // answers the frames read.
    int64_t readInterleaved(int64_t count);

    std::string filePath;
    SNDFILE* handle = nullptr;
    SF_INFO info{};
    bool pcm16 = false;
    std::vector<float> frameBuffer;
    std::vector<short> pcm16Buffer;
};
