#pragma once
// Receives the value changes a user makes on a control. The listener reads the new value and
// the tag from the control; it is not owned by the control and must outlive it.

class Control;
class DrawContext;

class ControlListener {
public:
    virtual ~ControlListener() = default;
    // context: the drawing context of the gesture, null for keyboard changes (UI thread).
    virtual void valueChanged(DrawContext* context, Control* control) = 0;
};
