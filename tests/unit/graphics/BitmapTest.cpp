// Bitmaps: loading by resource number, reference counting, opaque and colour-keyed copies
// (TransparentBlt and the mask method), on the native stand-in and on real GDI under wine.

#include <gtest/gtest.h>

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#endif

#include "graphics/Bitmap.h"
#include "graphics/DrawContext.h"
#include "graphics/ModuleHandle.h"
#include "graphics/platform/raster/RasterControls.h"
#ifndef _WIN32
#include "graphics/platform/raster/RasterState.h"
#endif
#include "platform_double/PlatformDouble.h"
#include "unit/graphics/Surface.h"

namespace {

const platform::ColorRef kNavy = rgb(0, 0, 128);

void useOwnModule() {
#ifdef _WIN32
    // The test program carries the library's bitmap resources itself.
    moduleInstance = GetModuleHandleA(nullptr);
#endif
}

// Runs `paint` on a memory context that holds the bitmap, so a test can give it known pixels.
template <typename Paint>
void paintBitmap(Bitmap& bitmap, platform::HDc compatibleWith, Paint paint) {
    platform::HDc dc = platform::CreateCompatibleDC(compatibleWith);
    platform::HGdiObj previous = platform::SelectObject(dc, bitmap.getHandle());
    ASSERT_NE(nullptr, previous);
    paint(dc);
    platform::SelectObject(dc, previous);
    platform::DeleteDC(dc);
}

// Bitmap 130 (16 x 32) repainted white, with one near-white and one dark pixel.
Bitmap* keyedBitmap(platform::HDc compatibleWith) {
    Bitmap* bitmap = new Bitmap(130);
    EXPECT_EQ(16, bitmap->width);
    EXPECT_EQ(32, bitmap->height);
    paintBitmap(*bitmap, compatibleWith, [](platform::HDc dc) {
        Surface::fillArea(dc, 0, 0, 16, 32, rgb(255, 255, 255));
        platform::SetPixel(dc, 2, 3, rgb(254, 255, 255));
        platform::SetPixel(dc, 5, 5, rgb(10, 20, 30));
        platform::SetPixel(dc, 7, 20, rgb(255, 255, 254));
    });
    return bitmap;
}

struct SavedEntry {
    SavedEntry() : entry(transparentBltEntry) {}
    ~SavedEntry() { transparentBltEntry = entry; }
    platform::TransparentBltProc entry;
};

}  // namespace

TEST(BitmapLoading, ResourcesHaveTheirSizesAndAMissingOneIsEmpty) {
    useOwnModule();
    Bitmap* panel = new Bitmap(128);
    Bitmap* strip = new Bitmap(129);
    Bitmap* toggle = new Bitmap(130 + 0x10000);  // only the low 16 bits count
    EXPECT_EQ(368, panel->width);
    EXPECT_EQ(412, panel->height);
    EXPECT_EQ(32, strip->width);
    EXPECT_EQ(3232, strip->height);
    EXPECT_EQ(16, toggle->width);
    EXPECT_EQ(32, toggle->height);
    EXPECT_EQ(130 + 0x10000, toggle->getResourceId());
    EXPECT_EQ(kTransparentColor, toggle->getTransparentColor());
    EXPECT_EQ(1, toggle->getRefCount());
    panel->release();
    strip->release();
    toggle->release();

    Bitmap* missing = new Bitmap(999);
    EXPECT_EQ(0, missing->width);
    EXPECT_EQ(0, missing->height);
    EXPECT_EQ(nullptr, missing->getHandle());
    Surface surface(40, 40, kNavy);
    DrawContext context(surface.dc, nullptr);
    const auto before = surface.pixels();
    missing->draw(&context, Rect(0, 0, 40, 40), Point(0, 0));
    missing->drawTransparent(&context, Rect(0, 0, 40, 40), Point(0, 0));
    EXPECT_EQ(before, surface.pixels());
    missing->release();
}

