// A Linux host that shows the plug-in's editor in an X11 window of its own, as Linux hosts do:
// it passes its window's id to effEditOpen and calls effEditIdle regularly. It checks what a
// user and a host see: the panel as drawn (bitmaps compared with the BMP files the library
// embeds), knob drags, control-clicks, keys, the wheel and switch clicks arriving as
// automation bracketed by begin and end of edit, host parameter changes redrawn at the next
// idle, 50 open/close cycles and two instances without a connection or window left behind, a
// host window destroyed under the open editor, and a window id that is not one.
//
//   host_editor_x11 <plug-in> --resources <dir> [--screenshot <file.png>] [--session <dir>]
//   host_editor_x11 <plug-in> --no-display
//
// --session: waits for a driver (tests/scripts/editor_x11.sh) to act with the real mouse: it
// writes need-<step> into the directory (first line: the panel's screen origin) and goes on when
// done-<step> appears, idling the editor meanwhile; each begin of edit creates began-<n> there.
// --no-display: without an X server effEditOpen must answer 0 and nothing may crash.
// The exit status is the verdict (77: skipped).

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "EditorSessionLog.h"
#include "CheckCounter.h"
#include "hosting/PluginModule.h"

#ifdef _WIN32
int main() {
    std::printf("editor_x11: Linux hosts only; skipped\n");
    return 77;
}
#else

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "PngWriter.h"
#include "X11HostWindow.h"

namespace {

const int kWidth = 368;
const int kHeight = 412;

CheckCounter check;
Display* display = nullptr;

// Open descriptors of this process: every X connection the plug-in keeps is one of them.
int openDescriptors() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir)) count++;
        closedir(dir);
    }
    return count;
}

::Window createHostWindow(int x, int y) {
    return createX11HostWindow(display, DefaultScreen(display), x, y, kWidth, kHeight);
}

std::vector< ::Window> childrenOf(::Window parent) { return x11ChildrenOf(display, parent); }

struct Plugin {
    AEffect* effect = nullptr;
    ::Window hostWindow = 0;
    intptr_t send(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                  float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    intptr_t open() {
        return send(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(hostWindow)));
    }
    ::Window panel() const {
        if (!hostWindow) return 0;
        const std::vector< ::Window> children = childrenOf(hostWindow);
        return children.size() == 1 ? children[0] : 0;
    }
    float get(int32_t index) { return effect->getParameter(effect, index); }
    void set(int32_t index, float value) { effect->setParameter(effect, index, value); }
};

std::vector<Plugin*> plugins;

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The host's own events and effEditIdle for every open editor, for about `ms` milliseconds.
void pump(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        while (XPending(display) > 0) {
            XEvent e;
            XNextEvent(display, &e);
        }
        for (Plugin* p : plugins)
            if (p->effect) p->send(effEditIdle);
        sleepMs(10);
    } while (std::chrono::steady_clock::now() < end);
}

// Pixels of a window (or part of it) as 0x00RRGGBB, rows top to bottom.
std::vector<uint32_t> capture(::Window window, int left, int top, int width, int height) {
    std::vector<uint32_t> pixels;
    if (!window) return pixels;
    XSync(display, False);
    XImage* image = XGetImage(display, window, left, top, unsigned(width), unsigned(height),
                              AllPlanes, ZPixmap);
    if (!image) return pixels;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            const unsigned long p = XGetPixel(image, x, y);
            // Xvfb's 24-bit TrueColor visual: red, green, blue masks 0xFF0000, 0xFF00, 0xFF.
            pixels.push_back(uint32_t(p & 0xFFFFFF));
        }
    XDestroyImage(image);
    return pixels;
}

// ---- The BMP files the plug-in embeds, as the reference for what it draws -------------------

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
    uint32_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

uint32_t little(const std::vector<unsigned char>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; i--) v = (v << 8) | b[at + i];
    return v;
}

