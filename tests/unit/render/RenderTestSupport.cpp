#ifndef _WIN32

#include "RenderTestSupport.h"

#include <dirent.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace rendertest {

ScratchDirectory::ScratchDirectory() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/render-test-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root = name.data();
}

ScratchDirectory::~ScratchDirectory() {
    for (const std::string& name : list()) unlink(file(name).c_str());
    rmdir(root.c_str());
}

std::vector<std::string> ScratchDirectory::list() const {
    std::vector<std::string> names;
    DIR* directory = opendir(root.c_str());
    if (directory == nullptr) return names;
    while (dirent* entry = readdir(directory)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(directory);
    std::sort(names.begin(), names.end());
    return names;
}

void writeAudio(const std::string& path, const std::vector<float>& interleaved, int channels,
                int sampleRate, int bits) {
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = sampleRate;
    info.format = SF_FORMAT_WAV | (bits == 16 ? SF_FORMAT_PCM_16 : SF_FORMAT_FLOAT);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) throw std::runtime_error("cannot write " + path);
    sf_writef_float(file, interleaved.data(),
                    static_cast<sf_count_t>(interleaved.size()) / channels);
    sf_close(file);
}

Audio readAudio(const std::string& path) {
    Audio audio;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) throw std::runtime_error("cannot read " + path);
    audio.channels = info.channels;
    audio.sampleRate = info.samplerate;
    audio.frames = info.frames;
    audio.samples.resize(static_cast<size_t>(info.frames * info.channels));
    sf_readf_float(file, audio.samples.data(), info.frames);
    sf_close(file);
    return audio;
}

std::vector<float> testSignal(int frames, double frequency, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> noise(-0.05f, 0.05f);
    std::vector<float> samples(static_cast<size_t>(frames));
    const double pi = std::acos(-1.0);
    for (int i = 0; i < frames; ++i) {
        double t = i / 44100.0;
        samples[static_cast<size_t>(i)] =
            static_cast<float>(0.4 * std::sin(2 * pi * frequency * t) +
                               0.2 * std::sin(2 * pi * 2.7 * frequency * t)) +
            noise(random);
    }
    return samples;
}

namespace {

std::string slurp(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

[[noreturn]] void execRenderer(const std::vector<std::string>& arguments) {
    std::string program = buildDirectory() + "/ostraquelle-render";
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

int exitStatus(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool hasHiddenFile(const std::string& directory) {
    DIR* listing = opendir(directory.c_str());
    if (listing == nullptr) return false;
    bool found = false;
    while (dirent* entry = readdir(listing)) {
        std::string name = entry->d_name;
        if (name.size() > 2 && name[0] == '.') found = true;
    }
    closedir(listing);
    return found;
}

}  // namespace

Material::Material() {
    writeAudio(carrier, testSignal(22050, 110.0, 1), 1, 44100);
    writeAudio(modulator, testSignal(22050, 300.0, 2), 1, 44100);
}

std::vector<std::string> Material::pair(const std::vector<std::string>& extra) const {
    std::vector<std::string> arguments = {"--carrier", carrier, "--modulator", modulator, "-q"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return arguments;
}

std::string contents(const std::string& path) { return slurp(path); }

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

RunResult runRenderer(const std::vector<std::string>& arguments) {
    return runRenderer(arguments, [] {});
}

RunResult runRenderer(const std::vector<std::string>& arguments,
                      const std::function<void()>& inChild) {
    ScratchDirectory logs;
    std::string outPath = logs.file("out.txt");
    std::string errPath = logs.file("err.txt");
    pid_t child = fork();
    if (child == 0) {
        if (!freopen(outPath.c_str(), "w", stdout) || !freopen(errPath.c_str(), "w", stderr)) {
            _exit(126);
        }
        inChild();
        execRenderer(arguments);
    }
    int status = 0;
    waitpid(child, &status, 0);
    RunResult run;
    run.status = exitStatus(status);
    run.out = slurp(outPath);
    run.err = slurp(errPath);
    return run;
}

int startRenderer(const std::vector<std::string>& arguments, const std::string& errPath) {
    pid_t child = fork();
    if (child == 0) {
        if (!freopen("/dev/null", "w", stdout) || !freopen(errPath.c_str(), "w", stderr)) {
            _exit(126);
        }
        execRenderer(arguments);
    }
    return child;
}

int waitForRenderer(int pid, double seconds) {
    int status = 0;
    for (double waited = 0.0; waited < seconds; waited += 0.01) {
        if (waitpid(pid, &status, WNOHANG) == pid) return exitStatus(status);
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

RunResult runRendererOnTerminal(const std::vector<std::string>& arguments,
                                const std::string& interruptWhenWritingIn) {
    ScratchDirectory logs;
    std::string outPath = logs.file("out.txt");
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    pid_t child = fork();
    if (child == 0) {
        close(master);
        if (!freopen(outPath.c_str(), "w", stdout) || dup2(slave, STDERR_FILENO) < 0) _exit(126);
        close(slave);
        execRenderer(arguments);
    }
    close(slave);
    RunResult run;
    bool interrupted = false;
    int status = 0;
    // Keep reading the terminal while the program runs, or its writes would block.
    for (;;) {
        pollfd terminal{master, POLLIN, 0};
        if (poll(&terminal, 1, 5) > 0) {
            char buffer[4096];
            ssize_t got = read(master, buffer, sizeof(buffer));
            if (got > 0) run.err.append(buffer, static_cast<size_t>(got));
        }
        if (!interruptWhenWritingIn.empty() && !interrupted &&
            hasHiddenFile(interruptWhenWritingIn)) {
            kill(child, SIGINT);
            interrupted = true;
        }
        if (waitpid(child, &status, WNOHANG) == child) break;
    }
    for (;;) {
        char buffer[4096];
        pollfd terminal{master, POLLIN, 0};
        if (poll(&terminal, 1, 0) <= 0) break;
        ssize_t got = read(master, buffer, sizeof(buffer));
        if (got <= 0) break;
        run.err.append(buffer, static_cast<size_t>(got));
    }
    close(master);
    run.status = exitStatus(status);
    run.out = slurp(outPath);
    return run;
}

std::string pluginPath() {
    const char* path = std::getenv("OSTRAQUELLE_PLUGIN");
    return path != nullptr ? path : "";
}

std::string buildDirectory() {
    std::string plugin = pluginPath();
    std::string::size_type slash = plugin.find_last_of('/');
    return slash == std::string::npos ? "." : plugin.substr(0, slash);
}

std::string sourceDirectory() {
    const char* path = std::getenv("OSTRAQUELLE_SOURCE_DIR");
    return path != nullptr ? path : ".";
}

bool fileExists(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

}  // namespace rendertest

#endif
