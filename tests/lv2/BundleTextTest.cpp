// The generated Turtle files say what the plug-in does: the right ports with the table's
// names, ranges and defaults, the side chain, the presets with their names.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "core/VocoderCore.h"
#include "lv2/BundleText.h"
#include "lv2/PortMap.h"
#include "lv2/PortUnits.h"

namespace {

const int32_t kPrograms = VocoderCore::kProgramCount;

template <typename Write>
std::string text(Write write) {
    std::ostringstream out;
    write(out);
    return out.str();
}

// The blocks between "[" and "]" of one plug-in's port list.
std::vector<std::string> portsOf(const std::string& description, PluginVariant variant) {
    const std::string head = std::string("<") + pluginUri(variant) + ">\n    a lv2:Plugin";
    size_t at = description.find(head);
    std::vector<std::string> ports;
    if (at == std::string::npos) return ports;
    const size_t end = description.find(" .\n", description.find("lv2:port", at));
    while ((at = description.find("[\n", at)) != std::string::npos && at < end) {
        const size_t close = description.find("\n    ]", at);
        ports.push_back(description.substr(at, close - at));
        at = close;
    }
    return ports;
}

std::string property(const std::string& block, const std::string& name) {
    std::smatch match;
    const std::regex pattern(name + " ([^;\\n]+?)( ;|\\n|$)");
    return std::regex_search(block, match, pattern) ? match[1].str() : "";
}

int count(const std::string& haystack, const std::string& needle) {
    int found = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + 1))
        ++found;
    return found;
}

}  // namespace

TEST(BundleText, EachPlugInListsItsPortsInIndexOrderWithTheTablesNamesAndRanges) {
    const std::string description = text(writePluginDescriptions);
    for (PluginVariant variant : {PluginVariant::full, PluginVariant::mix}) {
        const std::vector<std::string> ports = portsOf(description, variant);
        ASSERT_EQ(static_cast<int32_t>(ports.size()), portCount(variant));
        for (int32_t port = 0; port < portCount(variant); ++port) {
            const std::string& block = ports[port];
            EXPECT_EQ(property(block, "lv2:index"), std::to_string(port));
            const int32_t slot = controlPortSlot(variant, static_cast<uint32_t>(port));
            if (slot < 0) {
                EXPECT_EQ(count(block, "lv2:AudioPort"), 1) << block;
                continue;
            }
            const ParameterInfo& info = slotInfo(slot);
            EXPECT_EQ(count(block, "lv2:ControlPort"), 1) << block;
            EXPECT_EQ(property(block, "lv2:name"), std::string("\"") + info.name + "\"");
            const float defaultValue = std::strtof(property(block, "lv2:default").c_str(), nullptr);
            EXPECT_EQ(portValueToNormalised(info, defaultValue), info.defaultValue) << info.name;
            EXPECT_EQ(std::strtof(property(block, "lv2:minimum").c_str(), nullptr),
                      portRange(info).minimum);
            EXPECT_EQ(std::strtof(property(block, "lv2:maximum").c_str(), nullptr),
                      portRange(info).maximum);
        }
    }
}

TEST(BundleText, TheModulatorIsTheSideChainOrdersAreIntegersAndThereIsNoLatencyPort) {
    const std::string description = text(writePluginDescriptions);
    for (PluginVariant variant : {PluginVariant::full, PluginVariant::mix}) {
        const std::vector<std::string> ports = portsOf(description, variant);
        ASSERT_EQ(static_cast<int32_t>(ports.size()), portCount(variant));
        EXPECT_EQ(count(ports[1], "lv2:isSideChain"), 1);
        EXPECT_EQ(property(ports[1], "lv2:symbol"), "\"modulator\"");
        int sideChains = 0, integers = 0, toggles = 0, optional = 0;
        for (const std::string& block : ports) {
            sideChains += count(block, "lv2:isSideChain");
            integers += count(block, "lv2:integer");
            toggles += count(block, "lv2:toggled");
            optional += count(block, "lv2:connectionOptional");
        }
        EXPECT_EQ(sideChains, 1);
        EXPECT_EQ(integers, 2);  // the two orders
        EXPECT_EQ(toggles, 1);   // whitening
        // The mix must be connected; the other pairs may stay unconnected.
        EXPECT_EQ(optional, variant == PluginVariant::full ? 6 : 0);
        EXPECT_EQ(count(ports[controlPortIndex(variant, parameterSlot(kWhiten))], "lv2:toggled"), 1);
    }
    EXPECT_EQ(count(description, "latency"), 0);
    EXPECT_EQ(count(description, "reportsLatency"), 0);
}