TEST(BitmapDrawing, OpaqueCopyOfOneFilmStripFrame) {
    useOwnModule();
    Surface surface(64, 64, kNavy);
    Bitmap* strip = new Bitmap(129);
    ASSERT_EQ(3232, strip->height);
    paintBitmap(*strip, surface.dc, [](platform::HDc dc) {
        for (int frame = 0; frame < 101; frame++)
            Surface::fillArea(dc, 0, frame * 32, 32, frame * 32 + 32, rgb(frame, 100, 200));
        platform::SetPixel(dc, 5, 320 + 7, rgb(255, 0, 0));  // marks the eleventh frame's (5, 7)
    });

    DrawContext context(surface.dc, nullptr);
    strip->draw(&context, Rect(10, 10, 42, 42), Point(0, 320));
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            platform::ColorRef expected = kNavy;
            if (x >= 10 && x < 42 && y >= 10 && y < 42) expected = rgb(10, 100, 200);
            if (x == 15 && y == 17) expected = rgb(255, 0, 0);
            ASSERT_EQ(expected, surface.at(x, y)) << x << "," << y;
        }
    strip->release();
}

TEST(BitmapDrawing, KeyColourLeavesTheDestinationAndBothMethodsAgree) {
    useOwnModule();
    SavedEntry saved;
    platform::HModule library = obtainTransparentBlt();
    ASSERT_NE(nullptr, library);
    ASSERT_NE(nullptr, transparentBltEntry);  // NT platforms (and wine) have it
    const platform::TransparentBltProc entry = transparentBltEntry;

    Surface withEntry(48, 64, kNavy), withMask(48, 64, kNavy), opaque(48, 64, kNavy);
    Bitmap* bitmap = keyedBitmap(withEntry.dc);
    for (Surface* target : {&withEntry, &withMask}) {
        transparentBltEntry = target == &withEntry ? entry : nullptr;
        DrawContext context(target->dc, nullptr);
        bitmap->drawTransparent(&context, Rect(20, 20, 36, 52), Point(0, 0));
        // A part from an offset, to see the offset honoured by both paths.
        bitmap->drawTransparent(&context, Rect(0, 0, 8, 8), Point(1, 2));
    }
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 48; x++) {
            platform::ColorRef expected = kNavy;
            if (x == 22 && y == 23) expected = rgb(254, 255, 255);
            if (x == 25 && y == 25) expected = rgb(10, 20, 30);
            if (x == 27 && y == 40) expected = rgb(255, 255, 254);
            if (x == 1 && y == 1) expected = rgb(254, 255, 255);  // (2, 3) from offset (1, 2)
            if (x == 4 && y == 3) expected = rgb(10, 20, 30);
            ASSERT_EQ(expected, withEntry.at(x, y)) << "TransparentBlt at " << x << "," << y;
        }
    EXPECT_EQ(withEntry.pixels(), withMask.pixels());

    // The opaque copy takes the key colour along.
    DrawContext context(opaque.dc, nullptr);
    bitmap->draw(&context, Rect(20, 20, 36, 52), Point(0, 0));
    EXPECT_EQ(rgb(255, 255, 255), opaque.at(20, 20));
    EXPECT_EQ(rgb(10, 20, 30), opaque.at(25, 25));
    EXPECT_EQ(16 * 32 - 3, opaque.count(rgb(255, 255, 255)));

    bitmap->release();
    platform::FreeLibrary(library);
}

TEST(BitmapDrawing, MaskMethodRestoresTheDestinationColours) {
    useOwnModule();
    SavedEntry saved;
    transparentBltEntry = nullptr;
    Surface surface(20, 40, kNavy);
    Bitmap* bitmap = keyedBitmap(surface.dc);
    DrawContext context(surface.dc, nullptr);
    context.setFillColor(Color(1, 2, 3));
    context.setFontColor(Color(4, 5, 6));
    bitmap->drawTransparent(&context, Rect(0, 0, 16, 32), Point(0, 0));
    EXPECT_EQ(rgb(1, 2, 3), platform::GetBkColor(surface.dc));
    EXPECT_EQ(rgb(4, 5, 6), platform::GetTextColor(surface.dc));
    EXPECT_EQ(rgb(10, 20, 30), surface.at(5, 5));
    EXPECT_EQ(kNavy, surface.at(0, 0));
    bitmap->release();
}

