// The bundle's binary as a host loads it (dlopen, lv2_descriptor): lifecycle orders the LV2
// rules allow, block sizes from 1 to 8192, sample rates, non-finite input and control values
// changed from another thread. Nothing may crash, and no bad input may leave a mark on the
// audio after it. The binary's path comes in OSTRAQUELLE_LV2_BINARY.

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <lv2/core/lv2.h>

#include "lv2/PortUnits.h"

namespace {

const uint32_t kFirstControl = 10;
const int32_t kFrames = 9000;  // above the largest block, so that it ends in a short one
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

const LV2_Descriptor* descriptor(uint32_t index) {
    static void* module = [] {
        const char* path = std::getenv("OSTRAQUELLE_LV2_BINARY");
        return path ? dlopen(path, RTLD_NOW | RTLD_LOCAL) : nullptr;
    }();
    if (!module) return nullptr;
    using Entry = const LV2_Descriptor* (*)(uint32_t);
    const auto entry = reinterpret_cast<Entry>(dlsym(module, "lv2_descriptor"));
    return entry ? entry(index) : nullptr;
}

struct Material {
    std::vector<float> carrier, modulator;
    Material() : carrier(kFrames), modulator(kFrames) {
        for (int32_t i = 0; i < kFrames; ++i) {
            carrier[i] = static_cast<float>(0.3 * std::sin(0.05 * i) + 0.2 * std::sin(0.011 * i));
            modulator[i] = static_cast<float>(0.6 * std::sin(0.02 * i) * std::sin(0.0007 * i));
        }
    }
};

// One instance of the full plug-in with every port connected; controls are atomics so that
// another thread may write them while run reads, as a host's control thread does.
struct Instance {
    const LV2_Descriptor* plugin;
    LV2_Handle handle;
    std::atomic<float> controls[20];
    std::vector<std::vector<float>> outputs;

    explicit Instance(double rate = 44100.0)
        : plugin(descriptor(0)), handle(nullptr), outputs(8, std::vector<float>(kFrames)) {
        static_assert(sizeof(std::atomic<float>) == sizeof(float), "a port value is a float");
        for (auto& control : controls) control = kNaN;  // a NaN leaves the defaults
        if (!plugin) return;
        handle = plugin->instantiate(plugin, rate, "/nowhere", nullptr);
        if (!handle) return;
        for (uint32_t i = 0; i < 20; ++i)
            plugin->connect_port(handle, kFirstControl + i, reinterpret_cast<float*>(&controls[i]));
    }
    ~Instance() {
        if (handle) plugin->cleanup(handle);
    }

