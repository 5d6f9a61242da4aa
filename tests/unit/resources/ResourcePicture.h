#pragma once

// Reads the bitmap resources back into plain RGB pixels, independently of the graphics layer,
// so that the artwork tests see exactly what was compiled into the binary: the embedded .bmp
// files natively, the BITMAP resources (a DIB without file header) on Windows.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include "resources/BitmapResources.h"
#endif

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
    bool white() const { return r == 255 && g == 255 && b == 255; }
    int luminance() const { return (r * 299 + g * 587 + b * 114) / 1000; }
};

struct ResourcePicture {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::vector<Rgb> pixels;  // top row first
    std::string error;        // empty when the picture was read

    const Rgb& at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

namespace resource_picture_detail {

inline uint32_t u32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint16_t u16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline ResourcePicture failed(const char* why) {
    ResourcePicture pic;
    pic.error = why;
    return pic;
}

// Decodes an uncompressed 8- or 24-bit DIB: info header at `info`, `available` bytes from
// there, pixel rows at `bitsOffset` from `info`, or right after the palette when negative.
inline ResourcePicture decodeDib(const unsigned char* info, size_t available, long bitsOffset) {
    ResourcePicture pic;
    if (available < 40 || u32(info) != 40) return failed("no 40-byte info header");
    const int32_t width = static_cast<int32_t>(u32(info + 4));
    const int32_t height = static_cast<int32_t>(u32(info + 8));
    pic.bitCount = u16(info + 14);
    if (u16(info + 12) != 1 || u32(info + 16) != 0) return failed("planes/compression");
    if (width <= 0 || height <= 0) return failed("not a bottom-up picture");
    if (pic.bitCount != 8 && pic.bitCount != 24) return failed("bit depth");
    size_t colours = pic.bitCount == 8 ? (u32(info + 32) ? u32(info + 32) : 256) : 0;
    if (colours > 256 || 40 + 4 * colours > available) return failed("palette");
    if (bitsOffset < 0) bitsOffset = static_cast<long>(40 + 4 * colours);
    const size_t stride = ((static_cast<size_t>(width) * pic.bitCount + 31) / 32) * 4;
    if (static_cast<size_t>(bitsOffset) + stride * height > available)
        return failed("pixel rows run past the end");
    pic.width = width;
    pic.height = height;
    pic.pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = info + bitsOffset + stride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            if (pic.bitCount == 8 && row[x] >= colours) return failed("index past palette");
            const unsigned char* p = pic.bitCount == 24 ? row + 3 * x : info + 40 + 4 * row[x];
            pic.pixels[static_cast<size_t>(y) * width + x] = Rgb{p[2], p[1], p[0]};
        }
    }
    return pic;
}

}  // namespace resource_picture_detail

// Reads resource `id` of the running program. On failure `error` says what is wrong.
inline ResourcePicture loadResourcePicture(int id) {
    using namespace resource_picture_detail;
#ifdef _WIN32
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    HGLOBAL loaded = found ? LoadResource(self, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return failed("resource not found");
    return decodeDib(static_cast<const unsigned char*>(data), SizeofResource(self, found), -1);
#else
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!findBitmapResource(id, &data, &size)) return failed("resource not found");
    if (size < 54 || data[0] != 'B' || data[1] != 'M') return failed("no BM file header");
    if (u32(data + 2) != size) return failed("file size field differs from the bytes");
    const uint32_t bits = u32(data + 10);
    if (bits < 54 || bits >= size) return failed("pixel offset");
    return decodeDib(data + 14, size - 14, static_cast<long>(bits) - 14);
#endif
}
