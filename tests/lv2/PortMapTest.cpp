// Port indices and symbols of the two plug-ins: symbols are what hosts store in sessions and
// presets, so they must stay as they are.

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "core/OutputPairs.h"
#include "lv2/PortMap.h"

TEST(PortMap, SymbolsAreMadeFromTheNamesAndStayAsTheyAre) {
    EXPECT_EQ(portSymbol("Pred-Order"), "pred_order");
    EXPECT_EQ(portSymbol("main Vol"), "main_vol");
    EXPECT_EQ(portSymbol("w-Carrier-Vol"), "w_carrier_vol");
    EXPECT_EQ(portSymbol("Mix/Voc"), "mix_voc");
    EXPECT_EQ(portSymbol("--Odd  name--"), "odd_name");
    EXPECT_EQ(portSymbol("2x"), "_2x");
    EXPECT_EQ(portSymbol(""), "_");
    const char* const expected[kParameterSlots] = {
        "voco_vol",     "error_vol",   "modulator_vol", "carrier_vol", "w_carrier_vol",
        "main_vol",     "preemphasis", "pred_order",    "pred_learn",  "pred_forget",
        "pred_smooth",  "env_att",     "env_rel",       "env_amt",     "whiten",
        "white_order",  "white_learn", "white_forget",  "white_smooth", "filt_amt"};
    for (int32_t slot = 0; slot < kParameterSlots; ++slot)
        EXPECT_EQ(portSymbol(slotInfo(slot).name), expected[slot]);
}

TEST(PortMap, EveryPortHasAValidSymbolOfItsOwn) {
    const std::regex valid("[_a-zA-Z][_a-zA-Z0-9]*");
    for (PluginVariant variant : {PluginVariant::full, PluginVariant::mix}) {
        std::set<std::string> seen;
        for (int32_t port = 0; port < portCount(variant); ++port) {
            const int32_t slot = controlPortSlot(variant, static_cast<uint32_t>(port));
            const std::string symbol =
                slot < 0 ? audioPort(port).symbol : portSymbol(slotInfo(slot).name);
            EXPECT_TRUE(std::regex_match(symbol, valid)) << symbol;
            EXPECT_TRUE(seen.insert(symbol).second) << symbol << " twice";
        }
        EXPECT_EQ(seen.size(), static_cast<size_t>(portCount(variant)));
    }
}

TEST(PortMap, AudioPortsComeFirstThenOneControlPortPerSlot) {
    EXPECT_EQ(portCount(PluginVariant::full), 30);
    EXPECT_EQ(portCount(PluginVariant::mix), 24);
    EXPECT_FALSE(audioPort(0).output);
    EXPECT_EQ(audioPort(1).channel, 1);
    for (int32_t channel = 0; channel < 8; ++channel) {
        const AudioPortInfo info = audioPort(2 + channel);
        EXPECT_TRUE(info.output);
        EXPECT_EQ(info.channel, channel);
        EXPECT_EQ(info.name, outputChannelName(channel));
        EXPECT_TRUE(isOutputPort(2 + channel));
        EXPECT_EQ(audioPortChannel(2 + channel), channel);
    }
    EXPECT_FALSE(isOutputPort(0));
    EXPECT_FALSE(isOutputPort(1));
    EXPECT_EQ(audioPortChannel(1), 1);
    for (PluginVariant variant : {PluginVariant::full, PluginVariant::mix}) {
        const uint32_t first = static_cast<uint32_t>(audioPortCount(variant));
        EXPECT_EQ(controlPortSlot(variant, first - 1), -1);
        EXPECT_EQ(controlPortSlot(variant, first), 0);
        EXPECT_EQ(controlPortSlot(variant, first + kParameterSlots - 1), kParameterSlots - 1);
        EXPECT_EQ(controlPortSlot(variant, first + kParameterSlots), -1);
        EXPECT_EQ(controlPortSlot(variant, 0xFFFFFFFFu), -1);
        EXPECT_EQ(controlPortIndex(variant, 3), static_cast<int32_t>(first) + 3);
    }
}