// 8-bit palettised or 24-bit uncompressed BMP, bottom-up or top-down.
Picture readBmp(const std::string& path) {
    Picture picture;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return picture;
    std::vector<unsigned char> b;
    unsigned char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) b.insert(b.end(), chunk, chunk + got);
    std::fclose(f);
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return picture;
    const uint32_t offset = little(b, 10, 4), header = little(b, 14, 4);
    const int width = int(little(b, 18, 4));
    int height = int(int32_t(little(b, 22, 4)));
    const int bits = int(little(b, 28, 2));
    const bool topDown = height < 0;
    if (topDown) height = -height;
    uint32_t colours = little(b, 46, 4);
    if (bits == 8 && colours == 0) colours = 256;
    const size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
    if ((bits != 8 && bits != 24) || offset + stride * height > b.size()) return picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(size_t(width) * height);
    for (int row = 0; row < height; row++) {
        const size_t line = offset + stride * size_t(topDown ? row : height - 1 - row);
        for (int x = 0; x < width; x++) {
            size_t at;
            if (bits == 8) {
                at = 14 + header + 4 * size_t(b[line + x]);
                if (b[line + x] >= colours) at = 14 + header;
            } else {
                at = line + 3 * size_t(x);
            }
            picture.pixels[size_t(row) * width + x] = b[at] | (b[at + 1] << 8) | (b[at + 2] << 16);
        }
    }
    return picture;
}

struct Pictures {
    Picture panel, strip, switches;
};

// Picture `frame` of the knob strip over the panel, as the panel shows knob at (x, y): white is
// the strip's key colour.
void drawKnob(std::vector<uint32_t>& image, const Pictures& p, int x, int y, int frame) {
    for (int row = 0; row < 32; row++)
        for (int column = 0; column < 32; column++) {
            const uint32_t c = p.strip.at(column, frame * 32 + row);
            if (c != 0xFFFFFF) image[size_t(y + row) * kWidth + x + column] = c;
        }
}

struct Place {
    int index, x, y, dx, dy;  // knob top-left and display top-left (displays are 48 x 16)
    float defaultValue;
};
const Place kPlaces[19] = {
    {0, 276, 68, 311, 76, 0.8f},    {1, 276, 124, 311, 132, 0.0f},  {2, 276, 184, 311, 191, 0.0f},
    {3, 276, 240, 311, 247, 0.0f},  {4, 276, 296, 311, 303, 0.0f},  {5, 276, 352, 311, 359, 0.8f},
    {6, 24, 64, 16, 100, 1.0f},     {7, 88, 64, 80, 100, 0.25f},    {8, 144, 64, 136, 100, 0.1f},
    {9, 208, 64, 200, 100, 0.1f},   {10, 24, 144, 16, 180, 0.5f},   {11, 144, 144, 136, 180, 0.1f},
    {12, 208, 144, 200, 180, 0.1f}, {13, 192, 244, 184, 279, 1.0f}, {15, 20, 264, 12, 299, 0.25f},
    {16, 92, 264, 84, 299, 0.1f},   {17, 20, 336, 12, 371, 0.1f},   {18, 92, 336, 84, 371, 0.5f},
    {20, 192, 332, 184, 367, 1.0f},
};

bool inDisplay(int x, int y) {
    for (const Place& place : kPlaces)
        if (x >= place.dx && x <= place.dx + 48 && y >= place.dy && y <= place.dy + 16) return true;
    return false;
}

// The default panel: background, every knob at its default picture, the switch off. The value
// displays (their outline included) are left out: text is compared separately.
std::vector<uint32_t> referencePanel(const Pictures& p) {
    std::vector<uint32_t> image = p.panel.pixels;
    for (const Place& place : kPlaces)
        drawKnob(image, p, place.x, place.y, int(place.defaultValue * 3200.0f) / 32);
    for (int row = 0; row < 16; row++)
        for (int column = 0; column < 16; column++)
            image[size_t(227 + row) * kWidth + 132 + column] = p.switches.at(column, row);
    return image;
}

