#pragma once
// A rectangle in window coordinates. Width and height (right - left, bottom - top) treat the
// right and bottom edges as exclusive, as blits and window sizes do; hit and overlap tests of
// views include both edges, and drawRect paints all four.

#include <cstdint>

#include "graphics/Point.h"

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    Rect() = default;
    Rect(int32_t left, int32_t top, int32_t right, int32_t bottom)
        : left(left), top(top), right(right), bottom(bottom) {}

    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    Point topLeft() const { return Point(left, top); }

    Rect& offset(int32_t dx, int32_t dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }

    // Both edges inclusive: the rule views use for hits.
    bool containsInclusive(const Point& where) const {
        return where.x >= left && where.x <= right && where.y >= top && where.y <= bottom;
    }

    bool operator==(const Rect& other) const {
        return left == other.left && top == other.top && right == other.right &&
               bottom == other.bottom;
    }
    bool operator!=(const Rect& other) const { return !(*this == other); }
};
