// Pixel rules and state rules of DrawContext, checked on the surface the platform gives:
// the native stand-in here, real GDI under wine.

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/DrawContext.h"
#include "graphics/platform/raster/RasterControls.h"
#include "platform_double/PlatformDouble.h"
#include "unit/graphics/Surface.h"

namespace {

const platform::ColorRef kRed = rgb(255, 0, 0);
const platform::ColorRef kGreen = rgb(0, 255, 0);
const platform::ColorRef kBlue = rgb(0, 0, 255);

platform::LogFontRec currentFont(platform::HDc dc) {
    platform::LogFontRec font;
    std::memset(&font, 0, sizeof font);
    EXPECT_EQ(int(sizeof font),
              platform::GetObjectA(platform::GetCurrentObject(dc, platform::kObjFont),
                                   int(sizeof font), &font));
    return font;
}

// Draws text through a DrawContext, or straight through DrawTextA with the same settings.
void drawText(Surface& surface, const Rect& rect, int alignment, bool throughContext,
              uint32_t rawFormat = 0, int rawLeftShift = 0) {
    DrawContext context(surface.dc, nullptr);
    context.setFont(3);
    context.setFontColor(kWhiteColor);
    context.setFillColor(Color(0, 0, 255));
    if (throughContext) {
        context.drawString("Ab8 x", rect, true, alignment);
    } else {
        platform::SetBkMode(surface.dc, platform::kOpaque);
        platform::RectRec area = {rect.left + rawLeftShift, rect.top, rect.right, rect.bottom};
        platform::DrawTextA(surface.dc, "Ab8 x", 5, &area, rawFormat);
    }
}

}  // namespace

TEST(DrawContextShapes, OutlineAndFillCoverTheBoxExactlyOnce) {
    Surface surface(40, 40);
    DrawContext context(surface.dc, nullptr);
    context.setFrameColor(Color(255, 0, 0));
    context.drawRect(Rect(10, 10, 20, 20));
    context.setFillColor(Color(0, 255, 0));
    context.fillRect(Rect(10, 10, 20, 20));

    for (int y = 0; y < 40; y++)
        for (int x = 0; x < 40; x++) {
            const bool inBox = x >= 10 && x <= 20 && y >= 10 && y <= 20;
            const bool onEdge = inBox && (x == 10 || x == 20 || y == 10 || y == 20);
            const platform::ColorRef expected = onEdge ? kRed : inBox ? kGreen : 0;
            ASSERT_EQ(expected, surface.at(x, y)) << "at " << x << "," << y;
        }
    EXPECT_EQ(40, surface.count(kRed));    // 11 x 11 outline
    EXPECT_EQ(81, surface.count(kGreen));  // 9 x 9 inside, x and y from 11 to 19
}

TEST(DrawContextShapes, LinesLeaveOutTheirEndPixel) {
    Surface surface(30, 30);
    DrawContext context(surface.dc, nullptr);
    context.setFrameColor(Color(255, 0, 0, 99));  // the fourth byte does not reach the pen
    context.moveTo(Point(5, 5));
    context.lineTo(Point(15, 5));
    context.lineTo(Point(15, 12));
    for (int x = 5; x < 15; x++) EXPECT_EQ(kRed, surface.at(x, 5)) << x;
    for (int y = 5; y < 12; y++) EXPECT_EQ(kRed, surface.at(15, y)) << y;
    EXPECT_EQ(0u, surface.at(15, 12));
    EXPECT_EQ(17, surface.count(kRed));
}

