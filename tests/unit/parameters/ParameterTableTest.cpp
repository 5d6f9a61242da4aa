// The parameter table: indices and storage slots, the panel's value texts, and the panel
// places the editor and the artwork both take from it.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "parameters/ParameterTable.h"

namespace {

std::string panelText(PanelText text, float x) {
    char out[64];
    formatPanelText(text, x, out);
    return out;
}

bool overlap(const PanelBox& a, const PanelBox& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

TEST(ParameterTable, EveryIndexButNineteenHasOneSlotAndTheSlotsRunInIndexOrder) {
    std::set<int32_t> seen;
    int32_t previous = -1;
    for (int32_t slot = 0; slot < kParameterSlots; ++slot) {
        const ParameterInfo& info = slotInfo(slot);
        EXPECT_GT(info.index, previous) << "slot " << slot;
        previous = info.index;
        EXPECT_EQ(parameterSlot(info.index), slot);
        EXPECT_EQ(slotParameter(slot), info.index);
        EXPECT_EQ(findParameter(info.index), &info);
        seen.insert(info.index);
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kParameterCount - 1));
    for (int32_t index : {-1, int32_t(kUnusedParameter), kParameterCount, 1000}) {
        EXPECT_EQ(parameterSlot(index), -1) << index;
        EXPECT_EQ(findParameter(index), nullptr) << index;
    }
    EXPECT_EQ(parameterSlot(kFilterAmount), kParameterSlots - 1);
}

TEST(PanelText, EachFormatWritesNumberAndUnit) {
    EXPECT_EQ(panelText(PanelText::decibels, 0.8f), "0.0  dB");
    EXPECT_EQ(panelText(PanelText::decibels, 0.0f), "-96.0  dB");
    EXPECT_EQ(panelText(PanelText::plain, 1.0f), "1.000 ");
    EXPECT_EQ(panelText(PanelText::taps, 0.25f), "51 ");
    EXPECT_EQ(panelText(PanelText::half, 0.1f), "0.050 ");
    EXPECT_EQ(panelText(PanelText::tenThousandths, 0.1f), "0.10 e-4");
    EXPECT_EQ(panelText(PanelText::smoothing, 0.5f), "0.3 ");  // 0.35 in double rounds down
    EXPECT_EQ(panelText(PanelText::attack, 0.1f), "2.0 ms");
    EXPECT_EQ(panelText(PanelText::release, 0.1f), "50.0 ms");
    EXPECT_EQ(panelText(PanelText::percent, 1.0f), "100.0 %");
    EXPECT_EQ(panelText(PanelText::none, 0.5f), "");
}

// The panel has always computed these products in float; in double they would round the other
// way at these values (and the order of 0.005 would be one tap lower).
TEST(PanelText, ProductsAreTakenInFloatAsThePanelAlwaysShowedThem) {
    EXPECT_EQ(panelText(PanelText::attack, 0x1.99999ap-7f), "0.2 ms");
    EXPECT_EQ(panelText(PanelText::release, 0x1.205bcp-10f), "0.6 ms");
    EXPECT_EQ(panelText(PanelText::percent, 0x1.6872bp-8f), "0.6 %");
    EXPECT_EQ(panelText(PanelText::decibels, 0x1.47ae14p-10f), "-95.8  dB");
    EXPECT_EQ(panelText(PanelText::taps, 0x1.47ae14p-8f), "2 ");
}

TEST(PanelPlaces, ControlsFitThePanelHaveTheirPicturesSizeAndNeverOverlap) {
    const int32_t kPanelWidth = 368, kPanelHeight = 412;
    std::vector<PanelBox> places;
    int32_t knobs = 0, switches = 0;
    for (int32_t slot = 0; slot < kParameterSlots; ++slot) {
        const ParameterInfo& info = slotInfo(slot);
        const PanelBox& c = info.controlBox;
        SCOPED_TRACE(info.name);
        if (info.control == ControlKind::knob) {
            ++knobs;
            // One frame of the knob strip; a display of 48 x 16 pixels.
            EXPECT_EQ(c.right - c.left, 32);
            EXPECT_EQ(c.bottom - c.top, 32);
            const PanelBox& d = info.displayBox;
            EXPECT_EQ(d.right - d.left, 48);
            EXPECT_EQ(d.bottom - d.top, 16);
            EXPECT_NE(info.text, PanelText::none);
            places.push_back(d);
        } else {
            ++switches;
            EXPECT_EQ(c.right - c.left, 16);  // one picture of the switch bitmap
            EXPECT_EQ(c.bottom - c.top, 16);
            EXPECT_EQ(info.text, PanelText::none);
        }
        places.push_back(c);
    }
    EXPECT_EQ(knobs, 19);
    EXPECT_EQ(switches, 1);
    for (size_t i = 0; i < places.size(); ++i) {
        const PanelBox& a = places[i];
        EXPECT_TRUE(a.left >= 0 && a.top >= 0 && a.right <= kPanelWidth && a.bottom <= kPanelHeight)
            << "place " << i;
        for (size_t j = i + 1; j < places.size(); ++j)
            EXPECT_FALSE(overlap(a, places[j])) << "places " << i << " and " << j;
    }
}