// Compares the panel with the reference outside the displays; checks that every display is
// black with light text in it.
void checkPanel(const std::vector<uint32_t>& got, const Pictures& p) {
    const std::vector<uint32_t> want = referencePanel(p);
    if (got.size() != want.size()) {
        check.expect(false, "panel captured", got.size(), want.size());
        return;
    }
    long differ = 0, compared = 0;
    for (int y = 0; y < kHeight; y++)
        for (int x = 0; x < kWidth; x++) {
            if (inDisplay(x, y)) continue;
            compared++;
            if (got[size_t(y) * kWidth + x] != want[size_t(y) * kWidth + x]) differ++;
        }
    std::printf("panel outside the displays: %ld of %ld pixels differ from the bitmaps\n", differ,
                compared);
    check.expect(differ == 0, "the panel shows the bitmaps exactly outside the displays", differ,
                 0);
    int lit = 0, displaysWithText = 0, coloured = 0;
    for (const Place& place : kPlaces) {
        int litHere = 0;
        for (int y = place.dy + 1; y < place.dy + 16; y++)
            for (int x = place.dx + 1; x < place.dx + 48; x++) {
                const uint32_t c = got[size_t(y) * kWidth + x];
                const uint32_t r = c >> 16, g = (c >> 8) & 0xFF, b = c & 0xFF;
                if (r != g || g != b) coloured++;
                if (r >= 128) litHere++;
            }
        lit += litHere;
        if (litHere >= 6) displaysWithText++;
    }
    check.expectEq(displaysWithText, 19, "every value display shows text");
    check.expectEq(coloured, 0, "display text is grey on black, white text anti-aliased");
    std::printf("value displays: %d light pixels of text\n", lit);
}

bool savePanel(Plugin& p, const std::string& path) {
    const std::vector<uint32_t> pixels = capture(p.panel(), 0, 0, kWidth, kHeight);
    const bool ok =
        pixels.size() == size_t(kWidth) * kHeight && png::write(path, pixels, kWidth, kHeight);
    std::printf("%s %s\n", ok ? "saved" : "FAIL: cannot write", path.c_str());
    return ok;
}

// Asks the driver to act and idles until it has; false after 60 s without an answer.
bool waitForDriver(const std::string& step, Plugin& p) {
    int x = 0, y = 0;
    ::Window child = 0;
    XTranslateCoordinates(display, p.panel(), DefaultRootWindow(display), 0, 0, &x, &y, &child);
    touch("need-" + step, std::to_string(x) + " " + std::to_string(y) + "\n");
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!exists("done-" + step)) {
        if (std::chrono::steady_clock::now() > end) {
            std::printf("FAIL: the driver did not do %s\n", step.c_str());
            return false;
        }
        pump(20);
    }
    pump(400);  // let the last automation and redraws arrive
    return true;
}

std::vector<HostCall> callsOf(const Plugin& p) { return callsOf(p.effect); }

bool near(float a, float b) { return a - b < 1e-5f && b - a < 1e-5f; }

// Only automation of `index` since the log was cleared, the last one with `value`.
void expectAutomationOnly(Plugin& p, int32_t index, float value, const char* what) {
    const std::vector<HostCall> seen = callsOf(p);
    bool only = !seen.empty();
    for (const HostCall& c : seen)
        only = only && c.opcode == audioMasterAutomate && c.index == index;
    check.expect(only, what, long(seen.size()), 1);
    check.expect(!seen.empty() && near(seen.back().value, value), what,
                 seen.empty() ? -1 : long(seen.back().value * 1000), long(value * 1000));
}

std::vector<uint32_t> display7(Plugin& p) { return capture(p.panel(), 80, 100, 49, 17); }
std::vector<uint32_t> switchPixels(Plugin& p) { return capture(p.panel(), 132, 227, 16, 16); }

std::vector<uint32_t> part(const Picture& picture, int left, int top, int width, int height) {
    std::vector<uint32_t> out;
    for (int y = top; y < top + height; y++)
        for (int x = left; x < left + width; x++) out.push_back(picture.at(x, y));
    return out;
}