TEST(DrawContextShapes, SlopedLinesBreakTiesLikeGdi) {
    // Where the ideal line runs exactly between two pixels, the minor axis steps early only
    // when it runs towards smaller coordinates.
    struct Case {
        Point from, to;
        std::vector<Point> painted;
    };
    const std::vector<Case> cases = {
        {{0, 0}, {6, 3}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}},
        {{6, 3}, {0, 0}, {{6, 3}, {5, 2}, {4, 2}, {3, 1}, {2, 1}, {1, 0}}},
        {{0, 3}, {6, 0}, {{0, 3}, {1, 2}, {2, 2}, {3, 1}, {4, 1}, {5, 0}}},
        {{0, 0}, {3, 6}, {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}}},
        {{3, 0}, {0, 6}, {{3, 0}, {2, 1}, {2, 2}, {1, 3}, {1, 4}, {0, 5}}},
        {{16, 16},
         {2, 23},
         {{16, 16},
          {15, 16},
          {14, 17},
          {13, 17},
          {12, 18},
          {11, 18},
          {10, 19},
          {9, 19},
          {8, 20},
          {7, 20},
          {6, 21},
          {5, 21},
          {4, 22},
          {3, 22}}},
    };
    for (const Case& c : cases) {
        Surface surface(24, 24);
        DrawContext context(surface.dc, nullptr);
        context.setFrameColor(Color(255, 0, 0));
        context.moveTo(c.from);
        context.lineTo(c.to);
        for (const Point& p : c.painted)
            EXPECT_EQ(kRed, surface.at(p.x, p.y))
                << "(" << c.from.x << "," << c.from.y << ")-(" << c.to.x << "," << c.to.y << ") at "
                << p.x << "," << p.y;
        EXPECT_EQ(int(c.painted.size()), surface.count(kRed));
    }
}

TEST(DrawContextText, AlignmentFormatsAndTheLeftInset) {
    const Rect box(10, 10, 110, 34);
    const uint32_t common = platform::kDtVCenter | platform::kDtSingleLine | platform::kDtNoPrefix;
    struct Case {
        int alignment;
        uint32_t format;
        int shift;
    };
    for (const Case& c :
         {Case{0, platform::kDtLeft | common, 1}, Case{1, platform::kDtCenter | common, 0},
          Case{2, platform::kDtRight | common, 0}, Case{7, platform::kDtLeft | common, 1}}) {
        Surface viaContext(120, 40), direct(120, 40);
        drawText(viaContext, box, c.alignment, true);
        drawText(direct, box, c.alignment, false, c.format, c.shift);
        EXPECT_EQ(direct.pixels(), viaContext.pixels()) << "alignment " << c.alignment;
    }
    EXPECT_EQ(0x824u, platform::kDtLeft | common);
    EXPECT_EQ(0x825u, platform::kDtCenter | common);
    EXPECT_EQ(0x826u, platform::kDtRight | common);

    // Left-aligned opaque text: the background cell starts one pixel right of the edge.
    Surface left(120, 40), unshifted(120, 40);
    drawText(left, box, 0, true);
    drawText(unshifted, box, 0, false, platform::kDtLeft | common, 0);
    EXPECT_NE(unshifted.pixels(), left.pixels());
    int firstColumn = -1;
    for (int x = 0; x < 120 && firstColumn < 0; x++)
        for (int y = 0; y < 40; y++)
            if (left.at(x, y) != 0) {
                firstColumn = x;
                break;
            }
    EXPECT_EQ(11, firstColumn);
}

