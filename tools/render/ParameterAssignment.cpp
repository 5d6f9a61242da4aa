#include "tools/render/ParameterAssignment.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "tools/render/PluginHost.h"

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::string::size_type i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

int ParameterAssignment::find(PluginHost& host, const std::string& name) {
    int caseless = -1;
    int caselessCount = 0;
    for (int index = 0; index < host.numParams(); ++index) {
        std::string own = host.parameterName(index);
        if (own.empty()) continue;  // an unused index has no name and cannot be set by one
        if (own == name) return index;
        if (sameIgnoringCase(own, name)) {
            caseless = index;
            ++caselessCount;
        }
    }
    return caselessCount == 1 ? caseless : -1;
}

std::string ParameterAssignment::validNames(PluginHost& host) {
    std::string names;
    for (int index = 0; index < host.numParams(); ++index) {
        std::string own = host.parameterName(index);
        if (own.empty()) continue;
        if (!names.empty()) names += ", ";
        names += own;
    }
    return names;
}

bool ParameterAssignment::apply(PluginHost& host, int program,
                                const std::vector<ParameterSetting>& settings, std::string& error) {
    if (program >= 0 && !host.setProgram(program)) {
        error = "no program " + std::to_string(program) + ": the plug-in has programs 0 to " +
                std::to_string(host.numPrograms() - 1);
        return false;
    }
    // Resolve and check every setting before applying any, so a typo changes nothing.
    std::vector<std::pair<int, float>> resolved;
    for (const ParameterSetting& setting : settings) {
        int index = find(host, setting.name);
        if (index < 0) {
            error = "unknown parameter '" + setting.name + "'; valid names: " + validNames(host);
            return false;
        }
        const char* text = setting.value.c_str();
        char* end = nullptr;
        errno = 0;
        double value = std::strtod(text, &end);
        bool number = !setting.value.empty() && *end == '\0' && errno == 0 && std::isfinite(value);
        if (!number) {
            error = "value '" + setting.value + "' for " + setting.name +
                    " is not a number (normalised values run from 0 to 1); valid names: " +
                    validNames(host);
            return false;
        }
        if (value < 0.0 || value > 1.0) {
            error = "value " + setting.value + " for " + setting.name +
                    " is outside 0 to 1 (parameters take normalised values)";
            return false;
        }
        resolved.emplace_back(index, static_cast<float>(value));
    }
    for (const auto& item : resolved) host.setParameter(item.first, item.second);
    return true;
}
