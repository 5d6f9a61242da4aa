#pragma once
// The Turtle files of the bundle Ostraquelle.lv2/, written from the parameter table and the
// core's programs, so that no port list or preset is kept by hand.

#include <ostream>
#include <string>
#include <vector>

// manifest.ttl: both plug-ins in binary, their descriptions, the built-in programs and
// factoryPresets factory presets, and, with a uiBinary, the panel's X11 UI in it for both.
void writeManifest(std::ostream& out, const char* binary, const char* uiBinary = nullptr,
                   int factoryPresets = 0);
// ostraquelle.ttl: both plug-ins with every port.
void writePluginDescriptions(std::ostream& out);
// presets.ttl: the built-in programs, with their names, for both plug-ins.
void writePresets(std::ostream& out);

// factory.ttl: a bank's programs, each a name and a normalised value for each parameter index.
struct FactoryPreset {
    std::string name;
    std::vector<float> values;  // kParameterCount of them, index 19's unused
};
void writeFactoryPresets(std::ostream& out, const std::vector<FactoryPreset>& presets);

extern const char* const kDescriptionFile;
extern const char* const kPresetFile;
extern const char* const kFactoryPresetFile;
