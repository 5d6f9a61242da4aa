#pragma once
// Shared helpers of the renderer tests: scratch directories, small audio files, and running
// ostraquelle-render as a separate program the way a user does.

#ifndef _WIN32

#include <functional>
#include <string>
#include <vector>

namespace rendertest {

// A fresh directory under the system's temporary directory, removed with its files at the end.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    const std::string& path() const { return root; }
    std::string file(const std::string& name) const { return root + "/" + name; }
    // Names of the files in it (hidden ones included), sorted.
    std::vector<std::string> list() const;

private:
    std::string root;
};

// Writes interleaved float samples; the format follows the extension (WAV float by default,
// 16-bit PCM when bits is 16).
void writeAudio(const std::string& path, const std::vector<float>& interleaved, int channels,
                int sampleRate, int bits = 0);

struct Audio {
    std::vector<float> samples;  // interleaved
    int channels = 0;
    int sampleRate = 0;
    long long frames = 0;
};
Audio readAudio(const std::string& path);

// A deterministic test signal: a sum of two sines plus noise from a fixed seed.
std::vector<float> testSignal(int frames, double frequency, unsigned seed);

// A carrier and a modulator of 0.5 s each (44.1 kHz mono float) in a scratch directory.
struct Material {
    ScratchDirectory dir;
    std::string carrier = dir.file("carrier.wav");
    std::string modulator = dir.file("modulator.wav");
    Material();
    // --carrier, --modulator and -q, then `extra`.
    std::vector<std::string> pair(const std::vector<std::string>& extra) const;
};

// A file's bytes; writes text as a whole file.
std::string contents(const std::string& path);
void writeText(const std::string& path, const std::string& text);

struct RunResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};
// Runs the built ostraquelle-render with the arguments.
RunResult runRenderer(const std::vector<std::string>& arguments);
// The same with `inChild` run in the child process before the program starts (limits, signals).
RunResult runRenderer(const std::vector<std::string>& arguments,
                      const std::function<void()>& inChild);
// Starts the renderer without waiting, its stderr into `errPath`; answers its process id.
int startRenderer(const std::vector<std::string>& arguments, const std::string& errPath);
// Waits up to `seconds` for the process; answers its exit status (or 128 + signal), or -1
// after killing it when it did not end in time.
int waitForRenderer(int pid, double seconds);
// The same with stderr on a pseudo-terminal, as in an interactive shell. With a directory
// given, sends SIGINT (Ctrl-C) as soon as a hidden temporary file appears in it, that is, once
// the render is under way.
RunResult runRendererOnTerminal(const std::vector<std::string>& arguments,
                                const std::string& interruptWhenWritingIn = "");

std::string pluginPath();       // the built Ostraquelle.so
std::string buildDirectory();   // where the plug-in and the tools are
std::string sourceDirectory();  // the repository
bool fileExists(const std::string& path);

}  // namespace rendertest

#endif