TEST(DrawContextText, OpaqueBoxIsPlacedByAlignmentAndCentredVertically) {
    const Rect box(10, 6, 130, 46);  // odd spare room either way tests the rounding
    for (int alignment : {0, 1, 2}) {
        for (int fontId : {1, 3, 6}) {
            Surface surface(140, 52);
            DrawContext context(surface.dc, nullptr);
            context.setFont(fontId);
            context.setFillColor(Color(0, 0, 255));
            context.drawString("Ostra 42", box, true, alignment);
            int left = 1000, top = 1000, right = -1, bottom = -1;  // inclusive bounds
            for (int y = 0; y < surface.height; y++)
                for (int x = 0; x < surface.width; x++)
                    if (surface.at(x, y) != 0) {
                        left = std::min(left, x);
                        right = std::max(right, x);
                        top = std::min(top, y);
                        bottom = std::max(bottom, y);
                    }
            ASSERT_GE(right, left);
            const int width = right - left + 1, height = bottom - top + 1;
            SCOPED_TRACE("alignment " + std::to_string(alignment) + ", font " +
                         std::to_string(fontId));
            if (alignment == 0) {
                EXPECT_EQ(box.left + 1, left);
            } else if (alignment == 1) {
                EXPECT_EQ(box.left + (box.width() - width) / 2, left);
            } else {
                EXPECT_EQ(box.right - 1, right);
            }
            EXPECT_EQ(box.top + (box.height() - height) / 2, top);
        }
    }
}

TEST(DrawContextText, OpaqueTextBacksWithTheFillColourAndLeavesTransparentMode) {
    Surface surface(120, 40);
    DrawContext context(surface.dc, nullptr);
    context.setFillColor(Color(0, 0, 255));
    context.setFontColor(Color(255, 0, 0));
    context.setFont(1);

    context.drawString("Mix", Rect(0, 0, 120, 40), false, 1);
    EXPECT_EQ(0, surface.count(kBlue));
    EXPECT_GT(surface.count(kRed), 0);
    EXPECT_EQ(platform::kTransparent, platform::GetBkMode(surface.dc));

    context.drawString("Mix", Rect(0, 0, 120, 40), true, 1);
    EXPECT_GT(surface.count(kBlue), 0);
    EXPECT_EQ(platform::kTransparent, platform::GetBkMode(surface.dc));

    // Text is clipped to its rectangle.
    Surface clipped(120, 40);
    DrawContext clipping(clipped.dc, nullptr);
    clipping.setFont(1);
    clipping.drawString("WWWWWWWWWWWW", Rect(20, 5, 40, 35), true, 0);
    for (int y = 0; y < 40; y++)
        for (int x = 0; x < 120; x++)
            if (x < 21 || x >= 40 || y < 5 || y >= 35) {
                ASSERT_EQ(0u, clipped.at(x, y)) << x << "," << y;
            }
    EXPECT_GT(clipped.count(0), 0);
    EXPECT_LT(clipped.count(0), 120 * 40);

    // A null text draws nothing and leaves the mode alone.
    const auto before = surface.pixels();
    platform::SetBkMode(surface.dc, platform::kOpaque);
    context.drawString(nullptr, Rect(0, 0, 120, 40), false, 0);
    EXPECT_EQ(before, surface.pixels());
    EXPECT_EQ(platform::kOpaque, platform::GetBkMode(surface.dc));
}

TEST(DrawContextFonts, TableFallbacksAndStyleBits) {
    Surface surface(8, 8);
    DrawContext context(surface.dc, nullptr);

    context.setFont(9, 0, 0);  // out of range: font 0, always bold
    EXPECT_EQ(0, context.getFontId());
    EXPECT_EQ(12, context.getFontSize());
    platform::LogFontRec font = currentFont(surface.dc);
    EXPECT_EQ(-12, font.lfHeight);
    EXPECT_EQ(700, font.lfWeight);
    EXPECT_STREQ("Arial", font.lfFaceName);
    EXPECT_EQ(34, font.lfPitchAndFamily);
    EXPECT_EQ(2, font.lfClipPrecision);
    EXPECT_EQ(1, font.lfOutPrecision);
    EXPECT_EQ(0, font.lfQuality);
    EXPECT_EQ(0, font.lfCharSet);
    EXPECT_EQ(0, font.lfItalic);
    EXPECT_EQ(0, font.lfUnderline);
    EXPECT_EQ(0, font.lfWidth);

    context.setFont(7, 0, 1);
    font = currentFont(surface.dc);
    EXPECT_EQ(7, context.getFontId());
    EXPECT_EQ(13, context.getFontSize());
    EXPECT_EQ(-13, font.lfHeight);
    EXPECT_EQ(700, font.lfWeight);
    EXPECT_STREQ("Symbol", font.lfFaceName);
    EXPECT_EQ(80, font.lfPitchAndFamily);

    context.setFont(2, 20, 6);
    font = currentFont(surface.dc);
    EXPECT_EQ(-20, font.lfHeight);
    EXPECT_EQ(400, font.lfWeight);
    EXPECT_EQ(1, font.lfItalic);
    EXPECT_EQ(1, font.lfUnderline);

    context.setFont(-1, 0, 0);
    EXPECT_EQ(0, context.getFontId());
    EXPECT_EQ(12, context.getFontSize());
}