void mouseSteps(Plugin& p, const Pictures& pictures) {
    const std::vector<uint32_t> initial = display7(p);
    check.expect(p.get(7) == 0.25f, "parameter 7 starts at 0.25");

    // Knob 7 dragged up by 200 pixels.
    calls.clear();
    if (!waitForDriver("drag", p)) return check.expect(false, "drag done");
    check.expect(p.get(7) == 1.0f, "drag up 200 px: parameter 7 is 1.0", long(p.get(7) * 1000),
                 1000);
    std::vector<HostCall> seen = callsOf(p);
    check.expect(seen.size() >= 3, "drag: begin, automation, end", long(seen.size()), 3);
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

    // Arrow keys over the panel go to the knob that took the focus with the drag.
    calls.clear();
    if (!waitForDriver("keys", p)) return check.expect(false, "keys done");
    check.expect(near(p.get(7), 0.89f), "Down, then Shift+Down: parameter 7 is 0.89",
                 long(p.get(7) * 1000), 890);
    expectAutomationOnly(p, 7, 0.89f, "keys: automation of 7 only, ending at 0.89");

    // Control-click on knob 7.
    calls.clear();
    if (!waitForDriver("ctrlclick", p)) return check.expect(false, "control-click done");
    check.expect(p.get(7) == 0.25f, "control-click: parameter 7 back at 0.25",
                 long(p.get(7) * 1000), 250);
    expectAutomationOnly(p, 7, 0.25f, "control-click: automation of 7 only, no edit bracket");
    check.expect(display7(p) == initial, "control-click: display 7 shows its first text again");

    // A fine drag: Shift held, 100 pixels up move the value by 100 / (100 * 200).
    calls.clear();
    if (!waitForDriver("fine", p)) return check.expect(false, "fine drag done");
    check.expect(near(p.get(7), 0.255f), "Shift-drag up 100 px: parameter 7 is 0.255",
                 long(p.get(7) * 100000), 25500);
    seen = callsOf(p);
    check.expect(seen.size() >= 3 && seen.front().opcode == audioMasterBeginEdit &&
                     seen.back().opcode == audioMasterEndEdit,
                 "fine drag: bracketed by begin and end of edit", long(seen.size()), 3);
    p.set(7, 0.25f);
    pump(200);

    // The wheel over knob 7: one notch up, then one down with Shift.
    calls.clear();
    if (!waitForDriver("wheel", p)) return check.expect(false, "wheel done");
    check.expect(near(p.get(7), 0.34f), "wheel up, then Shift+wheel down: parameter 7 is 0.34",
                 long(p.get(7) * 1000), 340);
    expectAutomationOnly(p, 7, 0.34f, "wheel: automation of 7 only, ending at 0.34");
    p.set(7, 0.25f);
    pump(200);

    // The whitening switch.
    check.expect(switchPixels(p) == part(pictures.switches, 0, 0, 16, 16),
                 "switch shows the off picture");
    calls.clear();
    if (!waitForDriver("switch", p)) return check.expect(false, "switch click done");
    check.expect(p.get(14) == 1.0f, "switch click: parameter 14 is 1.0");
    seen = callsOf(p);
    check.expect(seen.size() == 1 && seen[0].opcode == audioMasterAutomate && seen[0].index == 14 &&
                     seen[0].value == 1.0f,
                 "switch click: one audioMasterAutomate(14, 1.0)", long(seen.size()), 1);
    check.expect(switchPixels(p) == part(pictures.switches, 0, 16, 16, 16),
                 "switch shows the on picture");
    p.set(14, 0.0f);
    pump(200);
}

