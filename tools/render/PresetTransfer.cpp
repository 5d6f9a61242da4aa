#include "tools/render/PresetTransfer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/render/OutputTarget.h"
#include "tools/render/ParameterAssignment.h"
#include "tools/render/PluginHost.h"
#include "tools/render/TemporaryFile.h"

namespace {

// Far above any preset of a plug-in with a few hundred parameters; a larger file is refused
// before it is read into memory.
constexpr off_t kLargestReadable = 16 * 1024 * 1024;

// Hosts hand program names of up to 24 bytes with the terminator.
constexpr size_t kHostNameLength = 23;

bool readWhole(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        error = "cannot open preset " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat status;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        error = "cannot read preset " + path + ": not a regular file";
        close(descriptor);
        return false;
    }
    if (status.st_size > kLargestReadable) {
        error = "preset " + path + " is too long: " + std::to_string(status.st_size) +
                " bytes, far more than any preset file holds";
        close(descriptor);
        return false;
    }
    bytes.resize(static_cast<size_t>(status.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t got = ::read(descriptor, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // the file shrank while being read: parse what arrived
        done += static_cast<size_t>(got);
    }
    bytes.resize(done);
    close(descriptor);
    return true;
}

bool dispatchText(PluginHost& host, int32_t opcode, const std::string& text) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    AEffect* effect = host.effect();
    return effect->dispatcher(effect, opcode, 0, 0, buffer.data(), 0.0f) != 0;
}

}  // namespace

PresetExpectation PresetTransfer::expectationOf(PluginHost& host) {
    PresetExpectation expected;
    expected.pluginId = host.effect()->uniqueID;
    expected.numParams = host.numParams();
    expected.numPrograms = host.numPrograms();
    return expected;
}

bool PresetTransfer::read(const std::string& path, const PresetExpectation& expected,
                          PresetContents& contents, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!readWhole(path, bytes, error)) return false;
    std::string reason;
    if (!PresetFile::parse(bytes.data(), bytes.size(), expected, contents, reason)) {
        error = "preset " + path + " " + reason;
        return false;
    }
    return true;
}

void PresetTransfer::applyProgram(PluginHost& host, const PresetProgram& program) {
    dispatchText(host, effSetProgramName, program.name.substr(0, kHostNameLength));
    for (size_t index = 0; index < program.values.size(); ++index) {
        host.setParameter(static_cast<int>(index), program.values[index]);
    }
}

void PresetTransfer::applyBank(PluginHost& host, const PresetContents& bank) {
    for (size_t p = 0; p < bank.programs.size(); ++p) {
        host.setProgram(static_cast<int>(p));
        applyProgram(host, bank.programs[p]);
    }
    host.setProgram(bank.currentProgram >= 0 ? bank.currentProgram : 0);
}

PresetTransfer::Applied PresetTransfer::applyOptions(PluginHost& host,
                                                     const RenderOptions& options,
                                                     std::string& error) {
    PresetContents preset;
    if (!options.presetPath.empty() &&
        !read(options.presetPath, expectationOf(host), preset, error)) {
        return Applied::BadFile;
    }
    bool bank = !options.presetPath.empty() && preset.kind == PresetContents::Kind::Bank;
    if (bank) applyBank(host, preset);
    if (!ParameterAssignment::apply(host, options.program, {}, error)) {
        return Applied::BadCommandLine;
    }
    if (!options.presetPath.empty() && !bank) applyProgram(host, preset.programs[0]);
    return ParameterAssignment::apply(host, -1, options.settings, error) ? Applied::Yes
                                                                         : Applied::BadCommandLine;
}

PresetProgram PresetTransfer::captureProgram(PluginHost& host) {
    PresetProgram program;
    program.name = host.programName();
    for (int index = 0; index < host.numParams(); ++index) {
        program.values.push_back(host.parameter(index));
    }
    return program;
}

std::vector<PresetProgram> PresetTransfer::captureBank(PluginHost& host) {
    std::vector<PresetProgram> programs;
    int current = host.program();
    for (int p = 0; p < host.numPrograms(); ++p) {
        host.setProgram(p);
        programs.push_back(captureProgram(host));
    }
    host.setProgram(current);
    return programs;
}

bool PresetTransfer::prepareSaves(PluginHost& host, const RenderOptions& options,
                                  const std::vector<std::string>& inputs,
                                  std::vector<PendingFile>& pending, std::string& error) {
    const int32_t id = host.effect()->uniqueID;
    const int32_t version = host.effect()->version;
    struct Save {
        const std::string& path;
        bool bank;
    };
    for (const Save& save : {Save{options.savePresetPath, false}, Save{options.saveBankPath, true}}) {
        if (save.path.empty()) continue;
        if (!OutputTarget::checkNotAnInput(save.path, inputs, "preset ", error)) break;
        const std::vector<uint8_t> bytes =
            save.bank ? PresetFile::writeBank(id, version, host.program(), captureBank(host))
                      : PresetFile::writeProgram(id, version, captureProgram(host));
        PendingFile file;
        if (!prepareFile(save.path, bytes, file, error)) break;
        pending.push_back(file);
    }
    if (!error.empty()) {
        abandonSaves(pending);
        return false;
    }
    return true;
}

bool PresetTransfer::finishSaves(std::vector<PendingFile>& pending, std::string& error) {
    for (size_t i = 0; i < pending.size(); ++i) {
        if (std::rename(pending[i].temporary.c_str(), pending[i].target.c_str()) != 0) {
            error = "cannot write preset " + pending[i].target + ": " + std::strerror(errno);
            for (size_t rest = i; rest < pending.size(); ++rest) {
                unlink(pending[rest].temporary.c_str());
            }
            pending.clear();
            return false;
        }
    }
    pending.clear();
    return true;
}

void PresetTransfer::abandonSaves(std::vector<PendingFile>& pending) {
    for (const PendingFile& file : pending) unlink(file.temporary.c_str());
    pending.clear();
}

bool PresetTransfer::prepareFile(const std::string& path, const std::vector<uint8_t>& bytes,
                                 PendingFile& pending, std::string& error) {
    std::string target;
    if (!OutputTarget::resolve(path, "preset ", target, error)) return false;
    std::string temporary;
    int descriptor =
        createTemporaryBeside(target, "preset ", ".ostraquelle-preset-", temporary, error);
    if (descriptor < 0) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t wrote = ::write(descriptor, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) break;
        done += static_cast<size_t>(wrote);
    }
    int savedErrno = errno;
    takeOverOwnerAndMode(descriptor, target);
    bool closed = close(descriptor) == 0;
    if (done != bytes.size() || !closed) {
        error = "cannot write preset " + path + ": " +
                std::strerror(done != bytes.size() ? savedErrno : errno);
        unlink(temporary.c_str());
        return false;
    }
    pending.temporary = temporary;
    pending.target = target;
    return true;
}