TEST(DrawContextLifecycle, StartsWithDefaultsAndRestoresTheDeviceContext) {
    Surface surface(8, 8);
    platform::SetBkMode(surface.dc, platform::kOpaque);
    platform::HGdiObj pen = platform::GetCurrentObject(surface.dc, platform::kObjPen);
    platform::HGdiObj brush = platform::GetCurrentObject(surface.dc, platform::kObjBrush);
    platform::HGdiObj font = platform::GetCurrentObject(surface.dc, platform::kObjFont);
    {
        DrawContext context(surface.dc, nullptr);
        EXPECT_EQ(platform::kTransparent, platform::GetBkMode(surface.dc));
        EXPECT_EQ(0xFFFFFFu, platform::GetTextColor(surface.dc));
        EXPECT_EQ(0u, platform::GetBkColor(surface.dc));
        EXPECT_EQ(kWhiteColor, context.getFrameColor());
        EXPECT_EQ(kBlackColor, context.getFillColor());
        EXPECT_EQ(kWhiteColor, context.getFontColor());
        EXPECT_EQ(1, context.getPenWidth());
        // No font until setFont: text uses whatever the device context holds.
        EXPECT_EQ(font, platform::GetCurrentObject(surface.dc, platform::kObjFont));

        platform::LogPenRec penRecord = {};
        platform::HGdiObj ownPen = platform::GetCurrentObject(surface.dc, platform::kObjPen);
        EXPECT_NE(pen, ownPen);
        ASSERT_EQ(int(sizeof penRecord),
                  platform::GetObjectA(ownPen, int(sizeof penRecord), &penRecord));
        EXPECT_EQ(platform::kPsSolid, penRecord.lopnStyle);
        EXPECT_EQ(1, penRecord.lopnWidth.x);
        EXPECT_EQ(0xFFFFFFu, penRecord.lopnColor);

        platform::LogBrushRec brushRecord = {};
        platform::HGdiObj ownBrush = platform::GetCurrentObject(surface.dc, platform::kObjBrush);
        EXPECT_NE(brush, ownBrush);
        ASSERT_EQ(int(sizeof brushRecord),
                  platform::GetObjectA(ownBrush, int(sizeof brushRecord), &brushRecord));
        EXPECT_EQ(platform::kBsSolid, brushRecord.lbStyle);
        EXPECT_EQ(0u, brushRecord.lbColor);

        context.setFillColor(Color(1, 2, 3));
        EXPECT_EQ(rgb(1, 2, 3), platform::GetBkColor(surface.dc));
        context.setFont(4);
        EXPECT_NE(font, platform::GetCurrentObject(surface.dc, platform::kObjFont));
    }
    EXPECT_EQ(pen, platform::GetCurrentObject(surface.dc, platform::kObjPen));
    EXPECT_EQ(brush, platform::GetCurrentObject(surface.dc, platform::kObjBrush));
    EXPECT_EQ(font, platform::GetCurrentObject(surface.dc, platform::kObjFont));
}

