#pragma once
// Where the drop target hands what is dropped onto a window: the frame of that window. The
// graphics layer names nothing above it; the frame implements this.

#include <cstdint>

#include "graphics/Point.h"

class DropReceiver {
public:
    // The cursor in the receiving window's coordinates.
    virtual bool getCursorLocation(Point& where) const = 0;
    // items: a list of `count` zero-terminated paths (type 0), or one pointer to a text block
    // of `count` bytes (type 1); the list lives only for the duration of the call.
    virtual bool onDrop(void** items, int32_t count, int32_t type, const Point& where) = 0;

protected:
    // Receivers are not deleted through this interface.
    ~DropReceiver() = default;
};
