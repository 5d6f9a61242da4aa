#pragma once
// An editor that forwards the host's editor work to a Frame: key, wheel and redraw
// forwarding, the process-wide knob mode, registration with its effect, and the throttled
// idle work that controls run while they track the mouse.

#include <cstdint>

#include "host/EditorBase.h"
#include "toolkit/FrameOwner.h"

class Frame;

class GuiEditorBase : public EditorBase, public FrameOwner {
public:
    // Registers with the effect (setEditor) and initialises OLE for the calling thread.
    explicit GuiEditorBase(EffectBase* effect);
    // Runs when the effect is destroyed; balances the constructor's OleInitialize. The Frame
    // belongs to the concrete editor and is not touched here.
    ~GuiEditorBase() override;

    // effEditGetRect (UI thread): the rectangle the concrete editor's constructor set.
    int32_t getRect(ERect** rect) override;
    // effEditOpen (UI thread): requests an update and keeps the host's window; the concrete
    // editor then builds its Frame.
    int32_t open(void* parentWindow) override;
    // effEditIdle (UI thread): pending update, then the Frame redraws its dirty views.
    void idle() override;
    // effEditKeyDown / effEditKeyUp (UI thread): the Frame's key dispatch; -1 without a Frame.
    int32_t onKeyDown(VstKeyCode* keyCode) override;
    int32_t onKeyUp(VstKeyCode* keyCode) override;
    // effSetEditKnobMode (UI thread): stores the mode every knob reads.
    int32_t setKnobMode(int32_t mode) override;
    // No host opcode reaches this; the Frame's wheel dispatch at the cursor position.
    bool onWheel(float distance) override;

    // The effect's parameter changes: requests an update.
    void parameterChanged(int32_t index, float value) override;

    // Redraws everything now; the rectangle is ignored.
    virtual void draw(ERect* rect);

    // The frame's owner.
    // Called by controls on every pass of a mouse-drag loop: at most one run of the idle work
    // (update, dirty redraw, one pending paint message, the host's idle service) per ~100 ms,
    // sleeping 4 ms on the calls in between so the loop does not spin.
    void runIdleWork() override;

    // Edit gestures of the controls: audioMasterBeginEdit / audioMasterEndEdit through the effect.
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;

    Frame* getFrame() const { return frame; }

protected:
    ERect rect;  // set by the concrete editor's constructor
    Frame* frame;
    uint32_t nextIdleTime;
    bool inIdleWork;
};