TEST(BitmapDrawing, ABitmapHeldByAnotherContextDrawsNothing) {
    useOwnModule();
    SavedEntry saved;
    Surface surface(40, 40, kNavy);
    Bitmap* bitmap = new Bitmap(130);
    ASSERT_NE(nullptr, bitmap->getHandle());
    platform::HDc holder = platform::CreateCompatibleDC(surface.dc);
    platform::HGdiObj previous = platform::SelectObject(holder, bitmap->getHandle());
    ASSERT_NE(nullptr, previous);
    DrawContext context(surface.dc, nullptr);
    const auto before = surface.pixels();
    bitmap->draw(&context, Rect(0, 0, 16, 32), Point(0, 0));
    transparentBltEntry = nullptr;
    bitmap->drawTransparent(&context, Rect(0, 0, 16, 32), Point(0, 0));
    EXPECT_EQ(before, surface.pixels());

    platform::SelectObject(holder, previous);
    platform::DeleteDC(holder);
    bitmap->draw(&context, Rect(0, 0, 16, 32), Point(0, 0));  // free again: it draws
    EXPECT_NE(before, surface.pixels());
    bitmap->release();
}

#ifndef _WIN32
namespace {

// A .bmp file: bottom-up unless topDown; 24-bit, or 8-bit with a palette of `colours`.
std::vector<unsigned char> makeBmp(int width, int height, int bits, bool topDown,
                                   const std::vector<platform::ColorRef>& palette,
                                   const std::vector<uint32_t>& values /* row-major, top first */) {
    const int stride = (width * bits + 31) / 32 * 4;
    const int paletteBytes = bits == 8 ? int(palette.size()) * 4 : 0;
    const int offset = 14 + 40 + paletteBytes;
    std::vector<unsigned char> file(size_t(offset + stride * height), 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; i++) file[at + i] = (v >> (8 * i)) & 0xFF;
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, uint32_t(file.size()));
    put32(10, uint32_t(offset));
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(topDown ? -height : height));
    file[26] = 1;
    file[28] = uint8_t(bits);
    put32(46, bits == 8 ? uint32_t(palette.size()) : 0);
    for (size_t i = 0; bits == 8 && i < palette.size(); i++) {
        file[54 + i * 4 + 0] = (palette[i] >> 16) & 0xFF;  // blue
        file[54 + i * 4 + 1] = (palette[i] >> 8) & 0xFF;
        file[54 + i * 4 + 2] = palette[i] & 0xFF;  // red
    }
    for (int y = 0; y < height; y++) {
        const int fileRow = topDown ? y : height - 1 - y;
        for (int x = 0; x < width; x++) {
            const uint32_t v = values[size_t(y * width + x)];
            unsigned char* p = &file[size_t(offset + fileRow * stride)];
            if (bits == 8) {
                p[x] = uint8_t(v);
            } else {
                p[x * 3 + 0] = (v >> 16) & 0xFF;
                p[x * 3 + 1] = (v >> 8) & 0xFF;
                p[x * 3 + 2] = v & 0xFF;
            }
        }
        // Padding bytes carry junk that must not show up anywhere.
        for (int pad = width * bits / 8; pad < stride; pad++)
            file[size_t(offset + fileRow * stride + pad)] = 0xAB;
    }
    return file;
}

std::vector<platform::ColorRef> drawnPixels(int id, int width, int height) {
    Surface surface(width, height, kNavy);
    DrawContext context(surface.dc, nullptr);
    Bitmap* bitmap = new Bitmap(id);
    EXPECT_EQ(width, bitmap->width);
    EXPECT_EQ(height, bitmap->height);
    bitmap->draw(&context, Rect(0, 0, width, height), Point(0, 0));
    bitmap->release();
    return surface.pixels();
}

}  // namespace

