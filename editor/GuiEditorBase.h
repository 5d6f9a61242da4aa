#pragma once
// An editor that forwards a host's editor work to a Frame: key, wheel and redraw forwarding,
// the process-wide knob mode, update requests, and the throttled idle work that controls run
// while they track the mouse. It speaks to its plug-in only through an EditorController; a
// format's adapter turns the host's editor calls into these.

#include <cstdint>

#include "graphics/Rect.h"
#include "toolkit/FrameOwner.h"
#include "toolkit/KeyCode.h"

class EditorController;
class Frame;

class GuiEditorBase : public FrameOwner {
public:
    // Initialises OLE for the calling thread. The controller may be null (nothing to tell).
    explicit GuiEditorBase(EditorController* controller);
    GuiEditorBase(const GuiEditorBase&) = delete;
    GuiEditorBase& operator=(const GuiEditorBase&) = delete;
    // Balances the constructor's OleInitialize. The Frame belongs to the concrete editor and is
    // not touched here.
    virtual ~GuiEditorBase();

    // The panel's size, which the concrete editor's constructor sets (UI thread).
    const Rect& getRect() const { return rect; }
    // Opening (UI thread): requests an update and keeps the host's window; the concrete editor
    // then builds its Frame. Answers 1 when a panel is open.
    virtual int32_t open(void* parentWindow);
    virtual void close();
    // The host's idle call (UI thread): window events, pending update, then the Frame redraws
    // its dirty views.
    virtual void idle();
    virtual void update();
    virtual void requestUpdate();
    // Keys (UI thread): the Frame's key dispatch; -1 without a Frame.
    int32_t onKeyDown(KeyCode& key);
    int32_t onKeyUp(KeyCode& key);
    // Stores the mode every knob reads.
    int32_t setKnobMode(int32_t mode);
    // The Frame's wheel dispatch at the cursor position.
    bool onWheel(float distance);

    // A parameter changed (host or panel): requests an update. May come from any thread the
    // host sets parameters on.
    virtual void parameterChanged(int32_t index, float value);

    // Redraws everything now.
    virtual void draw();

    // The frame's owner.
    // Called by controls on every pass of a mouse-drag loop: at most one run of the idle work
    // (update, dirty redraw, one pending paint message, the host's idle service) per ~100 ms,
    // sleeping 4 ms on the calls in between so the loop does not spin.
    void runIdleWork() override;

    // Edit gestures of the controls, passed to the controller.
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;

    Frame* getFrame() const { return frame; }
    EditorController* getController() const { return controller; }

protected:
    EditorController* controller;
    Rect rect;  // set by the concrete editor's constructor
    void* parentWindow;  // the host's window handle (HWND on Windows, a Window id on X11)
    int32_t updatePending;
    Frame* frame;
    uint32_t nextIdleTime;
    bool inIdleWork;
};
