#pragma once
// Moves preset files between disk and a loaded plug-in the way a host does for a plug-in
// without chunks: parameter by parameter through the effect record, program by program for a
// bank. The byte format itself is PresetFile's.

#include <string>
#include <vector>

#include "tools/render/PresetFile.h"
#include "tools/render/RenderOptions.h"

class PluginHost;

class PresetTransfer {
public:
    // The id and counts the loaded plug-in accepts.
    static PresetExpectation expectationOf(PluginHost& host);

    // Reads and checks a program or bank file for the loaded plug-in. Messages start with the
    // path: "preset FILE is truncated: ...".
    static bool read(const std::string& path, const PresetExpectation& expected,
                     PresetContents& contents, std::string& error);

    // Applies --preset, --program and --set in the order a user means them: a bank replaces
    // every program before --program picks one; a single program goes into the program that
    // --program selected (or the current one). --set comes last. The file is read and checked
    // before anything changes.
    static bool applyOptions(PluginHost& host, const RenderOptions& options, std::string& error);

    // Puts a program's name and values into the current program.
    static void applyProgram(PluginHost& host, const PresetProgram& program);
    // Puts every program of a bank into the plug-in, then selects the bank's current program
    // (program 0 when the bank does not store one).
    static void applyBank(PluginHost& host, const PresetContents& bank);

    // The current program's name and values.
    static PresetProgram captureProgram(PluginHost& host);
    // Every program; selects each in turn and returns to the one that was current.
    static std::vector<PresetProgram> captureBank(PluginHost& host);

    // Writes --save-preset and --save-bank, if given, from the plug-in's present settings.
    static bool saveOptions(PluginHost& host, const RenderOptions& options, std::string& error);

    // Writes bytes to path through a temporary file beside it, so a failed write leaves nothing.
    static bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes,
                          std::string& error);
};
