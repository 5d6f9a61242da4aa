#include "tools/render/OutputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/render/OutputTarget.h"
#include "tools/render/RenderSignals.h"
#include "tools/render/TemporaryFile.h"

namespace {

// Written data is flushed to the disk in pieces of at least this size.
constexpr int64_t kFlushBytes = 1 << 20;

std::string lowerExtension(const std::string& path) {
    std::string::size_type slash = path.find_last_of('/');
    std::string::size_type dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

// The major format libsndfile registers for an extension (with two common spellings added).
bool majorFormatFor(const std::string& extension, int& format, std::string& name) {
    std::string wanted = extension;
    if (wanted == "aif") wanted = "aiff";
    if (wanted == "ogg") wanted = "oga";
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof(count));
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info{};
        info.format = i;
        sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof(info));
        if (info.extension != nullptr && wanted == info.extension) {
            // The first entry wins: plain RIFF WAV rather than NIST or WAVEX for ".wav".
            format = info.format;
            name = info.name != nullptr ? info.name : extension;
            std::string::size_type space = name.find(' ');
            if (space != std::string::npos) name = name.substr(0, space);
            return true;
        }
    }
    return false;
}

bool formatAccepted(int format, int channels, int sampleRate) {
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    return sf_format_check(&info) == SF_TRUE;
}

}  // namespace

OutputFile::~OutputFile() {
    if (!committed) discard();
}

int32_t OutputFile::toPcm(float sample, int bits, bool& clipped) {
    const double steps = bits == 16 ? 32768.0 : 8388608.0;
    double scaled = std::nearbyint(static_cast<double>(sample) * steps);
    clipped = false;
    if (scaled > steps - 1.0) {
        scaled = steps - 1.0;
        clipped = true;
    } else if (scaled < -steps) {
        scaled = -steps;
        clipped = true;
    }
    // Left-justified in 32 bits, which is how libsndfile takes integers of any width.
    return static_cast<int32_t>(scaled) * (bits == 16 ? 65536 : 256);
}

int64_t OutputFile::largestSize(int64_t frames, int channels) {
    const int64_t kHeaderRoom = 1 << 16;  // any header libsndfile writes, metadata included
    return frames * channels * 4 + kHeaderRoom;
}

sf_count_t OutputFile::sinkLength(void* user) {
    struct stat status;
    return fstat(static_cast<Sink*>(user)->descriptor, &status) == 0 ? status.st_size : -1;
}

sf_count_t OutputFile::sinkSeek(sf_count_t offset, int whence, void* user) {
    Sink& sink = *static_cast<Sink*>(user);
    const off_t at = lseek(sink.descriptor, offset, whence);
    if (at >= 0) sink.position = at;
    return at;
}

sf_count_t OutputFile::sinkRead(void* buffer, sf_count_t count, void* user) {
    Sink& sink = *static_cast<Sink*>(user);
    ssize_t got;
    do {
        got = ::read(sink.descriptor, buffer, static_cast<size_t>(count));
    } while (got < 0 && errno == EINTR);
    if (got > 0) sink.position += got;
    return got > 0 ? got : 0;
}

sf_count_t OutputFile::sinkWrite(const void* buffer, sf_count_t count, void* user) {
    Sink& sink = *static_cast<Sink*>(user);
    const char* bytes = static_cast<const char*>(buffer);
    sf_count_t done = 0;
    while (done < count) {
        const ssize_t wrote = ::write(sink.descriptor, bytes + done, static_cast<size_t>(count - done));
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            if (sink.firstErrno == 0) sink.firstErrno = wrote < 0 ? errno : ENOSPC;
            break;
        }
        done += wrote;
    }
    sink.position += done;
    sink.end = std::max(sink.end, sink.position);
    return done;
}

sf_count_t OutputFile::sinkTell(void* user) { return static_cast<Sink*>(user)->position; }

std::string OutputFile::failure(int errnoValue) const {
    return "cannot write " + targetPath + ": " + std::strerror(errnoValue);
}