#ifndef _WIN32
TEST(DrawContextLifecycle, HoldsAtMostOneOwnPenBrushAndFontAndDeletesThem) {
    const platform::raster::ObjectCounts start = platform::raster::objectCounts();
    {
        Surface surface(8, 8);
        const platform::raster::ObjectCounts withSurface = platform::raster::objectCounts();
        for (int pass = 0; pass < 50; pass++) {
            DrawContext context(surface.dc, nullptr);
            for (int change = 0; change < 5; change++) {
                context.setFrameColor(Color(uint8_t(change), 0, 0));
                context.setFillColor(Color(0, uint8_t(change), 0));
                context.setFont(change, 0, change);
            }
            const platform::raster::ObjectCounts during = platform::raster::objectCounts();
            ASSERT_EQ(withSurface.livePens() + 1, during.livePens());
            ASSERT_EQ(withSurface.liveBrushes() + 1, during.liveBrushes());
            ASSERT_EQ(withSurface.liveFonts() + 1, during.liveFonts());
        }
        const platform::raster::ObjectCounts after = platform::raster::objectCounts();
        EXPECT_EQ(withSurface.livePens(), after.livePens());
        EXPECT_EQ(withSurface.liveBrushes(), after.liveBrushes());
        EXPECT_EQ(withSurface.liveFonts(), after.liveFonts());
        EXPECT_EQ(withSurface.liveDcs(), after.liveDcs());
    }
    const platform::raster::ObjectCounts end = platform::raster::objectCounts();
    EXPECT_EQ(start.liveDcs(), end.liveDcs());
    EXPECT_EQ(start.liveBitmaps(), end.liveBitmaps());
}

TEST(DrawContextLifecycle, FailedCreationsKeepThePreviousObjects) {
    const platform::raster::ObjectCounts start = platform::raster::objectCounts();
    {
        Surface surface(30, 30);
        DrawContext context(surface.dc, nullptr);
        context.setFont(2);
        platform::HGdiObj font = platform::GetCurrentObject(surface.dc, platform::kObjFont);

        platform::raster::failObjectCreation(true);
        context.setFillColor(Color(0, 255, 0));
        context.setFrameColor(Color(255, 0, 0));
        context.setFont(5);
        platform::raster::failObjectCreation(false);

        // The colours are stored, but the black brush and the white pen stay in use.
        EXPECT_EQ(Color(0, 255, 0), context.getFillColor());
        EXPECT_EQ(Color(255, 0, 0), context.getFrameColor());
        EXPECT_EQ(font, platform::GetCurrentObject(surface.dc, platform::kObjFont));
        context.drawRect(Rect(2, 2, 12, 12));
        context.fillRect(Rect(2, 2, 12, 12));
        EXPECT_EQ(40, surface.count(0xFFFFFF));
        EXPECT_EQ(0, surface.count(kGreen) + surface.count(kRed));

        context.setFillColor(Color(0, 255, 0));  // creation works again
        context.fillRect(Rect(2, 2, 12, 12));
        EXPECT_EQ(81, surface.count(kGreen));
    }
    const platform::raster::ObjectCounts end = platform::raster::objectCounts();
    EXPECT_EQ(start.livePens(), end.livePens());
    EXPECT_EQ(start.liveBrushes(), end.liveBrushes());
    EXPECT_EQ(start.liveFonts(), end.liveFonts());
}

namespace {
bool windowAt200x100(platform::HWnd, platform::RectRec* rect) {
    *rect = platform::RectRec{200, 100, 568, 512};
    return true;
}
}  // namespace

