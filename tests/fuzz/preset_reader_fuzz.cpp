// libFuzzer target for the preset file reader: any bytes must give either contents that the
// writer reproduces or one error message, and never a read outside the input.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "presetfile/PresetFile.h"

namespace {

// The real plug-in's shape, and a tiny one so that complete valid banks are within reach.
const PresetExpectation kShapes[] = {{0x6C51734F, 21, 8}, {0x6C51734F, 2, 2}};

void checkRoundTrip(const PresetContents& contents, const PresetExpectation& shape) {
    std::vector<uint8_t> again =
        contents.kind == PresetContents::Kind::Bank
            ? PresetFile::writeBank(contents.pluginId, contents.pluginVersion,
                                    contents.currentProgram < 0 ? 0 : contents.currentProgram,
                                    contents.programs)
            : PresetFile::writeProgram(contents.pluginId, contents.pluginVersion,
                                       contents.programs.at(0));
    PresetContents reread;
    std::string error;
    if (!PresetFile::parse(again.data(), again.size(), shape, reread, error)) __builtin_trap();
    if (reread.programs.size() != contents.programs.size()) __builtin_trap();
    for (size_t p = 0; p < contents.programs.size(); ++p) {
        if (reread.programs[p].values != contents.programs[p].values) __builtin_trap();
        // The writer keeps 27 characters so that a terminator remains.
        if (reread.programs[p].name != contents.programs[p].name.substr(0, 27)) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that the address sanitizer sees any read past the end.
    std::vector<uint8_t> bytes(data, data + size);
    for (const PresetExpectation& shape : kShapes) {
        PresetContents contents;
        std::string error;
        if (PresetFile::parse(bytes.empty() ? nullptr : bytes.data(), bytes.size(), shape, contents,
                              error)) {
            if (!error.empty()) __builtin_trap();
            checkRoundTrip(contents, shape);
        } else if (error.empty()) {
            __builtin_trap();  // a refusal always says why
        }
    }
    return 0;
}
