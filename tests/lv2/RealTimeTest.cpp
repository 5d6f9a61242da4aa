// connect_port and run are called on the audio thread: neither may allocate, whatever the
// host connects or changes. This executable counts every allocation through operator new.

#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <cstdlib>
#include <new>
#include <vector>

#include "lv2/Lv2Instance.h"
#include "lv2/PortUnits.h"

namespace {
std::atomic<long> allocations(0);
}

void* operator new(std::size_t size) {
    allocations.fetch_add(1);
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    allocations.fetch_add(1);
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

TEST(Lv2RealTime, ConnectingAndRunningAllocateNothingEvenWhileValuesChange) {
    const int32_t frames = 1000;
    for (PluginVariant variant : {PluginVariant::full, PluginVariant::mix}) {
        Lv2Instance instance(variant, 48000.0);
        std::vector<float> carrier(frames, 0.25f), modulator(frames, -0.5f);
        std::vector<std::vector<float>> outputs(8, std::vector<float>(frames));
        float controls[kParameterSlots];
        for (int32_t slot = 0; slot < kParameterSlots; ++slot)
            controls[slot] = normalisedToPortValue(slotInfo(slot), slotInfo(slot).defaultValue);
        const long before = allocations.load();
        for (int32_t slot = 0; slot < kParameterSlots; ++slot)
            instance.connect(controlPortIndex(variant, slot), &controls[slot]);
        instance.connect(0, carrier.data());
        instance.connect(1, modulator.data());
        for (int32_t port = 2; port < audioPortCount(variant); ++port)
            instance.connect(port, outputs[port - 2].data());
        instance.activate();
        instance.run(frames);
        // New orders, whitening on, a value out of range, a NaN; then only one port of the
        // mix pair, which takes the scratch path.
        controls[parameterSlot(kPredictionOrder)] = 200.0f;
        controls[parameterSlot(kWhiteningOrder)] = 3.0f;
        controls[parameterSlot(kWhiten)] = 1.0f;
        controls[parameterSlot(kEnvelopeRelease)] = 1e9f;
        controls[parameterSlot(kMainVolume)] = std::numeric_limits<float>::quiet_NaN();
        instance.run(frames);
        instance.connect(3, nullptr);
        instance.run(frames);
        instance.run(0);
        EXPECT_EQ(allocations.load() - before, 0) << (variant == PluginVariant::full ? "full" : "mix");
    }
}