bool OutputFile::open(const std::string& path, int channels, int sampleRate, int bits,
                      std::string& error, int64_t expectedFrames) {
    if (!OutputTarget::resolve(path, "", targetPath, error)) return false;
    channelCount = channels;
    framesWritten = 0;
    std::string extension = lowerExtension(path);
    int major = 0;
    if (extension.empty() || !majorFormatFor(extension, major, formatName)) {
        error = "cannot tell the output format from the name " + path +
                " (use an extension such as .wav, .flac, .ogg or .aiff)";
        return false;
    }
    int format = 0;
    if (major == SF_FORMAT_OGG) {
        if (bits != 0) {
            error = "OGG Vorbis output is lossy and has no bit depth: leave out --bits";
            return false;
        }
        format = major | SF_FORMAT_VORBIS;
        bitDepth = 0;
    } else if (bits == 0 && formatAccepted(major | SF_FORMAT_FLOAT, channels, sampleRate)) {
        format = major | SF_FORMAT_FLOAT;
        bitDepth = 0;
    } else {
        bitDepth = bits == 0 ? 24 : bits;
        format = major | (bitDepth == 16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24);
    }
    if (!formatAccepted(format, channels, sampleRate)) {
        error = formatName + " cannot hold " + std::to_string(channels) + " channel(s) at " +
                std::to_string(sampleRate) + " Hz in the requested sample format";
        return false;
    }
    // A 32-bit size would wrap, and readers would see a fraction of the audio.
    rf64 = false;
    if (largestSize(expectedFrames, channels) > kLargest32BitFile) {
        if (major == SF_FORMAT_WAV) {
            format = (format & ~SF_FORMAT_TYPEMASK) | SF_FORMAT_RF64;
            rf64 = true;
        } else if (major == SF_FORMAT_AIFF || major == SF_FORMAT_AU || major == SF_FORMAT_WAVEX) {
            error = "cannot write " + path + ": " + std::to_string(expectedFrames) + " frames of " +
                    std::to_string(channels) + " channel(s) pass the 4 GiB that " + formatName +
                    " can hold; use .wav (written as RF64), .w64, .caf or .flac";
            return false;
        }
    }

    descriptor = createTemporaryBeside(targetPath, "", ".ostraquelle-render-", temporaryName,
                                       error);
    if (descriptor < 0) return false;
    signalSlot = RenderSignals::addTemporaryFile(temporaryName.c_str());

    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    // The descriptor stays ours, so that commit can flush the file after libsndfile has
    // written its final header.
    sink = Sink();
    sink.descriptor = descriptor;
    static SF_VIRTUAL_IO io = {sinkLength, sinkSeek, sinkRead, sinkWrite, sinkTell};
    handle = sf_open_virtual(&io, SFM_WRITE, &info, &sink);
    if (handle == nullptr) {
        error = "cannot write " + path + ": " +
                (sink.firstErrno != 0 ? std::strerror(sink.firstErrno) : sf_strerror(nullptr));
        discard();
        return false;
    }
    flushRequestedTo = 0;
    flush.reset(new BackgroundFlush(descriptor));
    return true;
}

void OutputFile::requestFlush() {
    const off_t end = lseek(descriptor, 0, SEEK_CUR);
    if (end - flushRequestedTo < kFlushBytes) return;
    if (flush) flush->request();
    flushRequestedTo = end;
}

int OutputFile::stopFlushing() {
    const int error = flush ? flush->finish() : 0;
    flush.reset();
    return error;
}

