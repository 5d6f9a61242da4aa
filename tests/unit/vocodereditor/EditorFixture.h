#pragma once
// A vocoder effect with a recording host and its editor. On the native stand-in the editor
// opens in a stand-in host window, and a mouse script advances with the host's idle service
// while a control holds the mouse; on Windows it opens without a window (no parent).

#include <cstdint>
#include <string>
#include <vector>

#include "editor/VocoderEditor.h"
#include "toolkit/Frame.h"
#ifndef _WIN32
#include "platform_double/PlatformDouble.h"
#endif
#include "host/AEffect.h"
#include "plugin/VocoderEffect.h"
#include "plugin/VstEditor.h"
#include "toolkit/ValueDisplay.h"
#include "unit/controls/ControlTestSupport.h"

struct HostCall {
    int32_t opcode;
    int32_t index;
    float value;
};

struct EditorHost {
    std::vector<HostCall> calls;
#ifndef _WIN32
    MouseScript script;
#endif
    int idleCalls = 0;
    // A host that closes the editor from inside its idle or automation callback (the user
    // closed the plug-in window while holding the mouse): at the n-th such call, counted from 1.
    AEffect* record = nullptr;
    int closeAtIdle = 0;
    int closeAtAutomate = 0;
    int automateCalls = 0;
};

// The host the current test runs; the callback has no user pointer of its own.
extern EditorHost* currentHost;

inline intptr_t VSTCALLBACK recordingHost(AEffect*, int32_t opcode, int32_t index, intptr_t, void*,
                                          float opt) {
    if (!currentHost) return 0;
    if (opcode == audioMasterVersion) return 2400;
    EditorHost* host = currentHost;
    if (opcode == audioMasterIdle) {
        host->idleCalls++;
#ifndef _WIN32
        host->script.advance();
#endif
        if (host->idleCalls == host->closeAtIdle)
            host->record->dispatcher(host->record, effEditClose, 0, 0, nullptr, 0.0f);
    } else {
        host->calls.push_back({opcode, index, opt});
        if (opcode == audioMasterAutomate && ++host->automateCalls == host->closeAtAutomate)
            host->record->dispatcher(host->record, effEditClose, 0, 0, nullptr, 0.0f);
    }
    return 0;
}

// The effect keeps its editor to itself; tests reach it through this subclass.
struct EffectWithEditor : VocoderEffect {
    using VocoderEffect::VocoderEffect;
    EditorBase* editorObject() const { return editor; }
};

struct OpenEditor {
    OpenEditor() {
        useOwnModule();
        currentHost = &host;
        effect = new EffectWithEditor(&recordingHost);
        record = effect->getAeffect();
        host.record = record;
        auto* adapter = dynamic_cast<VstEditor*>(effect->editorObject());
        editor = adapter ? dynamic_cast<VocoderEditor*>(adapter->getPanel()) : nullptr;
#ifndef _WIN32
        platform::testdouble::releaseAllKeys();
        hostWindow = platform::testdouble::createHostWindow(100, 80, 500, 500);
#endif
    }
    ~OpenEditor() {
        delete effect;
#ifndef _WIN32
        platform::testdouble::destroyHostWindow(hostWindow);
        platform::testdouble::releaseAllKeys();
#endif
        currentHost = nullptr;
    }
    OpenEditor(const OpenEditor&) = delete;
    OpenEditor& operator=(const OpenEditor&) = delete;

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) {
        return record->dispatcher(record, opcode, index, value, ptr, opt);
    }
    intptr_t open() { return dispatch(effEditOpen, 0, 0, hostWindow); }
    void close() { dispatch(effEditClose); }
    void set(int32_t index, float value) { record->setParameter(record, index, value); }
    float get(int32_t index) { return record->getParameter(record, index); }

    Frame* frame() const { return editor->getFrame(); }
    platform::WindowHandle window() const { return frame() ? frame()->getWindow() : nullptr; }

    std::string text(int32_t index) const {
        ValueDisplay* display = editor->getDisplay(index);
        if (!display) return "<none>";
        char buffer[ValueDisplay::kTextBufferSize];
        display->formatValue(buffer);
        return buffer;
    }

#ifndef _WIN32
    // A button press at client position (x, y) delivered through the window procedure, with the
    // stand-in cursor there; the script then runs the drag until it is used up.
    void press(int32_t x, int32_t y, ButtonState held) {
        platform::RectRec r{0, 0, 0, 0};
        platform::GetWindowRect(window(), &r);
        applyMouse(r.left + x, r.top + y, held);
        const uint32_t message = (held & kLButton)   ? platform::kMessageLeftButtonDown
                                 : (held & kRButton) ? platform::kMessageRightButtonDown
                                                     : platform::kMessageMiddleButtonDown;
        platform::testdouble::sendMessage(window(), message, 0,
                                          platform::testdouble::pointParam(x, y));
        platform::testdouble::releaseAllKeys();
    }
    // Script steps are in client coordinates; the stand-in cursor is in screen coordinates.
    void scriptFrom(int32_t x, int32_t y) {
        platform::RectRec r{0, 0, 0, 0};
        platform::GetWindowRect(window(), &r);
        host.script.clear();
        host.script.from(r.left + x, r.top + y);
        originX = r.left;
        originY = r.top;
    }
    void scriptMove(int32_t x, int32_t y, ButtonState held, int32_t count) {
        host.script.moveTo(originX + x, originY + y, held, count);
    }
#endif

    EditorHost host;
    EffectWithEditor* effect;
    AEffect* record;
    VocoderEditor* editor;
    platform::WindowHandle hostWindow = nullptr;
    int32_t originX = 0, originY = 0;
};
