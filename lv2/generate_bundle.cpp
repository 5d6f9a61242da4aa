// Build-time generator of the bundle's Turtle files, and the port values of normalised
// values for scripts that drive an LV2 host as ostraquelle-render is driven:
//   ostraquelle-lv2-ttl [--factory-bank FILE.fxb] <bundle folder> <binary file name> [<UI binary>]
//   ostraquelle-lv2-ttl --port-values NAME=VALUE...
// With a bank, its programs become the factory presets (factory.ttl) beside the built-in ones.
// The second prints one line "symbol value exact|near control" for each: "exact" when the port
// value brings back the normalised value bit for bit, control the port's place among the
// control ports (from 0), as hosts such as Ardour number them.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/VocoderCore.h"
#include "lv2/BundleText.h"
#include "lv2/PortMap.h"
#include "lv2/PortUnits.h"
#include "presetfile/PresetFile.h"

namespace {

bool writeFile(const std::string& path, void (*write)(std::ostream&)) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    write(out);
    out.flush();
    if (!out) std::fprintf(stderr, "ostraquelle-lv2-ttl: cannot write %s\n", path.c_str());
    return static_cast<bool>(out);
}

const char* binaryName = nullptr;
const char* uiBinaryName = nullptr;
std::vector<FactoryPreset> factoryPresets;
void manifest(std::ostream& out) {
    writeManifest(out, binaryName, uiBinaryName, static_cast<int>(factoryPresets.size()));
}
void factory(std::ostream& out) { writeFactoryPresets(out, factoryPresets); }

// The bank as the plug-in would load it: made for it, with all of its parameters and programs.
// Answers what is wrong with it, or nothing.
std::string bankError(const char* path, PresetContents& bank) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return "cannot be opened";
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    const PresetExpectation expected{VocoderCore::kUniqueId, kParameterCount,
                                     VocoderCore::kProgramCount};
    std::string error;
    if (!PresetFile::parse(bytes.data(), bytes.size(), expected, bank, error)) return error;
    if (bank.kind != PresetContents::Kind::Bank) return "holds one program, not a bank";
    return "";
}

bool readFactoryBank(const char* path) {
    PresetContents bank;
    const std::string error = bankError(path, bank);
    if (!error.empty()) {
        std::fprintf(stderr, "ostraquelle-lv2-ttl: %s: %s\n", path, error.c_str());
        return false;
    }
    for (const PresetProgram& program : bank.programs)
        factoryPresets.push_back({program.name, program.values});
    return true;
}

const ParameterInfo* parameterNamed(const std::string& name) {
    for (int32_t slot = 0; slot < kParameterSlots; ++slot)
        if (name == slotInfo(slot).name) return &slotInfo(slot);
    return nullptr;
}

int printPortValues(int count, char** settings) {
    for (int i = 0; i < count; ++i) {
        const char* equals = std::strrchr(settings[i], '=');
        const ParameterInfo* info =
            equals ? parameterNamed(std::string(settings[i], static_cast<size_t>(equals - settings[i])))
                   : nullptr;
        char* end = nullptr;
        const float x = equals ? std::strtof(equals + 1, &end) : 0.0f;
        if (!info || end == equals + 1 || *end != '\0' || !(x >= 0.0f && x <= 1.0f)) {
            std::fprintf(stderr, "ostraquelle-lv2-ttl: '%s' is no NAME=VALUE with VALUE 0..1\n",
                         settings[i]);
            return 2;
        }
        const float value = normalisedToPortValue(*info, x);
        std::printf("%s %.9g %s %d\n", portSymbol(info->name).c_str(), static_cast<double>(value),
                    portValueToNormalised(*info, value) == x ? "exact" : "near",
                    static_cast<int>(parameterSlot(info->index)));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--port-values") == 0)
        return printPortValues(argc - 2, argv + 2);
    const char* bank = nullptr;
    if (argc >= 3 && std::strcmp(argv[1], "--factory-bank") == 0) {
        bank = argv[2];
        argc -= 2;
        argv += 2;
    }
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr,
                     "usage: ostraquelle-lv2-ttl [--factory-bank FILE.fxb] <bundle folder> "
                     "<binary file name> [<UI binary>]\n"
                     "       ostraquelle-lv2-ttl --port-values NAME=VALUE...\n");
        return 2;
    }
    if (bank && !readFactoryBank(bank)) return 1;
    const std::string folder = argv[1];
    binaryName = argv[2];
    if (argc == 4) uiBinaryName = argv[3];
    const bool written = writeFile(folder + "/manifest.ttl", manifest) &&
                         writeFile(folder + "/" + kDescriptionFile, writePluginDescriptions) &&
                         writeFile(folder + "/" + kPresetFile, writePresets) &&
                         (!bank || writeFile(folder + "/" + kFactoryPresetFile, factory));
    return written ? 0 : 1;
}
