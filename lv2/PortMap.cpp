#include "lv2/PortMap.h"

#include "core/OutputPairs.h"

namespace {

const int32_t kInputPorts = 2;

int32_t outputPortCount(PluginVariant variant) { return variant == PluginVariant::full ? 8 : 2; }

}  // namespace

const char* pluginUri(PluginVariant variant) {
    return variant == PluginVariant::full ? "urn:valtrisk:ostraquelle"
                                          : "urn:valtrisk:ostraquelle:stereo";
}

const char* pluginName(PluginVariant variant) {
    return variant == PluginVariant::full ? "Ostraquelle" : "Ostraquelle Stereo";
}

const char* uiUri() { return "urn:valtrisk:ostraquelle:ui"; }

int32_t audioPortCount(PluginVariant variant) { return kInputPorts + outputPortCount(variant); }

bool isOutputPort(int32_t port) { return port >= kInputPorts; }

int32_t audioPortChannel(int32_t port) { return isOutputPort(port) ? port - kInputPorts : port; }

AudioPortInfo audioPort(int32_t port) {
    if (port == 0) return {"carrier", "Carrier", false, 0};
    if (port == 1) return {"modulator", "Modulator", false, 1};
    const int32_t channel = audioPortChannel(port);
    const char* pin = outputPairName(channel / 2);
    return {portSymbol(pin) + (channel % 2 == 0 ? "_1" : "_2"), pin, true, channel};
}

int32_t controlPortIndex(PluginVariant variant, int32_t slot) {
    return audioPortCount(variant) + slot;
}

int32_t portCount(PluginVariant variant) { return audioPortCount(variant) + kParameterSlots; }

int32_t controlPortSlot(PluginVariant variant, uint32_t port) {
    const uint32_t first = static_cast<uint32_t>(audioPortCount(variant));
    if (port < first || port >= first + kParameterSlots) return -1;
    return static_cast<int32_t>(port - first);
}

std::string portSymbol(const char* name) {
    std::string symbol;
    bool gap = false;
    for (const char* c = name; *c; ++c) {
        const char ch = *c;
        const bool alnum = (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9');
        const bool upper = ch >= 'A' && ch <= 'Z';
        if (alnum || upper) {
            if (gap && !symbol.empty()) symbol += '_';
            gap = false;
            symbol += upper ? static_cast<char>(ch - 'A' + 'a') : ch;
        } else {
            gap = true;
        }
    }
    if (symbol.empty() || (symbol[0] >= '0' && symbol[0] <= '9')) symbol.insert(0, "_");
    return symbol;
}
