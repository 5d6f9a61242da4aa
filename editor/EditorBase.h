#pragma once
// The binding of an editor to the host: rectangle, parent window, update request, idle, key
// and knob-mode hooks. The dispatcher's editor opcodes land here.

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

    EffectBase* getEffect() const { return effect; }

protected:
    EffectBase* effect;
    void* parentWindow;  // the host's window handle (HWND on Windows)
    int32_t updatePending;
};
