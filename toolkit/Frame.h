#pragma once
// The root of the editor's view tree and its bridge to the platform: holds the child views,
// owns the native child window inside the host's window, turns paint and click messages into
// view calls with a fresh DrawContext each time, redraws dirty views at idle time, offers the
// controls a few editor services, and accepts text and files dropped onto the window.

#include <cstdint>

#include "graphics/DropReceiver.h"
#include "graphics/platform/Window.h"
#include "toolkit/View.h"

class Bitmap;
class DrawContext;
class DropTarget;
class FrameOwner;
class TrackedDrag;

class Frame : public View, public DropReceiver {
public:
    // Created by its owner, the editor, when the host opens it; size is (0, 0, width, height)
    // of the background. With a parent window the frame registers its window class, creates its
    // child window and enables dropping; without one it has no window.
    // The parent is the host's window handle as the editor received it (HWND on Windows).
    Frame(const Rect& size, void* parentWindow, FrameOwner* owner);
    // Deleted by the editor when the host closes it: drops, children, background, OLE, blit
    // library and window are released in that order.
    ~Frame() override;

    // View operations the frame redefines.
    void draw(DrawContext* context) override;
    void drawRect(DrawContext* context, const Rect& updateRect) override;
    void mouse(DrawContext* context, const Point& where) override;
    void update(DrawContext* context) override;
    int32_t onKeyDown(KeyCode& key) override;
    int32_t onKeyUp(KeyCode& key) override;
    bool onDrop(void** items, int32_t count, int32_t type, const Point& where) override;
    bool onWheel(DrawContext* context, const Point& where, float distance) override;
    FrameOwner* getEditor() const override;

    // Container operations, appended in this order.
    // Takes over the caller's reference; false (view not added) when the list cannot grow.
    virtual bool addView(View* view);
    virtual bool removeView(View* view, bool withRelease = true);
    virtual bool removeAll(bool withRelease = true);
    virtual bool isChild(View* view) const;
    virtual int32_t getViewCount() const;
    virtual View* getView(int32_t index) const;

    // Called by the editor.
    void setBackground(Bitmap* bitmap);
    Bitmap* getBackground() const { return background; }
    // Redraws whatever is dirty; false when closed, before the first paint or nothing is dirty.
    bool idle();
    // Draws the background and every child now.
    void redrawAll();
    // The window's pending native events (Linux); may release the frame's last reference when
    // a handler's host callback closes the editor, so the caller re-reads its frame pointer.
    void handleWindowEvents();

    // Services for views and controls.
    // Around a mouse drag: the owner tells the host that an edit gesture begins or ends.
    void beginEdit(int32_t index);
    void endEdit(int32_t index);
    // The owner's throttled idle work; controls call it on every pass of a drag loop.
    void runEditorIdle();
    void setFocusView(View* view);
    View* getFocusView() const { return focusView; }
    int32_t getKnobMode() const;
    // The cursor in window coordinates; always true.
    bool getCursorLocation(Point& where) const override;

    platform::WindowHandle getWindow() const { return window; }
    platform::WindowHandle getParentWindow() const { return parentWindow; }
    // False once the window is destroyed or the editor closed the frame; a control tracking
    // the mouse then ends its drag.
    bool isOpen() const { return open; }
    // Called by the editor when it lets go of the frame; the frame may live on only until a
    // drag in progress has ended (a drag fed by messages ends here).
    void markClosed();
    // True where drags are fed by the window's pointer messages across the host's idle calls
    // (X11); elsewhere a control polls the mouse inside the button-down message (Windows).
    bool dragsFollowMessages() const;
    // The drag that the window's pointer moves and left-button release go to until it ends;
    // the control holds its own references meanwhile. Clicks wait until it has ended.
    void trackDrag(TrackedDrag* drag);
    bool isDropEnabled() const { return dropEnabled; }
    bool isFirstDrawPending() const { return firstDrawPending; }
    void setDropEnabled(bool enable);

    // The process-wide knob mode, written by the editor (effSetEditKnobMode).
    static void setProcessKnobMode(int32_t mode);
    // The window class name "Plugin%08x" of this module and the number of frames whose
    // window exists (the class is registered while it is above 0).
    static const char* windowClassName();
    static int32_t windowClassUseCount();
    // The window procedure registered with the class; messages find their frame through the
    // window's user data.
    static intptr_t windowProcedure(platform::WindowHandle window, uint32_t message,
                                    uintptr_t wParam, intptr_t lParam);

private:
    // A DrawContext on the window's own device context for one call, released afterwards.
    class TemporaryContext;

    void registerWindowClass();
    void unregisterWindowClass();
    void paint(platform::WindowHandle window);
    void click(platform::WindowHandle window, intptr_t lParam);
    void followDrag(platform::WindowHandle window, intptr_t lParam, bool released);
    void endTrackedDrag();

    FrameOwner* owner;
    platform::WindowHandle parentWindow;
    Bitmap* background;
    int32_t childCount;
    int32_t childCapacity;
    View** children;
    View* focusView;
    bool firstDrawPending;
    bool open;
    bool dropEnabled;
    platform::WindowHandle window;
    platform::HModule blitLibrary;
    DropTarget* dropTarget;  // the registered target, not owned (OLE holds its reference)
    TrackedDrag* trackedDrag = nullptr;
};