    void run(Material& in, int32_t offset, int32_t frames) {
        plugin->connect_port(handle, 0, in.carrier.data() + offset);
        plugin->connect_port(handle, 1, in.modulator.data() + offset);
        for (uint32_t i = 0; i < 8; ++i) plugin->connect_port(handle, 2 + i, outputs[i].data() + offset);
        plugin->run(handle, static_cast<uint32_t>(frames));
    }
    void runInBlocks(Material& in, int32_t block) {
        for (int32_t offset = 0; offset < kFrames; offset += block)
            run(in, offset, std::min(block, kFrames - offset));
    }
};

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

bool allFinite(const std::vector<float>& values) {
    for (float v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

bool allFiniteAndBounded(const std::vector<float>& values) {
    for (float v : values)
        if (!(std::fabs(v) < 1000.0f)) return false;
    return true;
}

}  // namespace

TEST(Lv2Torture, TheBinaryOffersTwoPlugInsAndRefusesRatesThatAreNoRates) {
    ASSERT_NE(descriptor(0), nullptr) << "OSTRAQUELLE_LV2_BINARY does not load";
    EXPECT_STREQ(descriptor(0)->URI, "urn:valtrisk:ostraquelle");
    ASSERT_NE(descriptor(1), nullptr);
    EXPECT_STREQ(descriptor(1)->URI, "urn:valtrisk:ostraquelle:stereo");
    EXPECT_EQ(descriptor(2), nullptr);
    EXPECT_EQ(descriptor(0xFFFFFFFFu), nullptr);
    const LV2_Descriptor* plugin = descriptor(0);
    for (double rate : {0.0, -44100.0, static_cast<double>(kNaN), static_cast<double>(kInf)})
        EXPECT_EQ(plugin->instantiate(plugin, rate, "/nowhere", nullptr), nullptr) << rate;
    EXPECT_EQ(plugin->extension_data("http://lv2plug.in/ns/ext/state#interface"), nullptr);
}

TEST(Lv2Torture, LifecycleOrdersTheRulesAllow) {
    Material in;
    Instance reference;
    ASSERT_NE(reference.handle, nullptr);
    reference.plugin->activate(reference.handle);
    reference.runInBlocks(in, 512);

    // No activate at all; activate twice; deactivate and activate again between runs;
    // cleanup straight after instantiate or after deactivate.
    Instance never;
    never.runInBlocks(in, 512);
    EXPECT_TRUE(sameBits(never.outputs[0], reference.outputs[0]));

    Instance cycled;
    cycled.plugin->activate(cycled.handle);
    cycled.plugin->activate(cycled.handle);
    cycled.runInBlocks(in, 512);
    cycled.plugin->deactivate(cycled.handle);
    cycled.plugin->activate(cycled.handle);
    cycled.runInBlocks(in, 512);
    cycled.plugin->deactivate(cycled.handle);
    cycled.plugin->deactivate(cycled.handle);
    EXPECT_TRUE(sameBits(cycled.outputs[0], reference.outputs[0]));

    { Instance unused; }
    Instance zero;
    zero.plugin->activate(zero.handle);
    zero.run(in, 0, 0);
    zero.plugin->deactivate(zero.handle);
}

TEST(Lv2Torture, EveryBlockSizeFromOneTo8192GivesTheSameBits) {
    Material in;
    Instance whole;
    whole.controls[14] = 1.0f;  // whitening on
    whole.run(in, 0, kFrames);
    for (int32_t block : {1, 2, 3, 17, 64, 255, 256, 257, 1000, 4096, 8191, 8192}) {
        Instance blocks;
        blocks.controls[14] = 1.0f;
        blocks.runInBlocks(in, block);
        for (int32_t channel = 0; channel < 8; ++channel)
            EXPECT_TRUE(sameBits(blocks.outputs[channel], whole.outputs[channel]))
                << "block " << block << ", output " << channel;
    }
}

TEST(Lv2Torture, EveryRateFrom8To384KilohertzGivesBoundedAudio) {
    Material in;
    for (double rate : {8000.0, 11025.0, 16000.0, 32000.0, 44100.0, 48000.0, 88200.0, 96000.0,
                        176400.0, 192000.0, 352800.0, 384000.0}) {
        Instance instance(rate);
        ASSERT_NE(instance.handle, nullptr) << rate;
        instance.controls[14] = 1.0f;
        instance.runInBlocks(in, 333);
        for (const auto& channel : instance.outputs)
            EXPECT_TRUE(allFiniteAndBounded(channel)) << rate;
    }
}

TEST(Lv2Torture, NonFiniteInputIsTakenAsSilenceThroughTheEntry) {
    Material bad, zeroed;
    for (int32_t at : {0, 1000, 1001, 5000, 6789, kFrames - 1}) {
        bad.modulator[at] = at % 2 ? kNaN : kInf;
        zeroed.modulator[at] = 0.0f;
    }
    for (int32_t at = 8000; at < 8100; ++at) {
        bad.modulator[at] = -kInf;
        zeroed.modulator[at] = 0.0f;
    }
    Instance hurt, clean;
    hurt.runInBlocks(bad, 1024);
    clean.runInBlocks(zeroed, 1024);
    for (int32_t channel = 0; channel < 8; ++channel) {
        EXPECT_TRUE(allFiniteAndBounded(hurt.outputs[channel])) << channel;
        EXPECT_TRUE(sameBits(hurt.outputs[channel], clean.outputs[channel])) << channel;
    }
}

TEST(Lv2Torture, ControlValuesFromAnotherThreadLeaveNoPoisonedState) {
    Material in;
    Instance fuzzed;
    std::atomic<bool> done(false);
    std::thread writer([&] {
        std::mt19937 random(1);
        const float wild[] = {kNaN, kInf, -kInf, 1e30f, -1e30f, 0.0f, 1.0f, 500.0f, -96.0f};
        while (!done) {
            const uint32_t slot = random() % 20;
            fuzzed.controls[slot] = random() % 3 == 0
                                        ? wild[random() % 9]
                                        : std::uniform_real_distribution<float>(-200, 600)(random);
            std::this_thread::yield();
        }
    });
    for (int pass = 0; pass < 3; ++pass) fuzzed.runInBlocks(in, 97);
    done = true;
    writer.join();
    for (const auto& channel : fuzzed.outputs) EXPECT_TRUE(allFinite(channel));

    // Back at the defaults and activated, it sounds like a new instance.
    for (int32_t slot = 0; slot < kParameterSlots; ++slot) {
        const ParameterInfo& info = slotInfo(slot);
        fuzzed.controls[slot] = normalisedToPortValue(info, info.defaultValue);
    }
    fuzzed.plugin->activate(fuzzed.handle);
    fuzzed.runInBlocks(in, 512);
    Instance fresh;
    fresh.runInBlocks(in, 512);
    for (int32_t channel = 0; channel < 8; ++channel)
        EXPECT_TRUE(sameBits(fuzzed.outputs[channel], fresh.outputs[channel])) << channel;
}
