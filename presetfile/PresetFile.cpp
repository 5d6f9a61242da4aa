#include "presetfile/PresetFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t fourCharacters(const char (&text)[5]) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(text[0])) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 8) |
           static_cast<uint32_t>(static_cast<uint8_t>(text[3]));
}

constexpr uint32_t kChunkMagic = fourCharacters("CcnK");
constexpr uint32_t kProgramKind = fourCharacters("FxCk");
constexpr uint32_t kBankKind = fourCharacters("FxBk");
constexpr uint32_t kOpaqueProgramKind = fourCharacters("FPCh");
constexpr uint32_t kOpaqueBankKind = fourCharacters("FBCh");

// Field offsets shared by both kinds.
constexpr size_t kMagicAt = 0, kByteSizeAt = 4, kKindAt = 8, kFormatVersionAt = 12, kIdAt = 16,
                 kPluginVersionAt = 20, kCountAt = 24, kNameAt = 28, kCurrentProgramAt = 28;

// Callers check the bounds first; each read stays inside them.
uint32_t readWord(const uint8_t* at) {
    return (static_cast<uint32_t>(at[0]) << 24) | (static_cast<uint32_t>(at[1]) << 16) |
           (static_cast<uint32_t>(at[2]) << 8) | static_cast<uint32_t>(at[3]);
}

void appendWord(std::vector<uint8_t>& bytes, uint32_t word) {
    bytes.push_back(static_cast<uint8_t>(word >> 24));
    bytes.push_back(static_cast<uint8_t>(word >> 16));
    bytes.push_back(static_cast<uint8_t>(word >> 8));
    bytes.push_back(static_cast<uint8_t>(word));
}

void appendFloat(std::vector<uint8_t>& bytes, float value) {
    uint32_t word;
    std::memcpy(&word, &value, sizeof(word));
    appendWord(bytes, word);
}

// Four bytes as text when they are printable, as the hex of each byte otherwise.
std::string quoteWord(uint32_t word) {
    char text[5];
    bool printable = true;
    for (int i = 0; i < 4; ++i) {
        text[i] = static_cast<char>((word >> (24 - 8 * i)) & 0xFF);
        if (text[i] < 0x20 || text[i] > 0x7E) printable = false;
    }
    text[4] = '\0';
    if (printable) return std::string("'") + text + "'";
    char hex[16];
    std::snprintf(hex, sizeof(hex), "0x%08X", static_cast<unsigned>(word));
    return hex;
}

std::string number(long long value) { return std::to_string(value); }

size_t programRecordSize(int numParams) {
    return PresetFile::kProgramHeaderSize + 4 * static_cast<size_t>(numParams);
}

// Compares a file's length with the length its counts prescribe and with its own byteSize.
bool checkLength(size_t size, size_t expected, uint32_t byteSize, const std::string& what,
                 std::string& error) {
    if (size < expected) {
        error = "is truncated: " + number(static_cast<long long>(size)) + " bytes of the " +
                number(static_cast<long long>(expected)) + " that " + what + " takes";
        return false;
    }
    if (size > expected) {
        error = "is too long: " + number(static_cast<long long>(size)) + " bytes where " + what +
                " takes " + number(static_cast<long long>(expected)) + " (" +
                number(static_cast<long long>(size - expected)) + " extra bytes at the end)";
        return false;
    }
    if (byteSize != expected - 8) {
        error = "is damaged: its header counts " + number(byteSize) +
                " bytes after the size field, but " + what + " has " +
                number(static_cast<long long>(expected - 8));
        return false;
    }
    return true;
}

bool checkId(uint32_t id, const PresetExpectation& expected, std::string& error) {
    if (static_cast<int32_t>(id) == expected.pluginId) return true;
    error = "is a preset of another plug-in: its plug-in id is " +
            PresetFile::describeId(static_cast<int32_t>(id)) + ", the loaded plug-in's is " +
            PresetFile::describeId(expected.pluginId);
    return false;
}

