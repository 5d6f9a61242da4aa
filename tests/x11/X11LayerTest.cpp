// The Linux window layer as the plug-in uses it, on a real (virtual) X server: what an editor
// leaves behind after many open/close cycles, the switch to FreeType text, and text drawn by
// DrawTextA's placement rules with the outline font.

#include <dirent.h>
#include <gtest/gtest.h>

#include <string>

#include "graphics/platform/Gdi.h"
#include "graphics/platform/Window.h"
#include "graphics/platform/raster/Font.h"
#include "graphics/platform/raster/RasterControls.h"
#include "host/AEffect.h"
#include "plugin/VocoderEffect.h"

// Last: Xlib's macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xlib.h>

namespace {

int openDescriptors() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir)) count++;
        closedir(dir);
    }
    return count;
}

bool fileExists(const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (f) std::fclose(f);
    return f != nullptr;
}

class X11Host : public ::testing::Test {
protected:
    void SetUp() override {
        display = XOpenDisplay(nullptr);
        if (!display) GTEST_SKIP() << "no X display";
        parent =
            XCreateSimpleWindow(display, DefaultRootWindow(display), 100, 100, 368, 412, 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);
        record = effect.getAeffect();
    }
    void TearDown() override {
        if (!display) return;
        if (parent) XDestroyWindow(display, parent);
        XCloseDisplay(display);
    }
    intptr_t send(int32_t opcode, void* ptr = nullptr) {
        return record->dispatcher(record, opcode, 0, 0, ptr, 0.0f);
    }
    void* parentId() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(parent)); }
    // Idle until the first paint has come and gone.
    void idle(int times) {
        for (int i = 0; i < times; i++) {
            send(effEditIdle);
            XSync(display, False);
        }
    }

    Display* display = nullptr;
    ::Window parent = 0;
    VocoderEffect effect{nullptr};
    AEffect* record = nullptr;
};

TEST_F(X11Host, OpenCloseCyclesLeaveNoRasterObjectsConnectionsOrWindows) {
    // The first open loads the fonts (kept for the process); count from the second on.
    ASSERT_EQ(send(effEditOpen, parentId()), 1);
    idle(5);
    send(effEditClose);
    const platform::raster::ObjectCounts before = platform::raster::objectCounts();
    const int descriptors = openDescriptors();

    for (int cycle = 0; cycle < 50; cycle++) {
        ASSERT_EQ(send(effEditOpen, parentId()), 1);
        // Something to draw at idle besides the first paint.
        record->setParameter(record, cycle % 19, float(cycle % 10) / 10.0f);
        idle(3);
        send(effEditClose);
    }

    const platform::raster::ObjectCounts after = platform::raster::objectCounts();
    EXPECT_GT(after.dcsCreated, before.dcsCreated + 50);  // the cycles did draw
    EXPECT_EQ(after.liveDcs(), before.liveDcs());
    EXPECT_EQ(after.liveBitmaps(), before.liveBitmaps());
    EXPECT_EQ(after.livePens(), before.livePens());
    EXPECT_EQ(after.liveBrushes(), before.liveBrushes());
    EXPECT_EQ(after.liveFonts(), before.liveFonts());
    EXPECT_EQ(openDescriptors(), descriptors);
    ::Window root = 0, up = 0, *children = nullptr;
    unsigned int count = 1;
    ASSERT_TRUE(XQueryTree(display, parent, &root, &up, &children, &count));
    if (children) XFree(children);
    EXPECT_EQ(count, 0u);
}

int destroyMessages = 0;
intptr_t countingProcedure(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam) {
    if (message == platform::kMessageDestroy) destroyMessages++;
    return platform::defaultWindowProcedure(window, message, wParam, lParam);
}

TEST_F(X11Host, AWindowTheHostDestroyedFirstIsNoErrorForTheHost) {
    platform::registerWindowClass("X11LayerTest", &countingProcedure, nullptr);
    platform::WindowHandle window = platform::createChildWindow(
        "X11LayerTest", 50, 40, static_cast<platform::WindowHandle>(parentId()), nullptr);
    ASSERT_NE(window, nullptr);
    XDestroyWindow(display, parent);
    XSync(display, False);
    parent = 0;
    destroyMessages = 0;

    // Before the plug-in has seen the destruction: a drawing shown and a geometry query on the
    // window that is gone. The server answers with errors, which must not reach the process's
    // handler (Xlib's default one ends the program).
    platform::DeviceContext dc = platform::getWindowDC(window);
    ASSERT_NE(dc, nullptr);
    platform::releaseWindowDC(window, dc);
    platform::RectRec rect{};
    platform::GetWindowRect(window, &rect);

    // The destruction arrives as WM_DESTROY; then the frame's own destroy is harmless too.
    platform::dispatchWindowEvents(window);
    EXPECT_EQ(destroyMessages, 1);
    platform::destroyWindow(window);
    platform::unregisterWindowClass("X11LayerTest", nullptr);
    XSync(display, False);
}

