#include "lv2/BundleText.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "core/VocoderCore.h"
#include "lv2/PortMap.h"
#include "lv2/PortUnits.h"

const char* const kDescriptionFile = "ostraquelle.ttl";
const char* const kPresetFile = "presets.ttl";
const char* const kFactoryPresetFile = "factory.ttl";

namespace {

const PluginVariant kVariants[kVariantCount] = {PluginVariant::full, PluginVariant::mix};

const char* const kPrefixes =
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n\n";

// Nine significant digits give back the same float.
std::string number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    std::string result = text;
    if (result.find_first_of(".eE") == std::string::npos) result += ".0";
    return result;
}

// A Turtle string literal; the names here hold no quotes or backslashes, but a program name
// could.
std::string literal(const char* text) {
    std::string result = "\"";
    for (const char* c = text; *c; ++c) {
        if (*c == '"' || *c == '\\') result += '\\';
        result += *c;
    }
    return result + "\"";
}

std::string presetUri(int32_t program) {
    return std::string(pluginUri(PluginVariant::full)) + ":preset:" + std::to_string(program + 1);
}

std::string factoryPresetUri(int32_t program) {
    return std::string(pluginUri(PluginVariant::full)) + ":factory:" + std::to_string(program + 1);
}

// One preset's manifest entry: it applies to both plug-ins, its port values are in file.
void writePresetEntry(std::ostream& out, const std::string& uri, const char* file) {
    out << "<" << uri << ">\n"
        << "    a pset:Preset ;\n"
        << "    lv2:appliesTo <" << pluginUri(PluginVariant::full) << "> , <"
        << pluginUri(PluginVariant::mix) << "> ;\n"
        << "    rdfs:seeAlso <" << file << "> .\n\n";
}

// One preset with its name and the port value of every parameter that carries one.
void writePreset(std::ostream& out, const std::string& uri, const char* name,
                 const std::function<float(int32_t index)>& value) {
    out << "<" << uri << ">\n"
        << "    a pset:Preset ;\n"
        << "    lv2:appliesTo <" << pluginUri(PluginVariant::full) << "> , <"
        << pluginUri(PluginVariant::mix) << "> ;\n"
        << "    rdfs:label " << literal(name) << " ;\n"
        << "    lv2:port";
    for (int32_t slot = 0; slot < kParameterSlots; ++slot) {
        const ParameterInfo& info = slotInfo(slot);
        out << (slot == 0 ? " [\n" : " , [\n") << "        lv2:symbol "
            << literal(portSymbol(info.name).c_str()) << " ;\n"
            << "        pset:value " << number(normalisedToPortValue(info, value(info.index)))
            << "\n    ]";
    }
    out << " .\n\n";
}

// The unit and kind of a control port: properties for its description, or nothing.
const char* unitText(PortUnit unit) {
    switch (unit) {
        case PortUnit::decibels: return "units:unit units:db";
        case PortUnit::milliseconds: return "units:unit units:ms";
        case PortUnit::percent: return "units:unit units:pc";
        case PortUnit::taps:
            return "units:unit [ a units:Unit ; rdfs:label \"taps\" ; units:symbol \"taps\" ; "
                   "units:render \"%d taps\" ] ;\n        lv2:portProperty lv2:integer";
        case PortUnit::tenThousandths:
            return "units:unit [ a units:Unit ; rdfs:label \"ten-thousandths\" ; "
                   "units:symbol \"e-4\" ; units:render \"%.2f e-4\" ]";
        case PortUnit::toggle: return "lv2:portProperty lv2:toggled";
        case PortUnit::none: return "";
    }
    return "";
}

void writeAudioPort(std::ostream& out, PluginVariant variant, int32_t port) {
    const AudioPortInfo info = audioPort(port);
    out << "        a lv2:" << (info.output ? "OutputPort" : "InputPort") << ", lv2:AudioPort ;\n"
        << "        lv2:index " << port << " ;\n"
        << "        lv2:symbol " << literal(info.symbol.c_str()) << " ;\n"
        << "        lv2:name " << literal(info.name.c_str());
    if (!info.output && info.channel == 1) out << " ;\n        lv2:portProperty lv2:isSideChain";
    if (info.output) {
        // Each pair carries one signal on both channels; only the mix must be connected.
        out << " ;\n        pg:group <" << pluginUri(variant) << ":pair" << info.channel / 2
            << "> ;\n        lv2:designation " << (info.channel % 2 == 0 ? "pg:left" : "pg:right");
        if (info.channel >= 2) out << " ;\n        lv2:portProperty lv2:connectionOptional";
    }
    out << "\n";
}