// One program record at `at`, of exactly programRecordSize(expected.numParams) bytes (the
// caller has checked), inside a bank or as a whole file.
bool parseProgramRecord(const uint8_t* at, const PresetExpectation& expected,
                        PresetProgram& program, std::string& error) {
    if (readWord(at + kMagicAt) != kChunkMagic) {
        error = "does not start with 'CcnK' but " + quoteWord(readWord(at + kMagicAt));
        return false;
    }
    uint32_t kind = readWord(at + kKindAt);
    if (kind != kProgramKind) {
        error = "is of kind " + quoteWord(kind) + " instead of 'FxCk'";
        return false;
    }
    if (readWord(at + kByteSizeAt) != programRecordSize(expected.numParams) - 8) {
        error = "has the byte size " + number(readWord(at + kByteSizeAt)) + " instead of " +
                number(static_cast<long long>(programRecordSize(expected.numParams) - 8));
        return false;
    }
    if (readWord(at + kFormatVersionAt) != 1) {
        error = "has the format version " +
                number(static_cast<int32_t>(readWord(at + kFormatVersionAt))) +
                "; program records have version 1";
        return false;
    }
    if (!checkId(readWord(at + kIdAt), expected, error)) return false;
    int32_t numParams = static_cast<int32_t>(readWord(at + kCountAt));
    if (numParams != expected.numParams) {
        error = "holds " + number(numParams) + " parameters, but the plug-in has " +
                number(expected.numParams);
        return false;
    }
    const char* name = reinterpret_cast<const char*>(at + kNameAt);
    program.name.assign(name, strnlen(name, PresetFile::kNameSize));
    program.values.resize(static_cast<size_t>(numParams));
    for (int i = 0; i < numParams; ++i) {
        uint32_t word = readWord(at + PresetFile::kProgramHeaderSize + 4 * static_cast<size_t>(i));
        float value;
        std::memcpy(&value, &word, sizeof(value));
        // A host keeps normalised values; anything else would drive the plug-in outside the
        // range its mappings are made for (a NaN order cannot even be converted to taps).
        if (!(value >= 0.0f && value <= 1.0f)) {
            char text[64];
            std::snprintf(text, sizeof(text), "%g", static_cast<double>(value));
            error = "gives parameter " + number(i) + " the value " + text +
                    ", outside the normalised range 0 to 1";
            return false;
        }
        program.values[static_cast<size_t>(i)] = value;
    }
    return true;
}

}  // namespace

std::string PresetFile::describeId(int32_t id) {
    char hex[16];
    std::snprintf(hex, sizeof(hex), "0x%08X", static_cast<unsigned>(static_cast<uint32_t>(id)));
    std::string quoted = quoteWord(static_cast<uint32_t>(id));
    return quoted[0] == '\'' ? std::string(hex) + " (" + quoted + ")" : std::string(hex);
}

bool PresetFile::parse(const uint8_t* data, size_t size, const PresetExpectation& expected,
                       PresetContents& contents, std::string& error) {
    contents = PresetContents();
    if (size == 0) {
        error = "is empty (0 bytes)";
        return false;
    }
    if (size < 4) {
        error = "is truncated: " + number(static_cast<long long>(size)) +
                " bytes, too short to be a preset file";
        return false;
    }
    uint32_t magic = readWord(data + kMagicAt);
    if (magic != kChunkMagic) {
        error =
            "is not a VST preset file: it starts with " + quoteWord(magic) + " instead of 'CcnK'";
        return false;
    }
    if (size < kKindAt + 4) {
        error = "is truncated: " + number(static_cast<long long>(size)) +
                " bytes end before the kind of preset";
        return false;
    }
    uint32_t kind = readWord(data + kKindAt);
    if (kind == kOpaqueProgramKind || kind == kOpaqueBankKind) {
        error = "holds an opaque chunk (kind " + quoteWord(kind) +
                ") that only the plug-in that wrote it can read; this plug-in's presets are "
                "parameter lists ('FxCk' or 'FxBk')";
        return false;
    }
    if (kind != kProgramKind && kind != kBankKind) {
        error = "is of an unknown kind " + quoteWord(kind) +
                ": expected 'FxCk' (a program) or 'FxBk' (a bank)";
        return false;
    }
    bool bank = kind == kBankKind;
    size_t headerSize = bank ? kBankHeaderSize : kProgramHeaderSize;
    if (size < headerSize) {
        error = "is truncated: " + number(static_cast<long long>(size)) +
                " bytes, shorter than the " + number(static_cast<long long>(headerSize)) +
                "-byte header of a " + (bank ? "bank" : "program");
        return false;
    }
    int32_t formatVersion = static_cast<int32_t>(readWord(data + kFormatVersionAt));
    if (formatVersion != 1 && !(bank && formatVersion == 2)) {
        error = "has the format version " + number(formatVersion) + "; " +
                (bank ? "banks have version 1 or 2" : "programs have version 1");
        return false;
    }
    if (!checkId(readWord(data + kIdAt), expected, error)) return false;
    int32_t count = static_cast<int32_t>(readWord(data + kCountAt));
    uint32_t byteSize = readWord(data + kByteSizeAt);

    contents.kind = bank ? PresetContents::Kind::Bank : PresetContents::Kind::Program;
    contents.formatVersion = formatVersion;
    contents.pluginId = expected.pluginId;
    contents.pluginVersion = static_cast<int32_t>(readWord(data + kPluginVersionAt));

    if (!bank) {
        if (count != expected.numParams) {
            error = "holds " + number(count) + " parameters, but the plug-in has " +
                    number(expected.numParams);
            return false;
        }
        size_t expectedSize = programRecordSize(expected.numParams);
        if (!checkLength(size, expectedSize, byteSize,
                         "a program of " + number(expected.numParams) + " parameters", error)) {
            return false;
        }
        contents.programs.resize(1);
        return parseProgramRecord(data, expected, contents.programs[0], error);
    }

    if (count != expected.numPrograms) {
        error = "holds " + number(count) + " programs, but the plug-in has " +
                number(expected.numPrograms);
        return false;
    }
    // A bank of another parameter count has the wrong length too; its first program's count
    // says why, which "truncated" or "too long" would not.
    if (size >= kBankHeaderSize + PresetFile::kProgramHeaderSize) {
        int32_t recordCount = static_cast<int32_t>(readWord(data + kBankHeaderSize + kCountAt));
        if (recordCount != expected.numParams) {
            error = "holds programs of " + number(recordCount) + " parameters, but the plug-in has " +
                    number(expected.numParams);
            return false;
        }
    }
    size_t recordSize = programRecordSize(expected.numParams);
    size_t expectedSize = kBankHeaderSize + static_cast<size_t>(count) * recordSize;
    if (!checkLength(size, expectedSize, byteSize,
                     "a bank of " + number(count) + " programs of " + number(expected.numParams) +
                         " parameters",
                     error)) {
        return false;
    }
    if (formatVersion == 2) {
        int32_t current = static_cast<int32_t>(readWord(data + kCurrentProgramAt));
        if (current < 0 || current >= count) {
            error = "names " + number(current) + " as its current program; the bank has 0 to " +
                    number(count - 1);
            return false;
        }
        contents.currentProgram = current;
    }
    contents.programs.resize(static_cast<size_t>(count));
    for (int32_t p = 0; p < count; ++p) {
        std::string recordError;
        if (!parseProgramRecord(data + kBankHeaderSize + static_cast<size_t>(p) * recordSize,
                                expected, contents.programs[static_cast<size_t>(p)], recordError)) {
            error = "is damaged: program " + number(p) + " of the bank " + recordError;
            return false;
        }
    }
    return true;
}