TEST(BundleText, PresetsAreTheBuiltInProgramsWithTheirNamesAndEveryValue) {
    const std::string presets = text(writePresets);
    auto core = std::make_unique<VocoderCore>();
    EXPECT_EQ(count(presets, "a pset:Preset"), kPrograms);
    EXPECT_EQ(count(presets, "pset:value"), kPrograms * kParameterSlots);
    for (int32_t program = 0; program < kPrograms; ++program) {
        const std::string uri = std::string("<urn:valtrisk:ostraquelle:preset:") +
                                std::to_string(program + 1) + ">";
        const size_t at = presets.find(uri);
        ASSERT_NE(at, std::string::npos) << uri;
        const std::string block = presets.substr(at, presets.find(" .\n", at) - at);
        EXPECT_EQ(property(block, "rdfs:label"),
                  std::string("\"") + core->programName(program) + "\"");
        core->setProgram(program);
        for (int32_t slot = 0; slot < kParameterSlots; ++slot) {
            const ParameterInfo& info = slotInfo(slot);
            const std::string symbol = "lv2:symbol \"" + portSymbol(info.name) + "\" ;";
            const size_t port = block.find(symbol);
            ASSERT_NE(port, std::string::npos) << symbol;
            const float value = std::strtof(property(block.substr(port), "pset:value").c_str(), nullptr);
            EXPECT_EQ(portValueToNormalised(info, value), core->value(info.index)) << info.name;
        }
    }
}

TEST(BundleText, FactoryPresetsCarryTheirNamesAndEachParameterIndexsValue) {
    // A distinct value per index, so that a value taken from the slot instead (Filt-Amt is
    // index 20, slot 19) or from the neighbour shows.
    const auto valueOf = [](int32_t index) { return 0.03f * static_cast<float>(index + 1); };
    std::vector<float> values;
    for (int32_t index = 0; index < kParameterCount; ++index) values.push_back(valueOf(index));
    const std::string presets = text([&](std::ostream& out) {
        writeFactoryPresets(out, {{"Clear \"Speech\"", values}, {"Robot", values}});
    });
    EXPECT_EQ(count(presets, "a pset:Preset"), 2);
    const size_t at = presets.find("<urn:valtrisk:ostraquelle:factory:1>");
    ASSERT_NE(at, std::string::npos);
    ASSERT_NE(presets.find("<urn:valtrisk:ostraquelle:factory:2>"), std::string::npos);
    const std::string block = presets.substr(at, presets.find(" .\n", at) - at);
    EXPECT_EQ(property(block, "rdfs:label"), "\"Clear \\\"Speech\\\"\"");
    for (int32_t slot = 0; slot < kParameterSlots; ++slot) {
        const ParameterInfo& info = slotInfo(slot);
        const size_t port = block.find("lv2:symbol \"" + portSymbol(info.name) + "\" ;");
        ASSERT_NE(port, std::string::npos) << info.name;
        const float value = std::strtof(property(block.substr(port), "pset:value").c_str(), nullptr);
        EXPECT_FLOAT_EQ(value, normalisedToPortValue(info, valueOf(info.index))) << info.name;
    }
    const std::string manifest =
        text([](std::ostream& out) { writeManifest(out, "x.so", nullptr, 2); });
    EXPECT_EQ(count(manifest, "rdfs:seeAlso <factory.ttl>"), 2);
    EXPECT_EQ(count(manifest, "rdfs:seeAlso <presets.ttl>"), kPrograms);
}

TEST(BundleText, TheManifestNamesTheBinaryBothPlugInsAndEveryPreset) {
    const std::string manifest = text([](std::ostream& out) { writeManifest(out, "x.so"); });
    EXPECT_EQ(count(manifest, "lv2:binary <x.so>"), kVariantCount);
    EXPECT_EQ(count(manifest, "<urn:valtrisk:ostraquelle>\n    a lv2:Plugin"), 1);
    EXPECT_EQ(count(manifest, "<urn:valtrisk:ostraquelle:stereo>\n    a lv2:Plugin"), 1);
    EXPECT_EQ(count(manifest, "rdfs:seeAlso <presets.ttl>"), kPrograms);
    EXPECT_EQ(count(manifest, "rdfs:seeAlso <factory.ttl>"), 0);
    EXPECT_EQ(count(manifest, "rdfs:seeAlso <ostraquelle.ttl>"), kVariantCount);
}

TEST(BundleText, WithAUiBinaryBothPlugInsNameTheX11UiAndItsFeatures) {
    const std::string without = text([](std::ostream& out) { writeManifest(out, "x.so"); });
    EXPECT_EQ(count(without, "ui:ui"), 0);
    EXPECT_EQ(count(without, "ui:X11UI"), 0);
    const std::string manifest =
        text([](std::ostream& out) { writeManifest(out, "x.so", "x_ui.so"); });
    EXPECT_EQ(count(manifest, "    ui:ui <urn:valtrisk:ostraquelle:ui> ;\n"), kVariantCount);
    EXPECT_EQ(count(manifest, "<urn:valtrisk:ostraquelle:ui>\n    a ui:X11UI ;\n"
                              "    ui:binary <x_ui.so> ;\n"),
              1);
    EXPECT_EQ(count(manifest, "lv2:requiredFeature ui:parent , ui:idleInterface ;"), 1);
    EXPECT_EQ(count(manifest, "lv2:optionalFeature ui:resize , ui:touch ;"), 1);
    EXPECT_EQ(count(manifest, "lv2:extensionData ui:idleInterface ."), 1);
    // The DSP binary stays the plug-ins' only lv2:binary.
    EXPECT_EQ(count(manifest, "lv2:binary <x.so>"), kVariantCount);
    EXPECT_EQ(count(manifest, "lv2:binary <x_ui.so>"), 0);
}