TEST(DrawContextMouse, ButtonsFollowThePrimaryButtonAndLocationIsInWindowCoordinates) {
    platform::testdouble::releaseAllKeys();
    DrawContext context(nullptr, nullptr);  // mouse queries need no device context
    EXPECT_EQ(0, context.getMouseButtons());
    platform::testdouble::setKeyDown(platform::kVkLButton, true);
    EXPECT_EQ(kLButton, context.getMouseButtons());
    platform::testdouble::setKeyDown(platform::kVkShift, true);
    platform::testdouble::setKeyDown(platform::kVkMenu, true);
    platform::testdouble::setKeyDown(platform::kVkMButton, true);
    EXPECT_EQ(kLButton | kMButton | kShift | kAlt, context.getMouseButtons());
    platform::testdouble::releaseAllKeys();

    buttonsSwapped = true;
    platform::testdouble::setKeyDown(platform::kVkLButton, true);
    EXPECT_EQ(4, context.getMouseButtons());  // the physical left button is the secondary one
    platform::testdouble::releaseAllKeys();
    platform::testdouble::setKeyDown(platform::kVkRButton, true);
    platform::testdouble::setKeyDown(platform::kVkControl, true);
    EXPECT_EQ(17, context.getMouseButtons());
    buttonsSwapped = false;
    EXPECT_EQ(kRButton | kControl, context.getMouseButtons());
    platform::testdouble::releaseAllKeys();

    // Drawing without a device context does nothing (and does not fail).
    context.setFrameColor(kRedColor);
    context.drawRect(Rect(0, 0, 5, 5));
    context.fillRect(Rect(0, 0, 5, 5));
    context.setFont(2);
    context.drawString("x", Rect(0, 0, 5, 5));
    EXPECT_EQ(kRedColor, context.getFrameColor());

    platform::testdouble::setCursorPos(250, 130);
    Point where;
    context.getMouseLocation(where);
    EXPECT_EQ(Point(250, 130), where);  // no window: screen coordinates

    platform::testdouble::WindowRectHook previous =
        platform::testdouble::setWindowRectHook(&windowAt200x100);
    platform::HWnd fakeWindow = reinterpret_cast<platform::HWnd>(&where);
    DrawContext inWindow(nullptr, fakeWindow);
    EXPECT_EQ(Point(200, 100), inWindow.getWindowOrigin());
    inWindow.getMouseLocation(where);
    EXPECT_EQ(Point(50, 30), where);
    platform::testdouble::setCursorPos(150, 90);  // left of and above the window: negative
    inWindow.getMouseLocation(where);
    EXPECT_EQ(Point(-50, -10), where);
    platform::testdouble::setWindowRectHook(previous);
}
#endif

#ifdef _WIN32
namespace {
void sendMouse(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}
void sendKey(WORD key, bool down) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
}
}  // namespace

TEST(DrawContextMouse, ButtonsAndLocationFromTheSystem) {
    DrawContext context(nullptr, nullptr);
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(kLButton, context.getMouseButtons());
    buttonsSwapped = true;
    EXPECT_EQ(kRButton, context.getMouseButtons());  // the physical left is the secondary
    sendMouse(MOUSEEVENTF_LEFTUP);
    sendMouse(MOUSEEVENTF_RIGHTDOWN);
    sendKey(VK_CONTROL, true);
    EXPECT_EQ(17, context.getMouseButtons());
    buttonsSwapped = false;
    EXPECT_EQ(kRButton | kControl, context.getMouseButtons());
    sendKey(VK_CONTROL, false);
    sendMouse(MOUSEEVENTF_RIGHTUP);
    EXPECT_EQ(0, context.getMouseButtons());

    ASSERT_TRUE(SetCursorPos(300, 200));
    Point where;
    context.getMouseLocation(where);
    EXPECT_EQ(Point(300, 200), where);  // no window: screen coordinates

    HWND window = CreateWindowExA(0, "STATIC", "origin", WS_POPUP | WS_VISIBLE, 120, 90, 200, 100,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    DrawContext inWindow(nullptr, reinterpret_cast<platform::HWnd>(window));
    EXPECT_EQ(Point(120, 90), inWindow.getWindowOrigin());
    inWindow.getMouseLocation(where);
    EXPECT_EQ(Point(180, 110), where);
    DestroyWindow(window);
}
#endif
