#pragma once
// A memory surface to draw on and read back, on the native stand-in and on real GDI alike.

#include <vector>

#include "graphics/platform/Gdi.h"

struct Surface {
    Surface(int width, int height, platform::ColorRef background = 0)
        : dc(platform::createRasterDC(width, height)), width(width), height(height) {
        fill(0, 0, width, height, background);
    }
    ~Surface() { platform::deleteRasterDC(dc); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    platform::ColorRef at(int x, int y) const { return platform::GetPixel(dc, x, y); }

    std::vector<platform::ColorRef> pixels() const {
        std::vector<platform::ColorRef> all;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) all.push_back(at(x, y));
        return all;
    }

    int count(platform::ColorRef color) const {
        int found = 0;
        for (platform::ColorRef each : pixels()) found += each == color;
        return found;
    }

    void fill(int left, int top, int right, int bottom, platform::ColorRef color) {
        fillArea(dc, left, top, right, bottom, color);
    }

    static void fillArea(platform::HDc target, int left, int top, int right, int bottom,
                         platform::ColorRef color) {
        platform::LogBrushRec description = {platform::kBsSolid, color, 0};
        platform::HBrush brush = platform::CreateBrushIndirect(&description);
        platform::RectRec area = {left, top, right, bottom};
        platform::FillRect(target, &area, brush);
        platform::DeleteObject(brush);
    }

    platform::HDc dc;
    int width;
    int height;
};

inline platform::ColorRef rgb(int red, int green, int blue) {
    return platform::ColorRef(red) | (platform::ColorRef(green) << 8) |
           (platform::ColorRef(blue) << 16);
}