TEST(BitmapFiles, PalettisedAndTrueColourFilesInEitherRowOrder) {
    const std::vector<platform::ColorRef> colours = {rgb(1, 2, 3), rgb(250, 128, 7),
                                                     rgb(0, 255, 64)};
    const std::vector<uint32_t> indices = {0, 1, 2, 1, 0,  //
                                           2, 2, 0, 1, 1,  //
                                           1, 0, 0, 0, 2};
    std::vector<platform::ColorRef> expected;
    for (uint32_t i : indices) expected.push_back(colours[i]);
    for (bool topDown : {false, true}) {
        const auto file = makeBmp(5, 3, 8, topDown, colours, indices);  // 3 padding bytes a row
        platform::raster::registerTestBitmapResource(501, file.data(), file.size());
        EXPECT_EQ(expected, drawnPixels(501, 5, 3)) << "8-bit, top-down " << topDown;

        const auto trueColour = makeBmp(5, 3, 24, topDown, {}, expected);  // 1 padding byte
        platform::raster::registerTestBitmapResource(502, trueColour.data(), trueColour.size());
        EXPECT_EQ(expected, drawnPixels(502, 5, 3)) << "24-bit, top-down " << topDown;
    }
    platform::raster::registerTestBitmapResource(501, nullptr, 0);
    platform::raster::registerTestBitmapResource(502, nullptr, 0);
}

TEST(BitmapFiles, DamagedFilesLoadAsNoBitmap) {
    const std::vector<platform::ColorRef> colours = {rgb(1, 2, 3), rgb(4, 5, 6)};
    const auto good = makeBmp(4, 4, 8, false, colours, std::vector<uint32_t>(16, 1));
    std::vector<std::vector<unsigned char>> damaged;
    damaged.push_back(std::vector<unsigned char>(good.begin(), good.end() - 1));  // truncated
    damaged.push_back(std::vector<unsigned char>(good.begin(), good.begin() + 20));
    damaged.push_back(good);
    damaged.back()[0] = 'X';  // not a bitmap file
    damaged.push_back(good);
    damaged.back()[10] = 0xF0;  // pixels beyond the end
    damaged.push_back(good);
    damaged.back()[18] = 0xFF;  // width far beyond the bytes
    damaged.back()[19] = 0xFF;
    damaged.push_back(good);
    damaged.back()[30] = 1;  // compressed
    damaged.push_back(good);
    damaged.back()[14] = 0xFF;  // header larger than the file
    damaged.back()[17] = 0x7F;

    const platform::raster::ObjectCounts start = platform::raster::objectCounts();
    for (size_t i = 0; i < damaged.size(); i++) {
        platform::raster::registerTestBitmapResource(503, damaged[i].data(), damaged[i].size());
        Bitmap* bitmap = new Bitmap(503);
        EXPECT_EQ(0, bitmap->width) << "file " << i;
        EXPECT_EQ(0, bitmap->height) << "file " << i;
        EXPECT_EQ(nullptr, bitmap->getHandle()) << "file " << i;
        bitmap->release();
    }
    EXPECT_EQ(start.liveBitmaps(), platform::raster::objectCounts().liveBitmaps());

    platform::raster::registerTestBitmapResource(503, good.data(), good.size());
    EXPECT_EQ(std::vector<platform::ColorRef>(16, rgb(4, 5, 6)), drawnPixels(503, 4, 4));
    platform::raster::registerTestBitmapResource(503, nullptr, 0);
}

// Loading only checks the file: the pixels are decoded when the bitmap is first drawn, so an
// effect whose editor never opens does not pay for its panel. They must still be the pixels of
// the file it was loaded from, even after another file took that resource number.
TEST(BitmapFiles, PixelsAreDecodedWhenFirstDrawnFromTheFileLoaded) {
    const std::vector<platform::ColorRef> first = {rgb(1, 2, 3), rgb(4, 5, 6)};
    const std::vector<platform::ColorRef> second = {rgb(7, 8, 9), rgb(10, 11, 12)};
    const auto before = makeBmp(2, 1, 24, false, {}, first);
    platform::raster::registerTestBitmapResource(504, before.data(), before.size());
    Bitmap* loaded = new Bitmap(504);
    const platform::raster::BitmapObject* object = platform::raster::bitmap(loaded->getHandle());
    ASSERT_NE(nullptr, object);
    EXPECT_TRUE(object->pixels.empty());

    {
        std::vector<unsigned char> after = makeBmp(2, 1, 24, false, {}, second);
        platform::raster::registerTestBitmapResource(504, after.data(), after.size());
        std::fill(after.begin(), after.end(), 0);  // the registration keeps its own copy
    }
    Surface surface(2, 1, kNavy);
    DrawContext context(surface.dc, nullptr);
    loaded->draw(&context, Rect(0, 0, 2, 1), Point(0, 0));
    EXPECT_EQ(first, surface.pixels());
    loaded->release();
    EXPECT_EQ(second, drawnPixels(504, 2, 1));
    platform::raster::registerTestBitmapResource(504, nullptr, 0);
}

