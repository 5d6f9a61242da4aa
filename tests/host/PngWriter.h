#pragma once
// Writes 8-bit RGB pictures as PNG files: stored (uncompressed) deflate blocks, so no library
// is needed. Good enough for screenshots of a few hundred kilobytes.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace png {

inline uint32_t crc32(const unsigned char* data, size_t size, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < size; i++) {
        crc ^= data[i];
        for (int k = 0; k < 8; k++) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void put32(std::vector<unsigned char>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back((value >> shift) & 0xFF);
}

inline void chunk(std::vector<unsigned char>& file, const char* type,
                  const std::vector<unsigned char>& data) {
    put32(file, static_cast<uint32_t>(data.size()));
    std::vector<unsigned char> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    file.insert(file.end(), body.begin(), body.end());
    put32(file, crc32(body.data(), body.size()));
}

// rgb: width * height pixels as 0x00RRGGBB, rows top to bottom. False when the file cannot be
// written completely.
inline bool write(const std::string& path, const std::vector<uint32_t>& rgb, int width,
                  int height) {
    std::vector<unsigned char> raw;
    raw.reserve(static_cast<size_t>(height) * (width * 3 + 1));
    for (int y = 0; y < height; y++) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < width; x++) {
            const uint32_t p = rgb[static_cast<size_t>(y) * width + x];
            raw.push_back((p >> 16) & 0xFF);
            raw.push_back((p >> 8) & 0xFF);
            raw.push_back(p & 0xFF);
        }
    }
    std::vector<unsigned char> zlib = {0x78, 0x01};
    for (size_t at = 0; at < raw.size() || at == 0;) {
        const size_t length = raw.size() - at < 65535 ? raw.size() - at : 65535;
        const bool last = at + length >= raw.size();
        zlib.push_back(last ? 1 : 0);
        zlib.push_back(length & 0xFF);
        zlib.push_back((length >> 8) & 0xFF);
        zlib.push_back(~length & 0xFF);
        zlib.push_back((~length >> 8) & 0xFF);
        zlib.insert(zlib.end(), raw.begin() + at, raw.begin() + at + length);
        at += length;
        if (last) break;
    }
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    put32(zlib, (b << 16) | a);

    std::vector<unsigned char> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    put32(header, static_cast<uint32_t>(width));
    put32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
    chunk(file, "IHDR", header);
    chunk(file, "IDAT", zlib);
    chunk(file, "IEND", {});

    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool ok = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && ok;
}

}  // namespace png