std::vector<uint8_t> PresetFile::writeProgram(int32_t pluginId, int32_t pluginVersion,
                                              const PresetProgram& program) {
    std::vector<uint8_t> bytes;
    bytes.reserve(programRecordSize(static_cast<int>(program.values.size())));
    appendWord(bytes, kChunkMagic);
    appendWord(bytes, static_cast<uint32_t>(
                          programRecordSize(static_cast<int>(program.values.size())) - 8));
    appendWord(bytes, kProgramKind);
    appendWord(bytes, 1);
    appendWord(bytes, static_cast<uint32_t>(pluginId));
    appendWord(bytes, static_cast<uint32_t>(pluginVersion));
    appendWord(bytes, static_cast<uint32_t>(program.values.size()));
    // At most 27 characters, so that readers which expect a terminator find one.
    size_t nameLength = std::min(program.name.size(), kNameSize - 1);
    bytes.insert(bytes.end(), program.name.begin(),
                 program.name.begin() + static_cast<long>(nameLength));
    bytes.insert(bytes.end(), kNameSize - nameLength, 0);
    for (float value : program.values) appendFloat(bytes, value);
    return bytes;
}

std::vector<uint8_t> PresetFile::writeBank(int32_t pluginId, int32_t pluginVersion,
                                           int32_t currentProgram,
                                           const std::vector<PresetProgram>& programs) {
    size_t recordSize =
        programs.empty() ? 0 : programRecordSize(static_cast<int>(programs[0].values.size()));
    std::vector<uint8_t> bytes;
    bytes.reserve(kBankHeaderSize + programs.size() * recordSize);
    appendWord(bytes, kChunkMagic);
    appendWord(bytes, static_cast<uint32_t>(kBankHeaderSize + programs.size() * recordSize - 8));
    appendWord(bytes, kBankKind);
    appendWord(bytes, 2);
    appendWord(bytes, static_cast<uint32_t>(pluginId));
    appendWord(bytes, static_cast<uint32_t>(pluginVersion));
    appendWord(bytes, static_cast<uint32_t>(programs.size()));
    appendWord(bytes, static_cast<uint32_t>(currentProgram));
    bytes.insert(bytes.end(), kBankHeaderSize - kCurrentProgramAt - 4, 0);
    for (const PresetProgram& program : programs) {
        std::vector<uint8_t> record = writeProgram(pluginId, pluginVersion, program);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    return bytes;
}
