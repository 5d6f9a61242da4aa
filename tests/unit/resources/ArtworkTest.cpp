// The editor's pictures as compiled into the binary: sizes, frame layout, the white colour key
// of the knob strip, the pointer sweep, and a panel that leaves every control's place plain.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ResourcePicture.h"
#include "parameters/ParameterTable.h"

namespace {

struct Box {
    int left, top, right, bottom;  // right and bottom exclusive
};

Box boxOf(const PanelBox& b) { return {b.left, b.top, b.right, b.bottom}; }

// The places the editor puts its controls, from the parameter table the artwork is drawn from.
std::vector<Box> placesOf(ControlKind kind, bool displays = false) {
    std::vector<Box> places;
    for (int32_t slot = 0; slot < kParameterSlots; ++slot) {
        const ParameterInfo& info = slotInfo(slot);
        if (info.control == kind)
            places.push_back(boxOf(displays ? info.displayBox : info.controlBox));
    }
    return places;
}

const std::vector<Box> kKnobs = placesOf(ControlKind::knob);
const std::vector<Box> kDisplays = placesOf(ControlKind::knob, true);
const std::vector<Box> kSwitches = placesOf(ControlKind::onOffSwitch);

constexpr int kFrameSize = 32;
constexpr int kFrames = 101;

// Distance of a pixel's centre from the centre of its knob picture.
double radius(int x, int y) { return std::hypot(x + 0.5 - 16.0, y + 0.5 - 16.0); }

// True when every pixel of the box has the same colour.
bool plain(const ResourcePicture& pic, Box b) {
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x)
            if (pic.at(x, y) != pic.at(b.left, b.top)) return false;
    return true;
}

// The non-white pixels of one knob picture, row by row.
std::vector<bool> silhouette(const ResourcePicture& strip, int frame) {
    std::vector<bool> covered;
    for (int y = 0; y < kFrameSize; ++y)
        for (int x = 0; x < kFrameSize; ++x)
            covered.push_back(!strip.at(x, frame * kFrameSize + y).white());
    return covered;
}

// Direction of the darkest pixels (the pointer), in degrees clockwise from straight up.
double pointerAngle(const ResourcePicture& strip, int frame) {
    double sx = 0, sy = 0;
    for (int y = 0; y < kFrameSize; ++y)
        for (int x = 0; x < kFrameSize; ++x)
            if (strip.at(x, frame * kFrameSize + y).luminance() < 32) {
                sx += x + 0.5 - 16.0;
                sy += y + 0.5 - 16.0;
            }
    return std::atan2(sx, -sy) * 180.0 / 3.14159265358979;
}

}  // namespace

TEST(BitmapResources, EachPictureHasItsSizeAndDepth) {
    struct Expected {
        int id, width, height, bits;
    };
    for (Expected e :
         {Expected{128, 368, 412, 8}, Expected{129, 32, 3232, 8}, Expected{130, 16, 32, 24}}) {
        ResourcePicture pic = loadResourcePicture(e.id);
        ASSERT_EQ(pic.error, "") << "resource " << e.id;
        EXPECT_EQ(pic.width, e.width) << "resource " << e.id;
        EXPECT_EQ(pic.height, e.height) << "resource " << e.id;
        EXPECT_EQ(pic.bitCount, e.bits) << "resource " << e.id;
    }
}

TEST(BitmapResources, OtherNumbersFindNothing) {
    for (int id : {0, 1, 127, 131, -1}) {
        EXPECT_NE(loadResourcePicture(id).error, "") << "resource " << id;
    }
#ifndef _WIN32
    const unsigned char* data = reinterpret_cast<const unsigned char*>(&data);
    size_t size = 12345;
    EXPECT_FALSE(findBitmapResource(131, &data, &size));
    EXPECT_EQ(data, reinterpret_cast<const unsigned char*>(&data));
    EXPECT_EQ(size, 12345u);
    EXPECT_FALSE(findBitmapResource(128, nullptr, &size));
    EXPECT_FALSE(findBitmapResource(128, &data, nullptr));
#endif
}

#ifdef _WIN32
TEST(BitmapResources, WindowsLoadsEachByNumber) {
    struct Expected {
        int id, width, height;
    };
    for (Expected e : {Expected{128, 368, 412}, Expected{129, 32, 3232}, Expected{130, 16, 32}}) {
        HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(e.id));
        ASSERT_NE(bitmap, nullptr) << "resource " << e.id;
        BITMAP info = {};
        ASSERT_NE(GetObjectA(bitmap, sizeof info, &info), 0);
        EXPECT_EQ(info.bmWidth, e.width);
        EXPECT_EQ(info.bmHeight, e.height);
        DeleteObject(bitmap);
    }
}
#endif

