// A host that shows the plug-in's editor in a window of its own and checks what a user and a
// host see: the panel as drawn, knob drags and clicks arriving as automation bracketed by
// begin and end of edit, host parameter changes redrawn at the next idle, many open/close
// cycles, two instances at once, and an effect closed while its editor is still open.
//
//   host_editor_session <plug-in> [--screenshot <file.png>] [--session <dir>]
//
// With --screenshot it opens the editor, lets it paint, saves the panel as PNG and exits.
// With --session it also waits for a driver (tests/scripts/editor_e2e.sh) to act with the real
// mouse: it writes need-<step> into the directory (first line: the panel's screen origin) and
// goes on when done-<step> appears, idling the editor meanwhile. Each begin of edit the host
// receives creates began-<n> there, so the driver knows the plug-in has seen the press.
// Without either option it runs the checks that need no mouse. The exit status is the verdict.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "EditorSessionLog.h"
#include "CheckCounter.h"
#include "hosting/PluginModule.h"

#ifndef _WIN32
int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    std::printf("editor_session: needs the Windows window system; skipped\n");
    return 77;
}
#else

#include "PngWriter.h"

namespace {

const int kWidth = 368;
const int kHeight = 412;

CheckCounter check;

struct Plugin {
    AEffect* effect = nullptr;
    HWND hostWindow = nullptr;
    intptr_t send(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                  float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    HWND panel() const { return hostWindow ? GetWindow(hostWindow, GW_CHILD) : nullptr; }
    float get(int32_t index) { return effect->getParameter(effect, index); }
    void set(int32_t index, float value) { effect->setParameter(effect, index, value); }
};

std::vector<Plugin*> plugins;

HWND createHostWindow(int x, int y) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = "OstraquelleTestHost";
        RegisterClassA(&wc);
        registered = true;
    }
    return CreateWindowExA(0, "OstraquelleTestHost", "Ostraquelle editor", WS_POPUP | WS_VISIBLE, x,
                           y, kWidth, kHeight, nullptr, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
}

// Window messages and effEditIdle for every open editor, for about `ms` milliseconds.
void pump(int ms) {
    const DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        for (Plugin* p : plugins)
            if (p->effect && p->panel()) p->send(effEditIdle);
        Sleep(10);
    } while (static_cast<int32_t>(GetTickCount() - end) < 0);
}

// The pixels of a window's client area (or part of it) as 0x00RRGGBB, rows top to bottom.
std::vector<uint32_t> capture(HWND window, int left, int top, int width, int height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0);
    HDC source = GetDC(window);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits) {
        HGDIOBJ old = SelectObject(memory, dib);
        BitBlt(memory, 0, 0, width, height, source, left, top, SRCCOPY);
        GdiFlush();
        const uint32_t* p = static_cast<const uint32_t*>(bits);
        for (size_t i = 0; i < pixels.size(); i++) pixels[i] = p[i] & 0xFFFFFF;
        SelectObject(memory, old);
        DeleteObject(dib);
    }
    DeleteDC(memory);
    ReleaseDC(window, source);
    return pixels;
}

// A rectangle of one of the plug-in's bitmap resources, as 0x00RRGGBB.
std::vector<uint32_t> resourcePixels(HMODULE module, int id, int left, int top, int width,
                                     int height) {
    std::vector<uint32_t> out;
    HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(id));
    if (!bitmap) return out;
    BITMAP description = {};
    GetObjectA(bitmap, sizeof description, &description);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = description.bmWidth;
    info.bmiHeader.biHeight = -description.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> all(static_cast<size_t>(description.bmWidth) * description.bmHeight);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, description.bmHeight, all.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    for (int y = top; y < top + height; y++)
        for (int x = left; x < left + width; x++)
            out.push_back(all[static_cast<size_t>(y) * description.bmWidth + x] & 0xFFFFFF);
    return out;
}

// Pixels of `want` other than pure white (the strip's key colour, which leaves the panel
// showing) equal the window's; false when fewer than `minimum` pixels could be compared.
bool sameOpaquePixels(const std::vector<uint32_t>& want, const std::vector<uint32_t>& got,
                      int minimum) {
    if (want.size() != got.size()) return false;
    int compared = 0;
    for (size_t i = 0; i < want.size(); i++) {
        if (want[i] == 0xFFFFFF) continue;
        compared++;
        if (want[i] != got[i]) return false;
    }
    return compared >= minimum;
}

bool savePanel(Plugin& p, const std::string& path) {
    const std::vector<uint32_t> pixels = capture(p.panel(), 0, 0, kWidth, kHeight);
    const bool ok = png::write(path, pixels, kWidth, kHeight);
    std::printf("%s %s\n", ok ? "saved" : "FAIL: cannot write", path.c_str());
    return ok;
}

