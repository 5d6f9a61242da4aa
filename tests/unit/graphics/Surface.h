#pragma once
// A memory surface to draw on and read back, on the native stand-in and on real GDI alike.

#include <vector>

#include "graphics/platform/Gdi.h"

struct Surface {
    Surface(int width, int height, gdi::ColorRef background = 0)
        : dc(gdi::createRasterDC(width, height)), width(width), height(height) {
        fill(0, 0, width, height, background);
    }
    ~Surface() { gdi::deleteRasterDC(dc); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    gdi::ColorRef at(int x, int y) const { return gdi::GetPixel(dc, x, y); }

    std::vector<gdi::ColorRef> pixels() const {
        std::vector<gdi::ColorRef> all;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) all.push_back(at(x, y));
        return all;
    }

    int count(gdi::ColorRef color) const {
        int found = 0;
        for (gdi::ColorRef each : pixels()) found += each == color;
        return found;
    }

    void fill(int left, int top, int right, int bottom, gdi::ColorRef color) {
        fillArea(dc, left, top, right, bottom, color);
    }

    static void fillArea(gdi::HDc target, int left, int top, int right, int bottom,
                         gdi::ColorRef color) {
        gdi::LogBrushRec description = {gdi::kBsSolid, color, 0};
        gdi::HBrush brush = gdi::CreateBrushIndirect(&description);
        gdi::RectRec area = {left, top, right, bottom};
        gdi::FillRect(target, &area, brush);
        gdi::DeleteObject(brush);
    }

    gdi::HDc dc;
    int width;
    int height;
};

inline gdi::ColorRef rgb(int red, int green, int blue) {
    return gdi::ColorRef(red) | (gdi::ColorRef(green) << 8) | (gdi::ColorRef(blue) << 16);
}
