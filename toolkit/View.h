#pragma once
// The base of everything drawn in the editor window: a rectangle in frame coordinates, the
// parent frame, a dirty flag and a reference count, and the fixed table of virtual operations
// (drawing, mouse, keys, wheel, drop, focus, geometry, lifetime) with do-nothing defaults.

#include <cstdint>

#include "graphics/ButtonState.h"
#include "graphics/Point.h"
#include "graphics/Rect.h"
#include "toolkit/KeyCode.h"

class DrawContext;
class Frame;
class FrameOwner;

// The message text views may exchange through notify; no view of this system sends it.
extern const char* const kMsgCheckIfViewContainer;

class View {
public:
    explicit View(const Rect& size);
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    // Virtual operations in their fixed slot order; all run on the UI thread.
    virtual ~View();
    virtual void draw(DrawContext* context);
    virtual void drawRect(DrawContext* context, const Rect& updateRect);
    virtual bool overlaps(const Rect& rect) const;
    virtual void mouse(DrawContext* context, const Point& where);
    virtual void update(DrawContext* context);
    virtual int32_t notify(View* sender, const char* message);
    virtual int32_t onKeyDown(KeyCode& key);
    virtual int32_t onKeyUp(KeyCode& key);
    // items: a list of `count` zero-terminated paths (type 0), or one pointer to a text block
    // of `count` bytes (type 1); the list lives only for the duration of the call.
    virtual bool onDrop(void** items, int32_t count, int32_t type, const Point& where);
    virtual bool onWheel(DrawContext* context, const Point& where, float distance);
    virtual void focusLost(DrawContext* context);
    virtual void focusGained(DrawContext* context);
    virtual bool isDirty() const;
    virtual void setDirty(bool state = true);
    virtual void setMouseEnabled(bool enabled = true);
    virtual bool getMouseEnabled() const;
    virtual void setMouseArea(const Rect& area);
    virtual Rect& getMouseArea(Rect& out) const;
    virtual bool hitTest(const Point& where, const ButtonState& buttons) const;
    virtual void setTransparency(bool state);
    virtual bool getTransparency() const;
    virtual void setViewSize(const Rect& rect);
    virtual void getViewSize(Rect& out) const;
    virtual void setParentView(View* parent);
    virtual void setParentFrame(Frame* parent);
    virtual FrameOwner* getEditor() const;
    virtual bool onRemoved(View* parent);
    virtual bool onAttached(View* parent);
    virtual void release();
    virtual void retain();
    virtual int32_t getRefCount() const;

    // Plain accessors for the toolkit (not slots).
    const Rect& getSize() const { return size; }
    Frame* getParentFrame() const { return parentFrame; }
    View* getParentView() const { return parentView; }

protected:
    int32_t refCount;
    Rect size;
    Rect mouseArea;
    Frame* parentFrame;
    View* parentView;
    bool dirty;
    bool mouseEnabled;
    bool transparencyEnabled;
};