TEST_F(X11Host, AKilledPanelConnectionClosesTheWindowQuietlyAndANewOneOpens) {
    platform::registerWindowClass("X11LayerTest", &countingProcedure, nullptr);
    const auto parentHandle = static_cast<platform::WindowHandle>(parentId());
    platform::WindowHandle window =
        platform::createChildWindow("X11LayerTest", 50, 40, parentHandle, nullptr);
    ASSERT_NE(window, nullptr);
    ::Window root = 0, up = 0, *children = nullptr;
    unsigned int count = 0;
    ASSERT_TRUE(XQueryTree(display, parent, &root, &up, &children, &count));
    ASSERT_EQ(count, 1u);
    XKillClient(display, children[0]);
    XFree(children);
    XSync(display, False);
    destroyMessages = 0;

    // The next idle finds the connection gone: the window says so once (WM_DESTROY, the frame
    // then counts as closed), and answers no geometry; nothing of it reaches the host.
    platform::dispatchWindowEvents(window);
    platform::dispatchWindowEvents(window);
    EXPECT_EQ(destroyMessages, 1);
    platform::RectRec rect{};
    EXPECT_EQ(platform::GetWindowRect(window, &rect), 0);
    platform::DeviceContext dc = platform::getWindowDC(window);
    platform::releaseWindowDC(window, dc);
    platform::destroyWindow(window);

    platform::WindowHandle again =
        platform::createChildWindow("X11LayerTest", 50, 40, parentHandle, nullptr);
    EXPECT_NE(again, nullptr);
    EXPECT_NE(platform::GetWindowRect(again, &rect), 0);
    platform::destroyWindow(again);
    platform::unregisterWindowClass("X11LayerTest", nullptr);
    XSync(display, False);
}

TEST_F(X11Host, TextTurnsToTheOutlineFontWithTheFirstEditorAndKeepsGdiPlacement) {
    ASSERT_EQ(send(effEditOpen, parentId()), 1);
    idle(2);
    send(effEditClose);
    const bool fontInstalled =
        fileExists("/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf") ||
        fileExists("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    if (!fontInstalled) {
        EXPECT_EQ(platform::raster::glyphSource(), nullptr);
        GTEST_SKIP() << "no font file: the built-in font stays";
    }
    ASSERT_NE(platform::raster::glyphSource(), nullptr);

    // A 12-pixel bold font, as the value displays use, laid out for "0.0 dB".
    platform::LogFontRec font{};
    font.lfHeight = -12;
    font.lfWeight = platform::kFwBold;
    platform::raster::TextImage image;
    ASSERT_TRUE(platform::raster::glyphSource()->layout(font, "0.0 dB", &image));
    // Arial's (and Liberation Sans's) cell at 12 pixels: ascent 11 and descent 3.
    EXPECT_EQ(image.height, 14);
    EXPECT_EQ(image.ascent, 11);
    EXPECT_GT(image.width, 25);
    EXPECT_LT(image.width, 45);

    // DrawTextA centres that cell in the rectangle: ink only inside the centred cell.
    platform::HDc dc = platform::createRasterDC(100, 40);
    platform::HFont handle = platform::CreateFontIndirectA(&font);
    platform::HGdiObj previous = platform::SelectObject(dc, handle);
    platform::SetTextColor(dc, 0xFFFFFF);
    platform::SetBkMode(dc, platform::kTransparent);
    platform::RectRec rect{0, 0, 100, 40};
    EXPECT_EQ(platform::DrawTextA(dc, "0.0 dB", -1, &rect,
                                  platform::kDtCenter | platform::kDtVCenter |
                                      platform::kDtSingleLine | platform::kDtNoPrefix),
              14);
    const int left = (100 - image.width) / 2, top = (40 - 14) / 2;
    int inkInside = 0, inkOutside = 0;
    for (int y = 0; y < 40; y++)
        for (int x = 0; x < 100; x++) {
            if (platform::GetPixel(dc, x, y) == 0) continue;
            const bool inCell = x >= left && x < left + image.width && y >= top && y < top + 14;
            (inCell ? inkInside : inkOutside)++;
        }
    EXPECT_GT(inkInside, 40);
    EXPECT_EQ(inkOutside, 0);
    platform::SelectObject(dc, previous);
    platform::DeleteObject(handle);
    platform::deleteRasterDC(dc);
}

}  // namespace
