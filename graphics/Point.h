#pragma once
// A pixel position in window coordinates: x grows to the right, y downwards, (0, 0) is the
// top-left corner of the editor window's client area.

#include <cstdint>

struct Point {
    int32_t x = 0;
    int32_t y = 0;

    Point() = default;
    Point(int32_t x, int32_t y) : x(x), y(y) {}

    Point& offset(int32_t dx, int32_t dy) {
        x += dx;
        y += dy;
        return *this;
    }

    bool operator==(const Point& other) const { return x == other.x && y == other.y; }
    bool operator!=(const Point& other) const { return !(*this == other); }
    Point operator+(const Point& other) const { return Point(x + other.x, y + other.y); }
    Point operator-(const Point& other) const { return Point(x - other.x, y - other.y); }
};
