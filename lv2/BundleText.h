#pragma once
// The Turtle files of the bundle Ostraquelle.lv2/, written from the parameter table and the
// core's programs, so that no port list or preset is kept by hand.

#include <ostream>

// manifest.ttl: both plug-ins in binary, their descriptions and the presets, and, with a
// uiBinary, the panel's X11 UI in it for both.
void writeManifest(std::ostream& out, const char* binary, const char* uiBinary = nullptr);
// ostraquelle.ttl: both plug-ins with every port.
void writePluginDescriptions(std::ostream& out);
// presets.ttl: the built-in programs, with their names, for both plug-ins.
void writePresets(std::ostream& out);

extern const char* const kDescriptionFile;
extern const char* const kPresetFile;
