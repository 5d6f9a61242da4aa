#pragma once
// The rendered file. Its format follows the extension of the requested name; samples are
// written as 32-bit float or converted to 16/24-bit PCM by rounding without dither, counting
// the samples that had to be clipped. Everything goes to a temporary file beside the target,
// renamed to the requested name only when the render succeeded, so a failed or interrupted
// render never leaves a half-written file under that name. The written data is flushed to the
// disk while the render runs (BackgroundFlush), so that making the file durable before the
// rename costs little at the end.

#include <sndfile.h>

#include "tools/render/BackgroundFlush.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();  // discards the temporary file unless committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // bits: 0 for 32-bit float (24-bit PCM where the format has no float), 16 or 24.
    // expectedFrames, when known, picks RF64 for a WAV that would pass the 4 GiB its sizes can
    // count, and refuses other formats with 32-bit sizes. A symbolic link is written through.
    bool open(const std::string& path, int channels, int sampleRate, int bits, std::string& error,
              int64_t expectedFrames = 0);
    // Writes `frames` interleaved frames. May run on another thread than open and commit, but
    // never at the same time.
    bool write(const float* interleaved, int64_t frames, std::string& error);
    // Finishes the file, makes it durable and moves it to the requested name.
    bool commit(std::string& error);
    // Removes the temporary file; the requested name is left as it was.
    void discard();

    // "mono 32-bit float WAV" and the like.
    std::string description() const;
    // The bytes a file of `frames` holds with 4-byte samples at most, header included.
    static int64_t largestSize(int64_t frames, int channels);
    // Formats whose header counts bytes in 32 bits.
    static constexpr int64_t kLargest32BitFile = 0xFFFFFFFFll;
    const std::string& temporaryPath() const { return temporaryName; }
    bool isFloat() const { return bitDepth == 0; }
    // Frames written so far.
    int64_t frames() const { return framesWritten; }
    // Largest absolute sample value written (before conversion).
    double peak() const { return peakLevel; }
    // PCM: samples clipped to full scale. Float: samples beyond full scale (kept as they are).
    int64_t clipped() const { return clippedCount; }
    // NaN or infinite samples (written as 0 to PCM files).
    int64_t nonFinite() const { return nonFiniteCount; }

    // Converts one sample to a left-justified 32-bit PCM value of `bits` bits, rounding to the
    // nearest step (full scale 1.0 = 2^(bits-1) steps) and clipping; sets `clipped` if it did.
    static int32_t toPcm(float sample, int bits, bool& clipped);

private:
    // Has what libsndfile has written so far flushed to disk, without waiting for it.
    void requestFlush();
    // Stops the background flush; answers the errno of a flush that failed, or 0.
    int stopFlushing();

    // libsndfile writes through these, so that every failed write is seen, the encoder's last
    // ones inside sf_close included (which sf_close itself does not always report).
    struct Sink {
        int descriptor = -1;
        int firstErrno = 0;
        int64_t position = 0;
        int64_t end = 0;  // the furthest byte written
    };
    static sf_count_t sinkLength(void* user);
    static sf_count_t sinkSeek(sf_count_t offset, int whence, void* user);
    static sf_count_t sinkRead(void* buffer, sf_count_t count, void* user);
    static sf_count_t sinkWrite(const void* buffer, sf_count_t count, void* user);
    static sf_count_t sinkTell(void* user);
    std::string failure(int errnoValue) const;

    std::string targetPath;
    std::string temporaryName;
    std::string formatName;
    SNDFILE* handle = nullptr;
    int descriptor = -1;           // ours: libsndfile writes through it but does not close it
    int signalSlot = -1;
    Sink sink;
    bool rf64 = false;  // a WAV too large for its sizes, written as RF64
    int64_t framesWritten = 0;
    int64_t flushRequestedTo = 0;  // file offset up to which a flush has been requested
    std::unique_ptr<BackgroundFlush> flush;
    int channelCount = 0;
    int bitDepth = 0;
    bool committed = false;
    double peakLevel = 0.0;
    int64_t clippedCount = 0;
    int64_t nonFiniteCount = 0;
    std::vector<int32_t> pcmBuffer;
};
