// LoadBitmapA on Linux: the library's bitmap resources are embedded as complete
// .bmp files (resources/BitmapResources.h). Palettised (1, 4, 8 bits) and 24/32-bit
// uncompressed files, bottom-up or top-down, rows padded to 4 bytes. Every size and offset
// is checked against the file's length, so a damaged file loads as no bitmap rather than
// reading past its bytes. The pixels are decoded when the bitmap is first drawn (RasterState.h).

#include <cstring>
#include <list>
#include <map>
#include <vector>

#include "graphics/platform/raster/RasterState.h"
#include "resources/BitmapResources.h"

namespace platform {
namespace {

// Registered files stay in memory for the life of the program, even when another registration
// replaces them: a bitmap loaded from one may still be waiting to be decoded.
std::map<int, const std::vector<unsigned char>*>& testResources() {
    static std::map<int, const std::vector<unsigned char>*> resources;
    return resources;
}

std::list<std::vector<unsigned char>>& testResourceStore() {
    static std::list<std::vector<unsigned char>> store;
    return store;
}

uint32_t read16(const unsigned char* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
uint32_t read32(const unsigned char* p) { return read16(p) | (read16(p + 2) << 16); }

// Where a .bmp file keeps its pixels, once every size and offset has been checked against
// the file's length.
struct Layout {
    int32_t width = 0;
    int64_t height = 0;
    bool topDown = false;
    uint32_t bitsPerPixel = 0;
    uint32_t paletteCount = 0;
    size_t paletteOffset = 0;
    size_t pixelOffset = 0;
    size_t stride = 0;
};

bool parse(const unsigned char* data, size_t size, Layout& layout) {
    const size_t kFileHeader = 14;
    if (!data || size < kFileHeader + 40 || data[0] != 'B' || data[1] != 'M') return false;
    Layout found;
    found.pixelOffset = read32(data + 10);
    const uint32_t headerSize = read32(data + 14);
    if (headerSize < 40 || headerSize > size - kFileHeader) return false;
    found.width = int32_t(read32(data + 18));
    const int32_t rawHeight = int32_t(read32(data + 22));
    const uint32_t planes = read16(data + 26);
    found.bitsPerPixel = read16(data + 28);
    const uint32_t compression = read32(data + 30);
    found.paletteCount = read32(data + 46);
    const uint32_t bits = found.bitsPerPixel;
    if (planes != 1 || compression != 0) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
    found.topDown = rawHeight < 0;
    found.height = found.topDown ? -int64_t(rawHeight) : int64_t(rawHeight);
    if (found.width <= 0 || found.height <= 0 || found.width > 32768 || found.height > 32768)
        return false;

    found.paletteOffset = kFileHeader + headerSize;
    if (bits <= 8) {
        if (found.paletteCount == 0 || found.paletteCount > (1u << bits))
            found.paletteCount = 1u << bits;
        if (found.paletteOffset + size_t(found.paletteCount) * 4 > size) return false;
    }
    found.stride = (size_t(found.width) * bits + 31) / 32 * 4;
    if (found.pixelOffset > size || found.stride * size_t(found.height) > size - found.pixelOffset)
        return false;
    layout = found;
    return true;
}

void fill(const Layout& layout, const unsigned char* data, ColorRef* pixels) {
    const unsigned char* palette = data + layout.paletteOffset;
    const uint32_t bitsPerPixel = layout.bitsPerPixel;
    for (int64_t row = 0; row < layout.height; row++) {
        const unsigned char* line = data + layout.pixelOffset + size_t(row) * layout.stride;
        const int64_t y = layout.topDown ? row : layout.height - 1 - row;
        ColorRef* target = pixels + size_t(y) * size_t(layout.width);
        for (int32_t x = 0; x < layout.width; x++) {
            ColorRef color = 0;
            if (bitsPerPixel >= 24) {
                const unsigned char* p = line + size_t(x) * (bitsPerPixel / 8);  // B, G, R
                color = ColorRef(p[2]) | (ColorRef(p[1]) << 8) | (ColorRef(p[0]) << 16);
            } else {
                const size_t bit = size_t(x) * bitsPerPixel;
                const uint32_t index =
                    (line[bit / 8] >> (8 - bitsPerPixel - bit % 8)) & ((1u << bitsPerPixel) - 1);
                if (index < layout.paletteCount) {
                    const unsigned char* entry = palette + index * 4;  // B, G, R, reserved
                    color =
                        ColorRef(entry[2]) | (ColorRef(entry[1]) << 8) | (ColorRef(entry[0]) << 16);
                }
            }
            target[x] = color;
        }
    }
}

// Checks the file and makes a bitmap of its size; the pixels are decoded when first needed.
HBitmap load(const unsigned char* data, size_t size) {
    Layout layout;
    if (!parse(data, size, layout)) return nullptr;
    if (int64_t(layout.width) * layout.height > raster::kMaxBitmapPixels) return nullptr;
    return static_cast<HBitmap>(
        raster::adopt(new raster::BitmapObject(layout.width, int(layout.height), data, size)));
}

}  // namespace

HBitmap LoadBitmapA(HModule, int resourceId) {
    // The raster has one module: the instance handle is not consulted.
    resourceId &= 0xFFFF;
    auto registered = testResources().find(resourceId);
    if (registered != testResources().end())
        return load(registered->second->data(), registered->second->size());
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!findBitmapResource(resourceId, &data, &size)) return nullptr;
    return load(data, size);
}

namespace raster {

void BitmapObject::decodePixels() {
    if (!encoded) return;
    Layout layout;
    // The file was checked when the bitmap was made and has not changed since.
    if (parse(encoded, encodedSize, layout)) {
        pixels.resize(size_t(width) * size_t(height));
        fill(layout, encoded, pixels.data());
    } else {
        pixels.assign(size_t(width) * size_t(height), 0);
    }
    encoded = nullptr;
    encodedSize = 0;
}

void registerTestBitmapResource(int resourceId, const unsigned char* data, size_t size) {
    if (!data || size == 0) {
        testResources().erase(resourceId & 0xFFFF);
        return;
    }
    testResourceStore().emplace_back(data, data + size);
    testResources()[resourceId & 0xFFFF] = &testResourceStore().back();
}

}  // namespace raster
}  // namespace platform
