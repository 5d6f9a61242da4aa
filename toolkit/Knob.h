#pragma once
// The rotary control: maps its value to an angle on a circle of the view's width, follows
// linear or circular drags (shift for fine moves), steps with the arrow keys and the wheel,
// resets to its default on control-click, and brackets each drag with begin and end of edit.
// Drawn by itself it shows a background bitmap and a handle line or handle bitmap.

#include <cstdint>

#include "graphics/Color.h"
#include "toolkit/Control.h"
#include "toolkit/TrackedDrag.h"

class Frame;

class Knob : public Control {
public:
    // Retains the handle bitmap; offset is the background's source offset.
    Knob(const Rect& size, ControlListener* listener, int32_t tag, Bitmap* background,
         Bitmap* handle, const Point& offset);
    ~Knob() override;

    void draw(DrawContext* context) override;
    // Left-button press on the knob (UI thread): reset gesture or a drag. Where the frame feeds
    // drags with the window's pointer messages (X11) the drag goes on after this returns;
    // elsewhere it polls the mouse until the button is released, pumping the editor's idle
    // work meanwhile.
    void mouse(DrawContext* context, const Point& where) override;
    // effEditKeyDown through the frame (UI thread): the arrow keys step the value.
    int32_t onKeyDown(KeyCode& key) override;
    bool onWheel(DrawContext* context, const Point& where, float distance) override;

    // Appended operations, in slot order.
    virtual void drawHandle(DrawContext* context);
    virtual void setStartAngle(float angle);
    virtual float getStartAngle() const;
    virtual void setRangeAngle(float angle);
    virtual float getRangeAngle() const;
    // The handle point for the current value, relative to the view's top-left.
    virtual void valueToPoint(Point& out) const;
    // The value whose angle the point (relative to the view's top-left) lies at.
    virtual float pointToValue(const Point& where) const;
    virtual void setHandleInset(int32_t inset);
    virtual void setHandleColor(const Color& color);
    virtual void setHandleShadowColor(const Color& color);
    virtual void setHandleBitmap(Bitmap* bitmap);
    virtual void setFineFactor(float factor);
    virtual float getFineFactor() const;

    int32_t getHandleInset() const { return inset; }
    float getRadius() const { return radius; }

protected:
    void compute();
    void notifyIfDirty(DrawContext* context);

    Point offset;
    Color shadowHandleColor;
    Color handleColor;
    Bitmap* handleBitmap;
    int32_t inset;
    float startAngle;
    float rangeAngle;
    float halfGap;
    float slope;
    float intercept;
    float radius;
    float fineFactor;

private:
    // One drag: begun by the press, moved by the pointer, ended by the release (or by the
    // editor's close). It holds a reference on the knob and on its frame while it lasts.
    class Drag : public TrackedDrag {
    public:
        explicit Drag(Knob& knob) : knob(knob) {}
        void begin(const Point& clicked, ButtonState state);
        bool move(DrawContext* context, const Point& where, ButtonState state) override;
        void end() override;
        bool closed() const;

    private:
        void linearStep(ButtonState buttons);
        Knob& knob;
        Frame* frame = nullptr;
        int32_t editTag = 0;
        bool linear = false;
        Point first;
        Point last;
        ButtonState lastState = 0;
        float range = 0.0f;
        float step = 0.0f;
        float startValue = 0.0f;
        float previous = 0.0f;
        float jumpLimit = 0.0f;
    };
    Drag drag{*this};
};