TEST(KnobStrip, BackgroundIsExactlyWhiteAndTheKnobNeverNearWhite) {
    ResourcePicture strip = loadResourcePicture(129);
    ASSERT_EQ(strip.error, "");
    for (int frame = 0; frame < kFrames; ++frame) {
        for (int y = 0; y < kFrameSize; ++y) {
            for (int x = 0; x < kFrameSize; ++x) {
                const Rgb p = strip.at(x, frame * kFrameSize + y);
                const double r = radius(x, y);
                // The corners are key colour, exactly: a near-white pixel would be drawn.
                if (r > 17.5) {
                    ASSERT_TRUE(p.white()) << "frame " << frame << " at " << x << "," << y;
                }
                // The body is solid: no key-coloured hole lets the panel through.
                if (r < 13.0) {
                    ASSERT_FALSE(p.white()) << "frame " << frame << " at " << x << "," << y;
                }
                // Knob pixels stay clear of white even after a display of fewer colours rounds them.
                if (!p.white()) {
                    ASSERT_LE(std::max({p.r, p.g, p.b}), 240)
                        << "frame " << frame << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(KnobStrip, EveryFrameCoversTheSamePixels) {
    ResourcePicture strip = loadResourcePicture(129);
    ASSERT_EQ(strip.error, "");
    const std::vector<bool> first = silhouette(strip, 0);
    for (int frame = 1; frame < kFrames; ++frame) {
        EXPECT_EQ(silhouette(strip, frame), first) << "frame " << frame;
    }
}

TEST(KnobStrip, PointerSweeps270DegreesClockwiseFromSevenOClock) {
    ResourcePicture strip = loadResourcePicture(129);
    ASSERT_EQ(strip.error, "");
    EXPECT_NEAR(pointerAngle(strip, 0), -135.0, 6.0);   // lower left
    EXPECT_NEAR(pointerAngle(strip, 50), 0.0, 6.0);     // straight up
    EXPECT_NEAR(pointerAngle(strip, 100), 135.0, 6.0);  // lower right
    for (int frame = 0; frame < kFrames; ++frame) {
        EXPECT_NEAR(pointerAngle(strip, frame), -135.0 + 2.7 * frame, 6.0) << "frame " << frame;
    }
}

TEST(Panel, ControlPlacesArePlainAndDisplaysOutlinedInBlack) {
    ResourcePicture panel = loadResourcePicture(128);
    ASSERT_EQ(panel.error, "");
    // Nothing is drawn where a knob or the switch sits: no lettering, no box lines.
    ASSERT_EQ(kKnobs.size(), 19u);
    for (const Box& k : kKnobs) {
        EXPECT_TRUE(plain(panel, k)) << "knob at " << k.left << "," << k.top;
    }
    ASSERT_FALSE(kSwitches.empty());
    for (const Box& s : kSwitches) EXPECT_TRUE(plain(panel, s));
    const Rgb black{0, 0, 0};
    for (const Box& d : kDisplays) {
        for (int x = d.left; x < d.right; ++x) {
            EXPECT_EQ(panel.at(x, d.top), black) << "display at " << d.left << "," << d.top;
            EXPECT_EQ(panel.at(x, d.bottom - 1), black) << "display at " << d.left << "," << d.top;
        }
        for (int y = d.top; y < d.bottom; ++y) {
            EXPECT_EQ(panel.at(d.left, y), black) << "display at " << d.left << "," << d.top;
            EXPECT_EQ(panel.at(d.right - 1, y), black) << "display at " << d.left << "," << d.top;
        }
        EXPECT_TRUE(plain(panel, {d.left + 1, d.top + 1, d.right - 1, d.bottom - 1}))
            << "display at " << d.left << "," << d.top;
    }
}

TEST(KnobStrip, EdgeBlendsIntoThePanelGreyBehindTheKnobs) {
    ResourcePicture panel = loadResourcePicture(128);
    ResourcePicture strip = loadResourcePicture(129);
    ASSERT_EQ(panel.error, "");
    ASSERT_EQ(strip.error, "");
    // All knobs sit on one grey, so one strip suits every place.
    const Rgb behind = panel.at(kKnobs[0].left, kKnobs[0].top);
    for (const Box& k : kKnobs) EXPECT_EQ(panel.at(k.left, k.top), behind);

    // The outermost knob pixels are never lighter than that grey: a light halo would show
    // where the edge was smoothed against the white key instead.
    const std::vector<bool> covered = silhouette(strip, 0);
    auto inside = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < kFrameSize && y < kFrameSize && covered[y * kFrameSize + x];
    };
    int edgePixels = 0;
    for (int frame : {0, 50, 100}) {
        for (int y = 0; y < kFrameSize; ++y) {
            for (int x = 0; x < kFrameSize; ++x) {
                if (!inside(x, y) ||
                    (inside(x - 1, y) && inside(x + 1, y) && inside(x, y - 1) && inside(x, y + 1)))
                    continue;
                ++edgePixels;
                EXPECT_LE(strip.at(x, frame * kFrameSize + y).luminance(), behind.luminance() + 4)
                    << "frame " << frame << " at " << x << "," << y;
            }
        }
    }
    EXPECT_GT(edgePixels, 3 * 60);
}

TEST(Switch, OffIsARaisedLightSquareOverADarkerPressedOne) {
    ResourcePicture sw = loadResourcePicture(130);
    ASSERT_EQ(sw.error, "");
    long off = 0, on = 0;
    int differing = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            off += sw.at(x, y).luminance();
            on += sw.at(x, y + 16).luminance();
            differing += sw.at(x, y) != sw.at(x, y + 16);
        }
    }
    EXPECT_GT(differing, 16 * 16 / 2);
    EXPECT_GT(off / 256, on / 256 + 30);
    // Raised: lit top-left edge lighter than the shaded bottom-right; pressed: the reverse.
    EXPECT_GT(sw.at(1, 1).luminance(), sw.at(14, 14).luminance());
    EXPECT_LT(sw.at(1, 17).luminance(), sw.at(14, 30).luminance());
}
