#pragma once
// The ports of the bundle's two plug-ins, in index order: the audio ports, then one control
// port for each parameter slot. The full plug-in has all 8 outputs; the stereo one only the
// mix pair, so that a stereo track gets the mix on its two channels without routing pins.

#include <cstdint>
#include <string>

#include "parameters/ParameterTable.h"

enum class PluginVariant { full, mix };

const int kVariantCount = 2;

struct AudioPortInfo {
    std::string symbol;
    std::string name;
    bool output;
    int32_t channel;  // the core's input (0 carrier, 1 modulator) or output (0 to 7)
};

const char* pluginUri(PluginVariant variant);
const char* pluginName(PluginVariant variant);
// The panel's UI, one for both plug-ins (its own binary in the bundle).
const char* uiUri();
int32_t audioPortCount(PluginVariant variant);
// The same in both variants; port must be below audioPortCount of the variant.
AudioPortInfo audioPort(int32_t port);
// The same without building names, for the audio thread: whether an audio port is an output,
// and its channel (as in AudioPortInfo).
bool isOutputPort(int32_t port);
int32_t audioPortChannel(int32_t port);
int32_t controlPortIndex(PluginVariant variant, int32_t slot);
int32_t portCount(PluginVariant variant);
// The slot of a control port, or -1 for an audio port or a port outside the plug-in.
int32_t controlPortSlot(PluginVariant variant, uint32_t port);

// A port symbol from a name: lower case, each run of other characters one underscore. Names
// are a permanent interface, so are the symbols made from them.
std::string portSymbol(const char* name);