// Asks the driver to act and idles until it has; false after 60 s without an answer.
bool waitForDriver(const std::string& step, HWND panel) {
    POINT origin = {0, 0};
    ClientToScreen(panel, &origin);
    touch("need-" + step, std::to_string(origin.x) + " " + std::to_string(origin.y) + "\n");
    const DWORD end = GetTickCount() + 60000;
    while (!exists("done-" + step)) {
        if (static_cast<int32_t>(GetTickCount() - end) > 0) {
            std::printf("FAIL: the driver did not do %s\n", step.c_str());
            return false;
        }
        pump(20);
    }
    pump(400);  // let the last automation and redraws arrive
    return true;
}

std::vector<HostCall> callsOf(const Plugin& p) { return callsOf(p.effect); }

// The display of knob 7 (80, 100, 128, 116) and the switch (132, 227, 148, 243).
std::vector<uint32_t> display7(Plugin& p) { return capture(p.panel(), 80, 100, 49, 17); }
std::vector<uint32_t> switchPixels(Plugin& p) { return capture(p.panel(), 132, 227, 16, 16); }

void mouseSteps(Plugin& p, HMODULE module) {
    const std::vector<uint32_t> initial = display7(p);
    check.expect(p.get(7) == 0.25f, "parameter 7 starts at 0.25");

    // Knob 7 dragged up by 200 pixels.
    calls.clear();
    if (!waitForDriver("drag", p.panel())) {
        check.expect(false, "drag done");
        return;
    }
    check.expect(p.get(7) == 1.0f, "drag up 200 px: parameter 7 is 1.0",
                 static_cast<long long>(p.get(7) * 1000), 1000);
    std::vector<HostCall> seen = callsOf(p);
    check.expect(seen.size() >= 3, "drag: begin, automation, end", seen.size(), 3);
    if (seen.size() >= 3) {
        check.expect(seen.front().opcode == audioMasterBeginEdit && seen.front().index == 7,
                     "drag: first call is audioMasterBeginEdit(7)", seen.front().opcode, 43);
        check.expect(seen.back().opcode == audioMasterEndEdit && seen.back().index == 7,
                     "drag: last call is audioMasterEndEdit(7)", seen.back().opcode, 44);
        bool middle = true;
        for (size_t i = 1; i + 1 < seen.size(); i++)
            middle = middle && seen[i].opcode == audioMasterAutomate && seen[i].index == 7;
        check.expect(middle, "drag: only audioMasterAutomate(7) in between");
        check.expect(seen[seen.size() - 2].value == 1.0f, "drag: last automation sends 1.0");
    }
    const std::vector<uint32_t> dragged = display7(p);
    check.expect(dragged != initial, "display 7 changed with the drag");

    // Control-click on knob 7.
    calls.clear();
    if (!waitForDriver("ctrlclick", p.panel())) {
        check.expect(false, "control-click done");
        return;
    }
    check.expect(p.get(7) == 0.25f, "control-click: parameter 7 back at 0.25",
                 static_cast<long long>(p.get(7) * 1000), 250);
    seen = callsOf(p);
    bool onlyAutomation = !seen.empty();
    for (const HostCall& c : seen)
        onlyAutomation = onlyAutomation && c.opcode == audioMasterAutomate && c.index == 7;
    check.expect(onlyAutomation, "control-click: automation of 7 only, no edit bracket",
                 seen.size(), 1);
    check.expect(display7(p) == initial, "control-click: display 7 shows 51 again");

    // The dragged display shows what the display shows for 1.0 set by the host ("201").
    p.set(7, 1.0f);
    pump(300);
    check.expect(display7(p) == dragged, "display after the drag equals the display of 1.0");
    p.set(7, 0.25f);
    pump(300);

    // The whitening switch.
    const std::vector<uint32_t> off = resourcePixels(module, 130, 0, 0, 16, 16);
    const std::vector<uint32_t> on = resourcePixels(module, 130, 0, 16, 16, 16);
    check.expect(switchPixels(p) == off, "switch shows the off picture");
    calls.clear();
    if (!waitForDriver("switch", p.panel())) {
        check.expect(false, "switch click done");
        return;
    }
    check.expect(p.get(14) == 1.0f, "switch click: parameter 14 is 1.0");
    seen = callsOf(p);
    check.expect(seen.size() == 1 && seen[0].opcode == audioMasterAutomate && seen[0].index == 14 &&
                     seen[0].value == 1.0f,
                 "switch click: one audioMasterAutomate(14, 1.0)", seen.size(), 1);
    check.expect(switchPixels(p) == on, "switch shows the on picture");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: %s <plug-in> [--screenshot file.png] [--session dir]\n", argv[0]);
        return 2;
    }
    std::string screenshot;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--screenshot") == 0) screenshot = argv[i + 1];
        if (std::strcmp(argv[i], "--session") == 0) sessionDir = argv[i + 1];
    }

    PluginModule module = openPlugin(argv[1]);
    if (!module) {
        std::printf("FAIL: cannot load %s\n", argv[1]);
        return 1;
    }
    auto entry = reinterpret_cast<PluginMain>(pluginSymbol(module, "main"));
    if (!entry) {
        std::printf("FAIL: no main in %s\n", argv[1]);
        return 1;
    }

    Plugin first;
    first.effect = entry(hostCallback);
    if (!first.effect) {
        std::printf("FAIL: main answered no effect\n");
        return 1;
    }
    plugins.push_back(&first);
    check.expectEq(first.effect->flags & effFlagsHasEditor, effFlagsHasEditor, "has an editor");
    ERect* rect = nullptr;
    check.expectEq(first.send(effEditGetRect, 0, 0, &rect), 1, "effEditGetRect answers 1");
    if (rect) {
        check.expectEq(rect->right - rect->left, kWidth, "editor width");
        check.expectEq(rect->bottom - rect->top, kHeight, "editor height");
    }

    first.hostWindow = createHostWindow(200, 150);
    first.send(effEditOpen, 0, 0, first.hostWindow);
    check.expect(first.panel() != nullptr, "the editor created its window in ours");
    pump(600);

    if (!screenshot.empty()) check.expect(savePanel(first, screenshot), "screenshot saved");
    if (!sessionDir.empty()) {
        savePanel(first, sessionDir + "\\panel.png");
        mouseSteps(first, module);
    }

    if (!screenshot.empty() && sessionDir.empty()) {
        first.send(effEditClose);
        first.send(effClose);
        DestroyWindow(first.hostWindow);
        return check.finish("editor_session");
    }

    // A host change of parameter 0 shows strip picture 50 on knob 0 at the next idle.
    {
        const std::vector<uint32_t> frame50 = resourcePixels(module, 129, 0, 50 * 32, 32, 32);
        const std::vector<uint32_t> frame80 = resourcePixels(module, 129, 0, 80 * 32, 32, 32);
        check.expect(frame50.size() == 1024, "strip picture 50 read from the resources");
        check.expect(sameOpaquePixels(frame80, capture(first.panel(), 276, 68, 32, 32), 200),
                     "knob 0 shows picture 80 for its default 0.8");
        first.set(0, 0.5f);
        check.expect(!sameOpaquePixels(frame50, capture(first.panel(), 276, 68, 32, 32), 200),
                     "knob 0 is not redrawn before the idle");
        first.send(effEditIdle);
        check.expect(sameOpaquePixels(frame50, capture(first.panel(), 276, 68, 32, 32), 200),
                     "knob 0 shows picture 50 after the idle");
    }

    // Fifty open/close cycles.
    for (int i = 0; i < 50; i++) {
        first.send(effEditClose);
        check.expect(first.panel() == nullptr, "close destroys the editor's window");
        first.send(effEditOpen, 0, 0, first.hostWindow);
        check.expect(first.panel() != nullptr, "open creates it again");
        pump(20);
    }
    check.expect(first.get(0) == 0.5f, "parameters survive the editor's cycles");

    // A second instance with its editor open at the same time.
    Plugin second;
    second.effect = entry(hostCallback);
    check.expect(second.effect != nullptr && second.effect != first.effect, "a second effect");
    if (second.effect) {
        plugins.push_back(&second);
        second.hostWindow = createHostWindow(620, 150);
        second.send(effEditOpen, 0, 0, second.hostWindow);
        pump(300);
        check.expect(first.panel() && second.panel(), "both editors are open");
        second.set(7, 1.0f);
        pump(200);
        check.expect(first.get(7) == 0.25f && second.get(7) == 1.0f, "instances independent");
        check.expect(display7(first) != display7(second),
                     "the two panels differ where they should");

        // The host closes the second effect without closing its editor first.
        HWND orphan = second.panel();
        second.send(effClose);
        second.effect = nullptr;
        plugins.pop_back();
        check.expect(!IsWindow(orphan),
                     "an effect closed with its editor open takes the window down");
        pump(200);
        DestroyWindow(second.hostWindow);
    }

    pump(100);
    first.send(effEditClose);
    check.expect(first.panel() == nullptr, "final close");
    first.send(effClose);
    plugins.clear();
    DestroyWindow(first.hostWindow);
    FreeLibrary(module);
    return check.finish("editor_session");
}

#endif
