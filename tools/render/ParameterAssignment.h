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
};