TEST(BitmapLifetime, LastReleaseDeletesThePlatformBitmap) {
    const platform::raster::ObjectCounts start = platform::raster::objectCounts();
    Bitmap* bitmap = new Bitmap(130);
    EXPECT_EQ(start.liveBitmaps() + 1, platform::raster::objectCounts().liveBitmaps());
    bitmap->retain();
    EXPECT_EQ(2, bitmap->getRefCount());
    bitmap->release();
    EXPECT_EQ(1, bitmap->getRefCount());
    EXPECT_EQ(start.liveBitmaps() + 1, platform::raster::objectCounts().liveBitmaps());
    bitmap->release();
    EXPECT_EQ(start.liveBitmaps(), platform::raster::objectCounts().liveBitmaps());
}

TEST(BitmapDrawing, EveryDrawDeletesWhatItCreates) {
    SavedEntry saved;
    Surface surface(40, 40);
    Bitmap* bitmap = new Bitmap(130);
    platform::HModule library = obtainTransparentBlt();
    const platform::TransparentBltProc entry = transparentBltEntry;
    ASSERT_NE(nullptr, entry);
    const platform::raster::ObjectCounts start = platform::raster::objectCounts();
    for (int pass = 0; pass < 200; pass++) {
        transparentBltEntry = pass % 2 ? nullptr : entry;
        DrawContext context(surface.dc, nullptr);
        bitmap->draw(&context, Rect(0, 0, 16, 16), Point(0, 16));
        bitmap->drawTransparent(&context, Rect(10, 10, 26, 42), Point(0, 0));
    }
    const platform::raster::ObjectCounts end = platform::raster::objectCounts();
    EXPECT_EQ(start.liveBitmaps(), end.liveBitmaps());
    EXPECT_EQ(start.liveDcs(), end.liveDcs());
    EXPECT_EQ(start.livePens(), end.livePens());
    EXPECT_EQ(start.liveBrushes(), end.liveBrushes());
    EXPECT_EQ(100, end.bitmapsCreated - start.bitmapsCreated);  // one mask per masked draw
    bitmap->release();
    platform::FreeLibrary(library);
}

TEST(TransparentBltEntry, ObtainedOnlyFromALoadedLibraryOnNtPlatforms) {
    SavedEntry saved;
    const int loaded = platform::testdouble::loadedLibraryCount();

    platform::HModule library = obtainTransparentBlt();
    EXPECT_NE(nullptr, library);
    EXPECT_NE(nullptr, transparentBltEntry);
    EXPECT_EQ(loaded + 1, platform::testdouble::loadedLibraryCount());
    platform::FreeLibrary(library);

    platform::testdouble::setPlatformId(
        1);  // the 9x family: the library loads, the entry stays absent
    library = obtainTransparentBlt();
    EXPECT_NE(nullptr, library);
    EXPECT_EQ(nullptr, transparentBltEntry);
    platform::FreeLibrary(library);
    platform::testdouble::setPlatformId(platform::kVerPlatformWin32Nt);

    transparentBltEntry = reinterpret_cast<platform::TransparentBltProc>(1);  // a stale entry
    platform::testdouble::setLibraryAvailable("msimg32.dll", false);
    EXPECT_EQ(nullptr, obtainTransparentBlt());
    EXPECT_EQ(nullptr, transparentBltEntry);
    platform::testdouble::setLibraryAvailable("msimg32.dll", true);
    EXPECT_EQ(loaded, platform::testdouble::loadedLibraryCount());
}
#endif
