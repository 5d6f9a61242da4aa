#include <atomic>
#include <thread>

#include "Random.h"
#include "Suites.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

#ifdef _WIN32
// A top-level window of the validator's own, as a host gives its editor.
class HostWindow {
public:
    HostWindow() {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "OstraquelleValidateHost";
        RegisterClassA(&windowClass);
        handle = CreateWindowA("OstraquelleValidateHost", "validate", WS_POPUP | WS_VISIBLE, 200,
                               300, 600, 600, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~HostWindow() {
        if (handle) DestroyWindow(handle);
    }
    void* parent() const { return handle; }
    // Child windows the editor left in the host's window.
    bool hasChild() const { return handle && GetWindow(handle, GW_CHILD) != nullptr; }
    HWND child() const { return handle ? GetWindow(handle, GW_CHILD) : nullptr; }
    void pump() const {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    HWND handle;
};
#else
// Natively the validator has no window to give (a Linux host would pass an X11 window): the
// editor may refuse a null parent, and the cycles still run with audio and automation.
class HostWindow {
public:
    void* parent() const { return nullptr; }
    bool hasChild() const { return false; }
    void pump() const {}
};
#endif

// Audio and host automation on another thread while the editor comes and goes.
class BackgroundAudio {
public:
    BackgroundAudio(Effect& effect, uint64_t seed)
        : effect(effect), worker([this, seed] {
              AudioBlock block(this->effect.get()->numInputs, this->effect.get()->numOutputs, 128);
              Random random(seed);
              const int32_t params = this->effect.get()->numParams;
              int64_t position = 0;
              while (!stop.load()) {
                  block.fillMaterial(seed, position);
                  position += block.frames;
                  this->effect.process(block);
                  if (!block.outputsFinite()) badBlocks++;
                  if (params > 0)
                      this->effect.set(random.range(0, params - 1),
                                       static_cast<float>(random.unit()));
              }
          }) {}
    ~BackgroundAudio() { finish(); }
    long finish() {
        stop = true;
        if (worker.joinable()) worker.join();
        return badBlocks.load();
    }

private:
    Effect& effect;
    std::atomic<bool> stop{false};
    std::atomic<long> badBlocks{0};
    std::thread worker;
};

}  // namespace

void runEditorSuite(const PluginLibrary& library, const Options& options, Report& report) {
    report.beginSuite("editor");
    HostWindow host;
    {
        Effect effect(library);
        if (!report.check(effect.valid(), "no effect")) return;
        if (!(effect.get()->flags & effFlagsHasEditor)) {
            report.skip("the plug-in has no editor");
            return;
        }
        effect.start();

        // Close without open, then the usual cycles with audio and automation running.
        effect.dispatch(effEditClose);
        effect.dispatch(effEditIdle);
        BackgroundAudio audio(effect, options.seed);
        int refused = 0, leftBehind = 0;
        Random random(options.seed * 17);
        for (int cycle = 0; cycle < options.editorCycles; cycle++) {
            ERect* rect = nullptr;
            effect.dispatch(effEditGetRect, 0, 0, &rect);
            if (effect.dispatch(effEditOpen, 0, 0, host.parent()) == 0) refused++;
            for (int i = 0; i < 3; i++) {
                effect.set(random.range(0, effect.get()->numParams - 1),
                           static_cast<float>(random.unit()));
                effect.dispatch(effEditIdle);
                host.pump();
            }
            effect.dispatch(effEditClose);
            host.pump();
            if (host.hasChild()) leftBehind++;
        }
        // Without a window a plug-in may refuse every open, but not some of them.
        const bool refusesNullParent = !host.parent() && refused == options.editorCycles;
        report.check(refused == 0 || refusesNullParent, "effEditOpen refused %d of %d times",
                     refused, options.editorCycles);
        report.check(leftBehind == 0, "%d of %d closes left a window behind", leftBehind,
                     options.editorCycles);

        // Open twice, then one close: nothing left.
        effect.dispatch(effEditOpen, 0, 0, host.parent());
        effect.dispatch(effEditOpen, 0, 0, host.parent());
        host.pump();
        effect.dispatch(effEditClose);
        host.pump();
        report.check(!host.hasChild(), "a second effEditOpen left the first editor's window");
        report.check(audio.finish() == 0, "non-finite output while the editor came and went");
    }

    // effClose with the editor open takes the editor down.
    {
        Effect effect(library);
        effect.start();
        effect.dispatch(effEditOpen, 0, 0, host.parent());
        host.pump();
        effect.close();
        host.pump();
        report.check(!host.hasChild(), "effClose with the editor open left its window");
    }

#ifdef _WIN32
    // The host closes the editor from its idle or automation callback while the user holds
    // the mouse on a control: clicks on a grid over the editor, the button held until the
    // callback has closed it. Begin and end edits must pair, nothing may be left.
    for (int viaAutomate = 0; viaAutomate < 2; viaAutomate++) {
        Effect effect(library);
        effect.start();
        ERect* rect = nullptr;
        effect.dispatch(effEditGetRect, 0, 0, &rect);
        const int width = rect ? rect->right - rect->left : 0;
        const int height = rect ? rect->bottom - rect->top : 0;
        int closedDuringClick = 0;
        hostState.beginEdits = 0;
        hostState.endEdits = 0;
        for (int y = 8; y < height; y += 24) {
            for (int x = 8; x < width; x += 24) {
                effect.dispatch(effEditOpen, 0, 0, host.parent());
                host.pump();
                HWND editorWindow = host.child();
                if (!editorWindow) continue;
                POINT screen = {x, y};
                ClientToScreen(editorWindow, &screen);
                SetCursorPos(screen.x, screen.y);
                hostState.closeEditorOnCallback = effect.get();
                hostState.dragMoves = viaAutomate != 0;
                hostState.dragIdles = 0;
                INPUT press = {};
                press.type = INPUT_MOUSE;
                press.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
                SendInput(1, &press, sizeof press);
                host.pump();
                if (!hostState.closeEditorOnCallback.load()) closedDuringClick++;
                hostState.closeEditorOnCallback = nullptr;
                hostState.dragMoves = false;
                INPUT lift = {};
                lift.type = INPUT_MOUSE;
                lift.mi.dwFlags = MOUSEEVENTF_LEFTUP;
                SendInput(1, &lift, sizeof lift);
                host.pump();
                effect.dispatch(effEditClose);
                host.pump();
            }
        }
        const char* via = viaAutomate ? "automation" : "idle";
        report.check(closedDuringClick > 0 && hostState.beginEdits.load() > 0,
                     "no click on the editor began a drag (%s)", via);
        report.check(hostState.beginEdits.load() == hostState.endEdits.load(),
                     "closed from the %s callback during drags: %d beginEdit, %d endEdit", via,
                     hostState.beginEdits.load(), hostState.endEdits.load());
        report.check(!host.hasChild(), "closing during a drag left a window (%s)", via);
    }
#endif
}
