#pragma once
// The preset files VST 2.x hosts save for a plug-in without chunks: a single program (.fxp,
// kind 'FxCk') or a bank of all programs (.fxb, kind 'FxBk'). Every field is big-endian:
//
//   program: 'CcnK', byteSize, 'FxCk', format version, plug-in id, plug-in version,
//            numParams, name[28], numParams floats
//   bank:    'CcnK', byteSize, 'FxBk', format version, plug-in id, plug-in version,
//            numPrograms, future[128] (version 2: current program + 124 zero bytes),
//            numPrograms program records as above
//
// byteSize counts the bytes after itself. This file knows only bytes; the renderer moves the
// contents between a file and a loaded plug-in, the LV2 bundle's generator makes presets of them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PresetProgram {
    std::string name;  // at most 28 bytes in a file; hosts keep 24 with the terminator
    std::vector<float> values;
};

struct PresetContents {
    enum class Kind { Program, Bank };
    Kind kind = Kind::Program;
    int32_t formatVersion = 1;
    int32_t pluginId = 0;
    int32_t pluginVersion = 0;
    int32_t currentProgram = -1;          // a version-2 bank's current program; -1 when not stored
    std::vector<PresetProgram> programs;  // one for a program file
};

// What the loaded plug-in accepts: its id and counts.
struct PresetExpectation {
    int32_t pluginId = 0;
    int numParams = 0;
    int numPrograms = 0;
};

class PresetFile {
public:
    static constexpr size_t kProgramHeaderSize = 56;  // 7 fields of 4 bytes + 28-byte name
    static constexpr size_t kBankHeaderSize = 156;    // 7 fields of 4 bytes + 128 bytes
    static constexpr size_t kNameSize = 28;

    // Reads a program or a bank made for the expected plug-in. On anything else answers false
    // with one sentence naming what is wrong; it never reads outside [data, data + size).
    static bool parse(const uint8_t* data, size_t size, const PresetExpectation& expected,
                      PresetContents& contents, std::string& error);

    // The bytes of one program file (format version 1).
    static std::vector<uint8_t> writeProgram(int32_t pluginId, int32_t pluginVersion,
                                             const PresetProgram& program);
    // The bytes of a bank file (format version 2, which keeps the current program).
    static std::vector<uint8_t> writeBank(int32_t pluginId, int32_t pluginVersion,
                                          int32_t currentProgram,
                                          const std::vector<PresetProgram>& programs);

    // "0x6C51734F ('lQsO')": an id as hex and as the four characters a file shows.
    static std::string describeId(int32_t id);
};