void writeControlPort(std::ostream& out, PluginVariant variant, int32_t slot) {
    const ParameterInfo& info = slotInfo(slot);
    const PortRange range = portRange(info);
    out << "        a lv2:InputPort, lv2:ControlPort ;\n"
        << "        lv2:index " << controlPortIndex(variant, slot) << " ;\n"
        << "        lv2:symbol " << literal(portSymbol(info.name).c_str()) << " ;\n"
        << "        lv2:name " << literal(info.name) << " ;\n"
        << "        lv2:default " << number(normalisedToPortValue(info, info.defaultValue))
        << " ;\n"
        << "        lv2:minimum " << number(range.minimum) << " ;\n"
        << "        lv2:maximum " << number(range.maximum);
    const char* unit = unitText(range.unit);
    if (*unit) out << " ;\n        " << unit;
    out << "\n";
}

void writeOutputGroups(std::ostream& out, PluginVariant variant) {
    for (int32_t channel = 0; channel < audioPortCount(variant) - 2; channel += 2) {
        const char* pin = outputPairName(channel / 2);
        out << "<" << pluginUri(variant) << ":pair" << channel / 2 << ">\n"
            << "    a pg:StereoGroup, pg:OutputGroup ;\n"
            << "    lv2:symbol " << literal(portSymbol(pin).c_str()) << " ;\n"
            << "    lv2:name " << literal(pin) << " .\n\n";
    }
}

}  // namespace

void writeManifest(std::ostream& out, const char* binary, const char* uiBinary,
                   int factoryPresets) {
    out << kPrefixes;
    for (PluginVariant variant : kVariants) {
        out << "<" << pluginUri(variant) << ">\n"
            << "    a lv2:Plugin ;\n"
            << "    lv2:binary <" << binary << "> ;\n";
        if (uiBinary) out << "    ui:ui <" << uiUri() << "> ;\n";
        out << "    rdfs:seeAlso <" << kDescriptionFile << "> .\n\n";
    }
    // The panel embeds in the host's window and handles its window's events in the host's
    // idle calls; it tells its size and brackets gestures where the host lets it.
    if (uiBinary) {
        out << "<" << uiUri() << ">\n"
            << "    a ui:X11UI ;\n"
            << "    ui:binary <" << uiBinary << "> ;\n"
            << "    lv2:requiredFeature ui:parent , ui:idleInterface ;\n"
            << "    lv2:optionalFeature ui:resize , ui:touch ;\n"
            << "    lv2:extensionData ui:idleInterface .\n\n";
    }
    for (int32_t program = 0; program < VocoderCore::kProgramCount; ++program)
        writePresetEntry(out, presetUri(program), kPresetFile);
    for (int32_t program = 0; program < factoryPresets; ++program)
        writePresetEntry(out, factoryPresetUri(program), kFactoryPresetFile);
}

void writePluginDescriptions(std::ostream& out) {
    out << kPrefixes;
    for (PluginVariant variant : kVariants) {
        writeOutputGroups(out, variant);
        out << "<" << pluginUri(variant) << ">\n"
            << "    a lv2:Plugin, lv2:FilterPlugin ;\n"
            << "    doap:name " << literal(pluginName(variant)) << " ;\n"
            << "    doap:license <http://opensource.org/licenses/MIT> ;\n"
            << "    lv2:minorVersion 0 ;\n"
            << "    lv2:microVersion 0 ;\n"
            << "    lv2:optionalFeature lv2:hardRTCapable ;\n"
            << "    lv2:port";
        for (int32_t port = 0; port < portCount(variant); ++port) {
            out << (port == 0 ? " [\n" : " , [\n");
            const int32_t slot = controlPortSlot(variant, static_cast<uint32_t>(port));
            if (slot < 0) {
                writeAudioPort(out, variant, port);
            } else {
                writeControlPort(out, variant, slot);
            }
            out << "    ]";
        }
        out << " .\n\n";
    }
}

void writePresets(std::ostream& out) {
    out << kPrefixes;
    // The programs as a new instance has them.
    const auto core = std::make_unique<VocoderCore>();
    for (int32_t program = 0; program < VocoderCore::kProgramCount; ++program) {
        core->setProgram(program);
        const char* name = core->programName(program);
        writePreset(out, presetUri(program), name ? name : "",
                    [&core](int32_t index) { return core->value(index); });
    }
}

void writeFactoryPresets(std::ostream& out, const std::vector<FactoryPreset>& presets) {
    out << kPrefixes;
    for (size_t program = 0; program < presets.size(); ++program) {
        const std::vector<float>& values = presets[program].values;
        writePreset(out, factoryPresetUri(static_cast<int32_t>(program)),
                    presets[program].name.c_str(), [&values](int32_t index) { return values[index]; });
    }
}
