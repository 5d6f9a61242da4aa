// LoadBitmapA on Linux: the library's bitmap resources are embedded as complete
// .bmp files (resources/BitmapResources.h). Palettised (1, 4, 8 bits) and 24/32-bit
// uncompressed files, bottom-up or top-down, rows padded to 4 bytes. Every size and offset
// is checked against the file's length, so a damaged file loads as no bitmap rather than
// reading past its bytes.

#include <cstring>
#include <map>
#include <vector>

#include "graphics/platform/raster/RasterState.h"
#include "resources/BitmapResources.h"

namespace platform {
namespace {

std::map<int, std::vector<unsigned char>>& testResources() {
    static std::map<int, std::vector<unsigned char>> resources;
    return resources;
}

uint32_t read16(const unsigned char* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
uint32_t read32(const unsigned char* p) { return read16(p) | (read16(p + 2) << 16); }

HBitmap decode(const unsigned char* data, size_t size) {
    const size_t kFileHeader = 14;
    if (!data || size < kFileHeader + 40 || data[0] != 'B' || data[1] != 'M') return nullptr;
    const uint32_t pixelOffset = read32(data + 10);
    const uint32_t headerSize = read32(data + 14);
    if (headerSize < 40 || headerSize > size - kFileHeader) return nullptr;
    const int32_t width = int32_t(read32(data + 18));
    const int32_t rawHeight = int32_t(read32(data + 22));
    const uint32_t planes = read16(data + 26);
    const uint32_t bitsPerPixel = read16(data + 28);
    const uint32_t compression = read32(data + 30);
    uint32_t paletteCount = read32(data + 46);
    if (planes != 1 || compression != 0) return nullptr;
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24 &&
        bitsPerPixel != 32)
        return nullptr;
    const bool topDown = rawHeight < 0;
    const int64_t height = topDown ? -int64_t(rawHeight) : int64_t(rawHeight);
    if (width <= 0 || height <= 0 || width > 32768 || height > 32768) return nullptr;

    const unsigned char* palette = data + kFileHeader + headerSize;
    if (bitsPerPixel <= 8) {
        if (paletteCount == 0 || paletteCount > (1u << bitsPerPixel))
            paletteCount = 1u << bitsPerPixel;
        if (size_t(palette - data) + size_t(paletteCount) * 4 > size) return nullptr;
    }
    const size_t stride = (size_t(width) * bitsPerPixel + 31) / 32 * 4;
    if (pixelOffset > size || stride * size_t(height) > size - pixelOffset) return nullptr;

    HBitmap created = CreateBitmap(width, int(height), 1, 32, nullptr);
    raster::BitmapObject* target = raster::bitmap(created);
    if (!target) return nullptr;
    for (int64_t row = 0; row < height; row++) {
        const unsigned char* line = data + pixelOffset + size_t(row) * stride;
        const int64_t y = topDown ? row : height - 1 - row;
        for (int32_t x = 0; x < width; x++) {
            ColorRef color = 0;
            if (bitsPerPixel >= 24) {
                const unsigned char* p = line + size_t(x) * (bitsPerPixel / 8);  // B, G, R
                color = ColorRef(p[2]) | (ColorRef(p[1]) << 8) | (ColorRef(p[0]) << 16);
            } else {
                const size_t bit = size_t(x) * bitsPerPixel;
                const uint32_t index =
                    (line[bit / 8] >> (8 - bitsPerPixel - bit % 8)) & ((1u << bitsPerPixel) - 1);
                if (index < paletteCount) {
                    const unsigned char* entry = palette + index * 4;  // B, G, R, reserved
                    color =
                        ColorRef(entry[2]) | (ColorRef(entry[1]) << 8) | (ColorRef(entry[0]) << 16);
                }
            }
            target->pixels[size_t(y) * size_t(width) + size_t(x)] = color;
        }
    }
    return created;
}

}  // namespace

HBitmap LoadBitmapA(HModule, int resourceId) {
    // The raster has one module: the instance handle is not consulted.
    resourceId &= 0xFFFF;
    auto registered = testResources().find(resourceId);
    if (registered != testResources().end())
        return decode(registered->second.data(), registered->second.size());
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!findBitmapResource(resourceId, &data, &size)) return nullptr;
    return decode(data, size);
}

namespace raster {

void registerTestBitmapResource(int resourceId, const unsigned char* data, size_t size) {
    if (!data || size == 0) {
        testResources().erase(resourceId & 0xFFFF);
        return;
    }
    testResources()[resourceId & 0xFFFF].assign(data, data + size);
}

}  // namespace raster
}  // namespace platform