bool OutputFile::write(const float* interleaved, int64_t frames, std::string& error) {
    const size_t count = static_cast<size_t>(frames) * static_cast<size_t>(channelCount);
    // On the samples' bit patterns, without branches, so that the compiler checks several
    // samples per instruction: with the sign cleared, a finite float's pattern is below the
    // infinity's and orders like its value, so the largest pattern is the exact peak.
    const int32_t kInfinity = 0x7f800000, kFullScale = 0x3f800000;  // patterns of inf and 1.0f
    int32_t peakBits = 0;
    int64_t beyondFullScale = 0, notFinite = 0;
    for (size_t i = 0; i < count; ++i) {
        uint32_t pattern;
        std::memcpy(&pattern, &interleaved[i], sizeof(pattern));
        const int32_t magnitude = static_cast<int32_t>(pattern & 0x7fffffffu);
        const int32_t finite = magnitude < kInfinity;
        const int32_t counted = finite ? magnitude : 0;
        notFinite += 1 - finite;
        peakBits = counted > peakBits ? counted : peakBits;
        beyondFullScale += counted > kFullScale;
    }
    float peak;
    std::memcpy(&peak, &peakBits, sizeof(peak));
    nonFiniteCount += notFinite;
    peakLevel = std::max(peakLevel, static_cast<double>(peak));
    if (bitDepth == 0) clippedCount += beyondFullScale;
    sf_count_t written;
    if (bitDepth == 0) {
        written = sf_writef_float(handle, interleaved, frames);
    } else {
        if (pcmBuffer.size() < count) pcmBuffer.resize(count);
        for (size_t i = 0; i < count; ++i) {
            float sample = std::isfinite(interleaved[i]) ? interleaved[i] : 0.0f;
            bool clipped = false;
            pcmBuffer[i] = toPcm(sample, bitDepth, clipped);
            if (clipped) ++clippedCount;
        }
        written = sf_writef_int(handle, pcmBuffer.data(), frames);
    }
    if (written != frames || sink.firstErrno != 0) {
        error = sink.firstErrno != 0 ? failure(sink.firstErrno)
                                     : "cannot write " + targetPath + ": " + sf_strerror(handle);
        return false;
    }
    framesWritten += frames;
    requestFlush();
    return true;
}

bool OutputFile::commit(std::string& error) {
    if (handle == nullptr) {
        error = "cannot write " + targetPath + ": the file is not open";
        return false;
    }
    if (framesWritten == 0) {
        // An encoder that never got a frame writes no header: a file no reader opens.
        error = "cannot write " + targetPath + ": the render holds no audio (0 frames)";
        discard();
        return false;
    }
    int closed = sf_close(handle);  // writes the final header and the encoder's last data
    handle = nullptr;
    struct stat written;
    const bool complete = fstat(descriptor, &written) == 0 && written.st_size >= sink.end;
    if (closed != 0 || sink.firstErrno != 0 || !complete) {
        error = sink.firstErrno != 0 ? failure(sink.firstErrno)
                : closed != 0       ? "cannot write " + targetPath + ": " + sf_error_number(closed)
                                    : "cannot write " + targetPath +
                                    ": the file on disk is shorter than what was written";
        discard();
        return false;
    }
    takeOverOwnerAndMode(descriptor, targetPath);
    // On disk, header included, before it takes the name: after a system crash the name holds
    // the previous file or the whole new one. Most of the data is there already, unless a
    // flush on the way failed. (EINVAL: a file system that has nothing to flush.)
    const int flushErrno = stopFlushing();
    const bool synced = (fsync(descriptor) == 0 || errno == EINVAL) && flushErrno == 0;
    const int syncErrno = flushErrno != 0 ? flushErrno : errno;
    const bool closedFile = close(descriptor) == 0;
    const int closeErrno = errno;
    descriptor = -1;
    if (!synced || !closedFile) {
        error =
            "cannot write " + targetPath + ": " + std::strerror(synced ? closeErrno : syncErrno);
        discard();
        return false;
    }
    if (std::rename(temporaryName.c_str(), targetPath.c_str()) != 0) {
        error = "cannot write " + targetPath + ": " + std::strerror(errno);
        discard();
        return false;
    }
    RenderSignals::removeTemporaryFile(signalSlot);
    signalSlot = -1;
    temporaryName.clear();
    committed = true;
    return true;
}

void OutputFile::discard() {
    stopFlushing();  // before the descriptor it flushes is closed
    if (handle != nullptr) {
        sf_close(handle);
        handle = nullptr;
    }
    if (descriptor >= 0) {
        close(descriptor);
        descriptor = -1;
    }
    if (!temporaryName.empty()) {
        RenderSignals::removeTemporaryFile(signalSlot);
        signalSlot = -1;
        unlink(temporaryName.c_str());
        temporaryName.clear();
    }
}

std::string OutputFile::description() const {
    std::string layout = channelCount == 1   ? "mono"
                         : channelCount == 2 ? "stereo"
                                             : std::to_string(channelCount) + "-channel";
    std::string sample = bitDepth == 0 ? (formatName == "OGG" ? "Vorbis" : "32-bit float")
                                       : std::to_string(bitDepth) + "-bit";
    return layout + " " + sample + " " + (rf64 ? "RF64 (a WAV would pass 4 GiB)" : formatName);
}
