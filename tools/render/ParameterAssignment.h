#pragma once
// Applies --program and --set NAME=VALUE to a loaded plug-in, looking parameters up by the
// names the plug-in itself reports.

#include <string>
#include <vector>

#include "tools/render/RenderOptions.h"

class PluginHost;

class ParameterAssignment {
public:
    // Index of the parameter called `name`: an exact match first, then a unique match that
    // ignores case; -1 when there is none.
    static int find(PluginHost& host, const std::string& name);
    // Selects the program (when asked) and applies the settings in order. On a bad program,
    // name or value nothing further is applied and error names the valid choices.
    static bool apply(PluginHost& host, int program, const std::vector<ParameterSetting>& settings,
                      std::string& error);
    // "Voco-Vol, Error-Vol, ..." for error messages.
    static std::string validNames(PluginHost& host);

    // The normalised value for `text`: a number 0..1 as it is, or a value in the parameter's
    // own units written with its label ("5ms", "-6dB", "101taps", "on" for an on/off switch),
    // converted to the normalised value whose display is nearest. Refuses a unit that is not
    // the parameter's and a value outside the displays' range, naming the range. Leaves the
    // parameter as it found it.
    static bool normalisedValue(PluginHost& host, int index, const std::string& name,
                                const std::string& text, float& value, std::string& error);
};
