#pragma once
// What a frame asks of whoever owns it (the editor): the begin and end of an edit gesture on a
// parameter, and the throttled idle work that controls run while they track the mouse. The
// toolkit names nothing above it; the editor implements this.

#include <cstdint>

class FrameOwner {
public:
    // Around a mouse drag on the control of a parameter index (UI thread).
    virtual void beginEdit(int32_t index) = 0;
    virtual void endEdit(int32_t index) = 0;
    // Called by controls on every pass of a mouse-drag loop (UI thread).
    virtual void runIdleWork() = 0;

protected:
    // Owners are not deleted through this interface.
    ~FrameOwner() = default;
};
