// The bundle binary's one export: the descriptors of the full plug-in (index 0) and of the
// stereo one with only the mix pair (index 1).
#include <cmath>
#include <new>

#include <lv2/core/lv2.h>

#include "lv2/Lv2Instance.h"

namespace {

// A rate that is not a positive finite number cannot drive the envelope: the host is told
// that the instance cannot be made.
template <PluginVariant variant>
LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*,
                       const LV2_Feature* const*) {
    if (!(rate > 0.0) || !std::isfinite(rate)) return nullptr;
    return new (std::nothrow) Lv2Instance(variant, rate);
}

Lv2Instance& instance(LV2_Handle handle) { return *static_cast<Lv2Instance*>(handle); }

void connectPort(LV2_Handle handle, uint32_t port, void* data) { instance(handle).connect(port, data); }
void activate(LV2_Handle handle) { instance(handle).activate(); }
void run(LV2_Handle handle, uint32_t frames) { instance(handle).run(frames); }
// Nothing to stop: the engine holds no resources while inactive.
void deactivate(LV2_Handle) {}
void cleanup(LV2_Handle handle) { delete static_cast<Lv2Instance*>(handle); }
const void* extensionData(const char*) { return nullptr; }

const LV2_Descriptor kDescriptors[kVariantCount] = {
    {pluginUri(PluginVariant::full), instantiate<PluginVariant::full>, connectPort, activate, run,
     deactivate, cleanup, extensionData},
    {pluginUri(PluginVariant::mix), instantiate<PluginVariant::mix>, connectPort, activate, run,
     deactivate, cleanup, extensionData},
};

}  // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index < static_cast<uint32_t>(kVariantCount) ? &kDescriptors[index] : nullptr;
}
