#pragma once
// Moves preset files between disk and a loaded plug-in the way a host does for a plug-in
// without chunks: parameter by parameter through the effect record, program by program for a
// bank. The byte format itself is PresetFile's.

#include <string>
#include <vector>

#include "presetfile/PresetFile.h"
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
    // before anything changes. A bad file is a failed run; an unknown program or parameter, or a
    // value out of range, is a bad command line.
    enum class Applied { Yes, BadFile, BadCommandLine };
    static Applied applyOptions(PluginHost& host, const RenderOptions& options,
                                std::string& error);

    // Puts a program's name and values into the current program.
    static void applyProgram(PluginHost& host, const PresetProgram& program);
    // Puts every program of a bank into the plug-in, then selects the bank's current program
    // (program 0 when the bank does not store one).
    static void applyBank(PluginHost& host, const PresetContents& bank);

    // The current program's name and values.
    static PresetProgram captureProgram(PluginHost& host);
    // Every program; selects each in turn and returns to the one that was current.
    static std::vector<PresetProgram> captureBank(PluginHost& host);

    // A preset written beside its name, taking that name only when the run succeeded.
    struct PendingFile {
        std::string temporary, target;
    };
    // Prepares --save-preset and --save-bank, if given, from the plug-in's present settings;
    // nothing has its final name yet. A path that is one of `inputs` is refused.
    static bool prepareSaves(PluginHost& host, const RenderOptions& options,
                             const std::vector<std::string>& inputs,
                             std::vector<PendingFile>& pending, std::string& error);
    // Gives the prepared files their names; on failure the rest are removed.
    static bool finishSaves(std::vector<PendingFile>& pending, std::string& error);
    // Removes the prepared files: the run failed.
    static void abandonSaves(std::vector<PendingFile>& pending);

    // Writes bytes beside `path` (after resolving a symbolic link), so a failed write leaves
    // nothing; the file takes its name in finishSaves.
    static bool prepareFile(const std::string& path, const std::vector<uint8_t>& bytes,
                            PendingFile& pending, std::string& error);
};
