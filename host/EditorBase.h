#pragma once
// The editor as the plug-in interface sees it: rectangle, parent window, update request, idle,
// key and knob-mode hooks, and parameter changes. The dispatcher's editor opcodes land here;
// the interface names no editor class, a concrete editor derives from it.

#include "host/AEffect.h"

class EffectBase;

class EditorBase {
public:
    explicit EditorBase(EffectBase* effect);
    EditorBase(const EditorBase&) = delete;
    EditorBase& operator=(const EditorBase&) = delete;

    // Virtual operations in their fixed slot order; all run on the host's UI thread.
    virtual ~EditorBase();
    virtual int32_t getRect(ERect** rect);
    virtual int32_t open(void* parentWindow);
    virtual void close();
    virtual void idle();
    virtual void update();
    virtual void requestUpdate();
    virtual int32_t onKeyDown(VstKeyCode* keyCode);
    virtual int32_t onKeyUp(VstKeyCode* keyCode);
    virtual int32_t setKnobMode(int32_t mode);
    virtual bool onWheel(float distance);
    // The effect calls this after every parameter set (host or editor), after requestUpdate;
    // may come from any thread the host sets parameters on.
    virtual void parameterChanged(int32_t index, float value);

    EffectBase* getEffect() const { return effect; }

protected:
    EffectBase* effect;
    void* parentWindow;  // the host's window handle (HWND on Windows)
    int32_t updatePending;
};