// Without an X server the editor does not open, and nothing breaks.
int runWithoutDisplay(PluginMain entry) {
    unsetenv("DISPLAY");
    Plugin p;
    p.effect = entry(hostCallback);
    if (!p.effect) {
        std::printf("FAIL: main answered no effect\n");
        return 1;
    }
    p.hostWindow = 0x200001;  // what a host would pass; there is no server to ask
    for (int i = 0; i < 3; i++) {
        check.expectEq(p.open(), 0, "effEditOpen without an X server answers 0");
        p.send(effEditIdle);
        p.send(effEditClose);
    }
    ERect* rect = nullptr;
    check.expectEq(p.send(effEditGetRect, 0, 0, &rect), 1, "effEditGetRect still answers");
    p.set(0, 0.5f);
    check.expect(p.get(0) == 0.5f, "parameters work without an editor");
    p.send(effClose);
    return check.finish("editor_x11 (no display)");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf(
            "usage: %s <plug-in> --resources <dir> [--screenshot f.png] [--session dir]\n"
            "       %s <plug-in> --no-display\n",
            argv[0], argv[0]);
        return 2;
    }
    std::string screenshot, resources;
    bool noDisplay = false;
    for (int i = 2; i < argc; i++) {
        if (std::strcmp(argv[i], "--no-display") == 0) noDisplay = true;
        if (i + 1 < argc && std::strcmp(argv[i], "--screenshot") == 0)
            screenshot = argv[++i];
        else if (i + 1 < argc && std::strcmp(argv[i], "--session") == 0)
            sessionDir = argv[++i];
        else if (i + 1 < argc && std::strcmp(argv[i], "--resources") == 0)
            resources = argv[++i];
    }

    PluginModule module = openPlugin(argv[1]);
    if (!module) {
        std::printf("FAIL: cannot load %s\n", argv[1]);
        return 1;
    }
    auto entry = reinterpret_cast<PluginMain>(pluginSymbol(module, "VSTPluginMain"));
    if (!entry) {
        std::printf("FAIL: no VSTPluginMain in %s\n", argv[1]);
        return 1;
    }
    if (noDisplay) return runWithoutDisplay(entry);

    display = XOpenDisplay(nullptr);
    if (!display) {
        std::printf("editor_x11: no X display; skipped\n");
        return 77;
    }
    Pictures pictures;
    pictures.panel = readBmp(resources + "/panel.bmp");
    pictures.strip = readBmp(resources + "/knob.bmp");
    pictures.switches = readBmp(resources + "/switch.bmp");
    if (pictures.panel.width != kWidth || pictures.panel.height != kHeight ||
        pictures.strip.height != 3232 || pictures.switches.height != 32) {
        std::printf("FAIL: cannot read the bitmaps in '%s'\n", resources.c_str());
        return 1;
    }

    const int descriptorsAtStart = openDescriptors();
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

    // A window id that is no window: refused, and the X error does not end the host.
    first.hostWindow = 0x3FFFFFF;
    check.expectEq(first.open(), 0, "effEditOpen with a window id that is no window answers 0");
    first.send(effEditIdle);
    first.send(effEditClose);

    first.hostWindow = createHostWindow(200, 150);
    check.expectEq(first.open(), 1, "effEditOpen answers 1");
    ::Window panel = first.panel();
    check.expect(panel != 0, "the editor created its window in ours");
    XWindowAttributes attributes{};
    if (panel && XGetWindowAttributes(display, panel, &attributes)) {
        check.expect(attributes.x == 0 && attributes.y == 0 && attributes.width == kWidth &&
                         attributes.height == kHeight && attributes.map_state == IsViewable,
                     "the panel window is shown at (0, 0) with the editor's size");
    }
    pump(600);
    checkPanel(capture(first.panel(), 0, 0, kWidth, kHeight), pictures);
    if (!screenshot.empty()) check.expect(savePanel(first, screenshot), "screenshot saved");
    if (!sessionDir.empty()) {
        savePanel(first, sessionDir + "/panel.png");
        mouseSteps(first, pictures);
    }

    // A host change of parameter 0 shows strip picture 50 on knob 0 at the next idle.
    {
        std::vector<uint32_t> want80 = capture(first.panel(), 276, 68, 32, 32);
        std::vector<uint32_t> want50 = want80;
        std::vector<uint32_t> image = pictures.panel.pixels;
        drawKnob(image, pictures, 276, 68, 50);
        for (int y = 0; y < 32; y++)
            for (int x = 0; x < 32; x++)
                want50[size_t(y) * 32 + x] = image[size_t(68 + y) * kWidth + 276 + x];
        image = pictures.panel.pixels;
        drawKnob(image, pictures, 276, 68, 80);
        for (int y = 0; y < 32; y++)
            for (int x = 0; x < 32; x++)
                want80[size_t(y) * 32 + x] = image[size_t(68 + y) * kWidth + 276 + x];
        check.expect(capture(first.panel(), 276, 68, 32, 32) == want80,
                     "knob 0 shows picture 80 for its default 0.8");
        first.set(0, 0.5f);
        check.expect(capture(first.panel(), 276, 68, 32, 32) == want80,
                     "knob 0 is not redrawn before the idle");
        first.send(effEditIdle);
        check.expect(capture(first.panel(), 276, 68, 32, 32) == want50,
                     "knob 0 shows picture 50 after one idle");
    }

    // Fifty open/close cycles: each close takes the window and the connection away.
    const int descriptorsOpen = openDescriptors();
    int leftBehind = 0, missing = 0;
    for (int i = 0; i < 50; i++) {
        first.send(effEditClose);
        if (!childrenOf(first.hostWindow).empty()) leftBehind++;
        if (first.open() != 1 || !first.panel()) missing++;
        pump(20);
    }
    check.expectEq(leftBehind, 0, "close destroys the editor's window (50 cycles)");
    check.expectEq(missing, 0, "open creates it again (50 cycles)");
    check.expectEq(openDescriptors(), descriptorsOpen, "no connection left behind by 50 cycles");
    check.expect(first.get(0) == 0.5f, "parameters survive the editor's cycles");

    // A second instance with its editor open at the same time.
    Plugin second;
    second.effect = entry(hostCallback);
    check.expect(second.effect != nullptr && second.effect != first.effect, "a second effect");
    if (second.effect) {
        plugins.push_back(&second);
        second.hostWindow = createHostWindow(620, 150);
        check.expectEq(second.open(), 1, "the second editor opens");
        pump(300);
        check.expect(first.panel() && second.panel(), "both editors are open");
        check.expectEq(openDescriptors(), descriptorsOpen + 1,
                       "each editor has its own connection");
        second.set(7, 1.0f);
        pump(200);
        check.expect(first.get(7) == 0.25f && second.get(7) == 1.0f, "instances independent");
        check.expect(display7(first) != display7(second),
                     "the two panels differ where they should");

        // The host closes the second effect without closing its editor first.
        second.send(effClose);
        second.effect = nullptr;
        plugins.pop_back();
        check.expect(childrenOf(second.hostWindow).empty(),
                     "an effect closed with its editor open takes the window down");
        check.expectEq(openDescriptors(), descriptorsOpen, "and its connection");
        XDestroyWindow(display, second.hostWindow);
    }

    // The host destroys its window under the open editor, then idles and closes it.
    {
        Plugin third;
        third.effect = entry(hostCallback);
        third.hostWindow = createHostWindow(620, 150);
        plugins.push_back(&third);
        check.expectEq(third.open(), 1, "a third editor opens");
        pump(100);
        XDestroyWindow(display, third.hostWindow);
        XSync(display, False);
        third.set(3, 0.7f);  // something to redraw into the window that is gone
        pump(100);
        third.send(effEditClose);
        pump(50);
        third.send(effClose);
        plugins.pop_back();
        check.expectEq(openDescriptors(), descriptorsOpen,
                       "a host window destroyed first leaves nothing");
    }

    pump(100);
    first.send(effEditClose);
    check.expect(first.panel() == 0, "final close");
    first.send(effClose);
    plugins.clear();
    check.expectEq(openDescriptors(), descriptorsAtStart, "every connection closed at the end");
    XDestroyWindow(display, first.hostWindow);
    XCloseDisplay(display);
    closePlugin(module);
    return check.finish("editor_x11");
}

#endif
