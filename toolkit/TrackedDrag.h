#pragma once
// A drag that a control has begun and that the frame feeds with the window's pointer messages
// across idle calls, where the platform delivers them (X11): the control tracks the mouse
// without holding the host's thread. Where a control polls the mouse in a loop inside the
// button-down message instead (Windows), the same drag is driven by that loop.

#include "graphics/ButtonState.h"
#include "graphics/Point.h"

class DrawContext;

class TrackedDrag {
public:
    // The pointer at `where` (window coordinates) with the buttons and modifiers `state`.
    virtual bool move(DrawContext* context, const Point& where, ButtonState state) = 0;
    // The end of the drag: the host's end of edit, the references the drag held given back.
    virtual void end() = 0;

protected:
    ~TrackedDrag() = default;
};
