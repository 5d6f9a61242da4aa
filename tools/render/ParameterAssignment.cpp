#include "tools/render/ParameterAssignment.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
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

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A whole number or decimal, nothing after it.
bool parseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return *end == '\0' && errno == 0 && std::isfinite(value);
}

// Display values this many steps apart across the normalised range are compared first; the
// nearest is then refined between its neighbours.
constexpr int kProbeSteps = 1000;
constexpr int kRefineSteps = 40;

std::string shortNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%g", value);
    return text;
}

}  // namespace

bool ParameterAssignment::normalisedValue(PluginHost& host, int index, const std::string& name,
                                          const std::string& text, float& value,
                                          std::string& error) {
    double number = 0.0;
    if (parseNumber(text, number)) {
        if (number < 0.0 || number > 1.0) {
            error = "value " + text + " for " + name +
                    " is outside 0 to 1 (a normalised value; give a value in the parameter's "
                    "units with its label, e.g. " + name + "=" +
                    host.parameterDisplay(index) + host.parameterLabel(index) + ")";
            return false;
        }
        value = static_cast<float>(number);
        return true;
    }
    const std::string label = host.parameterLabel(index);
    const std::string wanted = lower(text);
    double target = 0.0;
    if (lower(label) == "on/off" && (wanted == "on" || wanted == "off")) {
        target = wanted == "on" ? 1.0 : 0.0;
    } else {
        // The number, then the label, with or without a space between.
        std::string::size_type split = wanted.size();
        while (split > 0 && !std::isdigit(static_cast<unsigned char>(wanted[split - 1])) &&
               wanted[split - 1] != '.')
            --split;
        std::string unit = wanted.substr(split);
        const std::string::size_type first = unit.find_first_not_of(' ');
        unit = first == std::string::npos ? "" : unit.substr(first);
        if (!parseNumber(wanted.substr(0, split), target) || unit.empty()) {
            error = "value '" + text + "' for " + name +
                    " is not a number: give a normalised value 0 to 1" +
                    (label.empty() ? std::string()
                                   : " or a value in " + label + ", e.g. " + name + "=" +
                                         host.parameterDisplay(index) + label);
            return false;
        }
        if (unit != lower(label)) {
            error = "value '" + text + "' for " + name + " is in " + unit +
                    ", but the parameter is in " + (label.empty() ? "no unit" : label);
            return false;
        }
    }

    const float original = host.parameter(index);
    auto displayAt = [&](double normalised, double& shown) {
        host.setParameter(index, static_cast<float>(normalised));
        return parseNumber(host.parameterDisplay(index), shown);
    };
    double lowest = 0.0, highest = 0.0, best = -1.0, bestDistance = 0.0;
    bool any = false;
    for (int step = 0; step <= kProbeSteps; ++step) {
        const double normalised = static_cast<double>(step) / kProbeSteps;
        double shown;
        if (!displayAt(normalised, shown)) continue;
        lowest = any ? std::min(lowest, shown) : shown;
        highest = any ? std::max(highest, shown) : shown;
        const double distance = std::fabs(shown - target);
        if (!any || distance < bestDistance) {
            best = normalised;
            bestDistance = distance;
        }
        any = true;
    }
    if (any && target >= lowest && target <= highest) {
        // Between the neighbours of the best probe the display is taken as one-sided.
        double low = std::max(0.0, best - 1.0 / kProbeSteps);
        double high = std::min(1.0, best + 1.0 / kProbeSteps);
        for (int step = 0; step < kRefineSteps; ++step) {
            const double a = low + (high - low) / 3.0, b = high - (high - low) / 3.0;
            double shownA, shownB;
            if (!displayAt(a, shownA) || !displayAt(b, shownB)) break;
            if (std::fabs(shownA - target) <= std::fabs(shownB - target)) {
                high = b;
            } else {
                low = a;
            }
        }
        double candidate = (low + high) / 2.0, shown;
        if (displayAt(candidate, shown) && std::fabs(shown - target) < bestDistance) best = candidate;
    }
    host.setParameter(index, original);
    if (!any) {
        error = "the display of " + name + " is not a number, so '" + text +
                "' cannot be converted; give a normalised value 0 to 1";
        return false;
    }
    if (target < lowest || target > highest) {
        error = "value '" + text + "' for " + name + " is outside its range " +
                shortNumber(lowest) + " to " + shortNumber(highest) + " " + label;
        return false;
    }
    value = static_cast<float>(best);
    return true;
}

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
        float value = 0.0f;
        if (!normalisedValue(host, index, setting.name, setting.value, value, error)) {
            return false;
        }
        resolved.emplace_back(index, static_cast<float>(value));
    }
    for (const auto& item : resolved) host.setParameter(item.first, item.second);
    return true;
}
