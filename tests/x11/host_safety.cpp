// A Linux host that treats the plug-in's X11 editor as a hostile or careless host would, one
// case per run, on a virtual display (XTest plays the mouse and keys):
//
//   x11_host_safety <plug-in> errors        a host thread traps its own X errors (save, set,
//                                           sync, restore) while panels open, draw and lose
//                                           their parent 300 times
//   x11_host_safety <plug-in> killed        the panel's window killed (what xkill does)
//   x11_host_safety <plug-in> keys          keys over the panel belong to the host unless a
//                                           control clicked before uses them
//   x11_host_safety <plug-in> early         effEditOpen before the host has flushed the
//                                           creation of its window
//   x11_host_safety <plug-in> second-screen a parent on the second screen, dragged there
//   x11_host_safety <plug-in> null-parent   effEditOpen with a null parent
//   x11_host_safety <plug-in> drag          knob drags (plain, Shift, Alt, closed midway)
//                                           while the host does its own work between idles
//
// Each prints what it saw and ends with the verdict as its exit status (77: cannot run here).

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "host/CheckCounter.h"
#include "hosting/PluginModule.h"
#include "host/X11HostWindow.h"

namespace {

const int kPanelWidth = 368;
const int kPanelHeight = 412;
const int kKnob = 7;                  // the knob at (88, 64) of the panel, 32 x 32
const int kKnobX = 104, kKnobY = 80;  // its centre

CheckCounter check;
Display* display = nullptr;

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

long long millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

// ---- The host's callback -------------------------------------------------------------------

std::atomic<int> beginEdits{0}, endEdits{0}, automations{0};
// Installed as the process's X error handler from inside the first begin of edit, when set.
XErrorHandler installInCallback = nullptr;

intptr_t VSTCALLBACK hostCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    switch (opcode) {
        case audioMasterVersion: return 2400;
        case audioMasterAutomate: automations++; break;
        case audioMasterBeginEdit:
            beginEdits++;
            if (installInCallback) {
                XSetErrorHandler(installInCallback);
                installInCallback = nullptr;
            }
            break;
        case audioMasterEndEdit: endEdits++; break;
        default: break;
    }
    return 0;
}

struct Plugin {
    PluginModule module = nullptr;
    AEffect* effect = nullptr;
    bool load(const char* path) {
        module = openPlugin(path);
        if (!module) return false;
        auto entry = reinterpret_cast<PluginMain>(pluginSymbol(module, "VSTPluginMain"));
        effect = entry ? entry(hostCallback) : nullptr;
        if (effect) send(effOpen);
        return effect != nullptr;
    }
    ~Plugin() {
        if (effect) send(effClose);
        if (module) closePlugin(module);
    }
    intptr_t send(int32_t opcode, intptr_t value = 0, void* ptr = nullptr) {
        return effect->dispatcher(effect, opcode, 0, value, ptr, 0.0f);
    }
    intptr_t open(::Window parent) {
        return send(effEditOpen, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(parent)));
    }
    float get(int32_t index) { return effect->getParameter(effect, index); }
    void set(int32_t index, float value) { effect->setParameter(effect, index, value); }
};

// ---- The host's windows and events -----------------------------------------------------------

::Window hostWindow(int screen, int x, int y, int width, int height, long events) {
    return createX11HostWindow(display, screen, x, y, width, height, events);
}

std::vector<::Window> childrenOf(::Window parent) { return x11ChildrenOf(display, parent); }

// Keys the host's window received, as the host's own loop reads them.
struct KeysSeen {
    int presses = 0, releases = 0;
    std::vector<KeySym> pressed, released;
};

// The host's own events and effEditIdle, for about `ms` milliseconds.
void pump(Plugin& p, ::Window host, int ms, KeysSeen* keys = nullptr) {
    const auto start = std::chrono::steady_clock::now();
    do {
        while (XPending(display) > 0) {
            XEvent e;
            XNextEvent(display, &e);
            if (!keys || (e.type != KeyPress && e.type != KeyRelease)) continue;
            if (e.xkey.window != host) continue;
            const KeySym symbol = XLookupKeysym(&e.xkey, 0);
            if (e.type == KeyPress) {
                keys->presses++;
                keys->pressed.push_back(symbol);
            } else {
                keys->releases++;
                keys->released.push_back(symbol);
            }
        }
        p.send(effEditIdle);
        sleepMs(10);
    } while (millisecondsSince(start) < ms);
}

void key(KeySym symbol, bool press) {
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, symbol), press ? True : False, 0);
    XSync(display, False);
}

// A warp, not XTest's motion: that one does not cross to another screen under Xvfb.
void pointerTo(Display* d, int screen, int x, int y) {
    XWarpPointer(d, None, RootWindow(d, screen), 0, 0, 0, 0, x, y);
    XSync(d, False);
}
void pointerTo(int screen, int x, int y) { pointerTo(display, screen, x, y); }

bool hasXTest() {
    int event = 0, error = 0, major = 0, minor = 0;
    return XTestQueryExtension(display, &event, &error, &major, &minor);
}

int count(const std::vector<KeySym>& symbols, KeySym symbol) {
    int n = 0;
    for (KeySym s : symbols) n += s == symbol;
    return n;
}

// ---- errors ----------------------------------------------------------------------------------

std::atomic<Display*> trapDisplay{nullptr};
std::atomic<long> trapOwn{0}, misrouted{0}, hostOwn{0};

int trap(Display* d, XErrorEvent*) {
    if (d == trapDisplay.load())
        trapOwn++;
    else
        misrouted++;
    return 0;
}

int hostHandler(Display* d, XErrorEvent*) {
    if (d == display)
        hostOwn++;
    else
        misrouted++;  // the panel's error, or the trapping thread's, in the host's handler
    return 0;
}

int unusedHandler(Display*, XErrorEvent*) { return 0; }

int caseErrors(Plugin& p) {
    XSetErrorHandler(&hostHandler);
    Display* own = XOpenDisplay(nullptr);
    if (!own) return 77;
    trapDisplay = own;
    std::atomic<bool> stop{false};
    std::atomic<::Window> target{0};
    std::atomic<long> trapped{0};
    // The host's other thread: traps an error of its own, the usual way, again and again, and
    // destroys the panel's parent when asked (so that the panel's drawing meets a gone window).
    std::thread other([&] {
        while (!stop.load()) {
            XErrorHandler saved = XSetErrorHandler(&trap);
            XMapWindow(own, 0x1FFFFFFF);  // no such window: BadWindow on this connection
            XSync(own, False);
            XSetErrorHandler(saved);
            trapped++;
            if (::Window w = target.exchange(0)) {
                XDestroyWindow(own, w);
                XFlush(own);
            }
        }
    });

    const int kCycles = 300;
    int refused = 0;
    for (int cycle = 0; cycle < kCycles; cycle++) {
        const ::Window parent = hostWindow(0, 40, 40, kPanelWidth, kPanelHeight, 0);
        if (p.open(parent) != 1) refused++;
        target = parent;
        for (int i = 0; i < 4; i++) {
            p.set(cycle % 19, float((cycle + i) % 10) / 10.0f);
            p.send(effEditIdle);
        }
        p.send(effEditClose);
        if (target.exchange(0)) XDestroyWindow(display, parent);
        XSync(display, False);
    }
    stop = true;
    other.join();
    XSync(display, False);
    XErrorHandler current = XSetErrorHandler(&unusedHandler);
    XSetErrorHandler(current);

    std::printf(
        "errors: %d cycles, %d refused opens; the other thread trapped %ld times, %ld of "
        "its own errors in its trap; %ld errors in the wrong handler\n",
        kCycles, refused, trapped.load(), trapOwn.load(), misrouted.load());
    check.expectEq(refused, 0, "every open of a live parent succeeds");
    check.expect(trapped.load() > 0, "the other thread trapped errors", trapped.load(), 1);
    check.expectEq(trapOwn.load(), trapped.load(), "the other thread's errors reach its trap");
    check.expectEq(misrouted.load(), 0, "no error reaches a handler of another connection");
    check.expect(current == &hostHandler, "the host's handler is installed afterwards",
                 current == &trap ? 1 : 2, 0);
    XCloseDisplay(own);
    return 0;
}

// ---- killed ----------------------------------------------------------------------------------

int caseKilled(Plugin& p) {
    const ::Window parent = hostWindow(0, 40, 40, kPanelWidth, kPanelHeight, 0);
    check.expectEq(p.open(parent), 1, "the editor opens");
    pump(p, parent, 200);
    const std::vector<::Window> panel = childrenOf(parent);
    check.expectEq(long(panel.size()), 1, "the panel is a child of the host's window");
    if (panel.size() != 1) return 0;
    XKillClient(display, panel[0]);
    XSync(display, False);
    // Idle on: the panel's connection is gone, the host's is not.
    p.set(3, 0.7f);
    pump(p, parent, 300);
    p.set(3, 0.2f);
    pump(p, parent, 100);
    check.expect(childrenOf(parent).empty(), "the killed panel's window is gone");
    p.send(effEditClose);
    pump(p, parent, 50);
    // A later open tries again, on a new connection.
    check.expectEq(p.open(parent), 1, "a later effEditOpen opens the editor again");
    pump(p, parent, 200);
    check.expectEq(long(childrenOf(parent).size()), 1, "the new panel is in the host's window");
    p.send(effEditClose);
    XSync(display, False);
    std::printf("killed: the host idled on after its panel's connection was killed\n");
    return 0;
}

// ---- keys ------------------------------------------------------------------------------------

int installedInCallback(Display*, XErrorEvent*) { return 0; }

int caseKeys(Plugin& p) {
    if (!hasXTest()) {
        std::printf("keys: no XTest on this display\n");
        return 77;
    }
    // Wider than the panel: room beside it, inside the host's window.
    const ::Window host =
        hostWindow(0, 40, 40, kPanelWidth + 120, kPanelHeight, KeyPressMask | KeyReleaseMask);
    XSetInputFocus(display, host, RevertToParent, CurrentTime);
    check.expectEq(p.open(host), 1, "the editor opens");
    pump(p, host, 200);
    const float before = p.get(kKnob);

    // Over a panel never clicked: the transport's space bar and the arrows are the host's.
    KeysSeen hovering;
    pointerTo(0, 40 + kKnobX, 40 + kKnobY);
    pump(p, host, 50);
    for (KeySym s : {KeySym(XK_Up), KeySym(XK_space), KeySym(XK_Left), KeySym(XK_a)}) {
        key(s, true);
        pump(p, host, 30, &hovering);
        key(s, false);
        pump(p, host, 30, &hovering);
    }
    pump(p, host, 100, &hovering);
    std::printf("keys over the unclicked panel: the host got %d of 4 presses, %d of 4 releases\n",
                hovering.presses, hovering.releases);
    check.expectEq(hovering.presses, 4, "every press over an unclicked panel reaches the host");
    check.expectEq(hovering.releases, 4, "every release over an unclicked panel reaches the host");
    check.expectEq(count(hovering.pressed, XK_space), 1, "the host gets its space bar");
    check.expect(p.get(kKnob) == before, "no knob moves for keys it was not given");

    // Pressed beside the panel, released over it: the host must see the release.
    KeysSeen across;
    pointerTo(0, 40 + kPanelWidth + 60, 40 + 200);
    pump(p, host, 50);
    key(XK_z, true);
    pump(p, host, 50, &across);
    pointerTo(0, 40 + kKnobX, 40 + kKnobY);
    pump(p, host, 50, &across);
    key(XK_z, false);
    pump(p, host, 100, &across);
    std::printf(
        "key pressed beside the panel, released over it: %d press, %d release at the "
        "host\n",
        across.presses, across.releases);
    check.expectEq(count(across.released, XK_z), 1, "the release of a key pressed beside arrives");

    // A click on the knob gives it the focus: now it takes the arrows, but not the space bar,
    // and the host still gets every release. A handler the host installs in the begin-of-edit
    // callback stays installed.
    installInCallback = &installedInCallback;
    XTestFakeButtonEvent(display, 1, True, 0);
    XTestFakeButtonEvent(display, 1, False, 0);
    XSync(display, False);
    pump(p, host, 300);
    check.expect(beginEdits.load() > 0, "the click on the knob began an edit");
    XErrorHandler current = XSetErrorHandler(&unusedHandler);
    XSetErrorHandler(current);
    check.expect(current == &installedInCallback,
                 "a handler installed in a plug-in callback stays installed");
    const float clicked = p.get(kKnob);
    KeysSeen focused;
    for (KeySym s : {KeySym(XK_Up), KeySym(XK_space)}) {
        key(s, true);
        pump(p, host, 30, &focused);
        key(s, false);
        pump(p, host, 30, &focused);
    }
    pump(p, host, 100, &focused);
    std::printf(
        "keys over the clicked knob: the knob moved %.3f; the host got %d Up and %d "
        "space presses, %d releases\n",
        p.get(kKnob) - clicked, count(focused.pressed, XK_Up), count(focused.pressed, XK_space),
        focused.releases);
    check.expect(p.get(kKnob) > clicked, "the clicked knob takes the Up key");
    check.expectEq(count(focused.pressed, XK_Up), 0, "the key the knob took stays with the panel");
    check.expectEq(count(focused.pressed, XK_space), 1, "the space bar still reaches the host");
    check.expectEq(focused.releases, 2, "every release reaches the host");
    p.send(effEditClose);
    return 0;
}

// ---- early -----------------------------------------------------------------------------------

int caseEarly(Plugin& p) {
    // The window exists on the host's side only: created and mapped, not yet flushed. The
    // host's other thread flushes its connection 150 ms later.
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    const ::Window parent =
        XCreateWindow(display, DefaultRootWindow(display), 40, 40, kPanelWidth, kPanelHeight, 0,
                      CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
    XMapWindow(display, parent);
    std::thread flusher([] {
        sleepMs(150);
        XFlush(display);
    });
    auto start = std::chrono::steady_clock::now();
    const intptr_t opened = p.open(parent);
    const long long waited = millisecondsSince(start);
    flusher.join();
    std::printf("early: effEditOpen answered %ld after %lld ms\n", long(opened), waited);
    check.expectEq(opened, 1, "effEditOpen before the host's flush opens the editor");
    pump(p, parent, 100);
    check.expectEq(long(childrenOf(parent).size()), 1, "the panel is in the host's window");
    p.send(effEditClose);

    // A window that never comes: refused, in bounded time.
    const ::Window gone =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(display, gone);
    XSync(display, False);
    start = std::chrono::steady_clock::now();
    const intptr_t refused = p.open(gone);
    const long long gaveUp = millisecondsSince(start);
    std::printf("early: a window that never comes refused (%ld) after %lld ms\n", long(refused),
                gaveUp);
    check.expectEq(refused, 0, "a window that never comes is refused");
    check.expect(gaveUp < 2000, "the wait for the parent is bounded", gaveUp, 2000);
    p.send(effEditClose);
    return 0;
}

// ---- second-screen ---------------------------------------------------------------------------

int caseSecondScreen(Plugin& p) {
    if (ScreenCount(display) < 2 || !hasXTest()) {
        std::printf("second-screen: needs two screens and XTest\n");
        return 77;
    }
    const int left = 150, top = 100;
    const ::Window parent = hostWindow(1, left, top, kPanelWidth, kPanelHeight, 0);
    check.expectEq(p.open(parent), 1, "the editor opens on the second screen");
    pump(p, parent, 200);
    const float before = p.get(kKnob);
    const int x = left + kKnobX, y = top + kKnobY;
    pointerTo(1, x, y);
    XTestFakeButtonEvent(display, 1, True, 0);
    XSync(display, False);
    // The host's thread is inside the drag from the next idle on; another connection moves the
    // pointer up by 100 pixels meanwhile and lets go.
    std::thread hand([x, y] {
        Display* d = XOpenDisplay(nullptr);
        if (!d) return;
        for (int step = 1; step <= 10; step++) {
            sleepMs(30);
            pointerTo(d, 1, x, y - 10 * step);
        }
        sleepMs(100);
        XTestFakeButtonEvent(d, 1, False, 0);
        XSync(d, False);
        XCloseDisplay(d);
    });
    pump(p, parent, 800);
    hand.join();
    pump(p, parent, 100);
    const float moved = p.get(kKnob) - before;
    std::printf("second-screen: a 100-pixel drag up moved the knob by %.3f (begin %d, end %d)\n",
                moved, beginEdits.load(), endEdits.load());
    // A linear drag spans the range over 200 pixels: 100 pixels are half of it.
    check.expect(moved > 0.4f && moved < 0.6f, "the drag follows the pointer on that screen",
                 long(moved * 1000), 500);
    check.expect(beginEdits.load() == 1 && endEdits.load() == 1, "one edit, begun and ended");
    p.send(effEditClose);
    return 0;
}

// ---- drag ------------------------------------------------------------------------------------

// Where the host's thread is held inside a press, the host can neither move the pointer nor
// let go: another connection lets go after 2 s unless cancelled, so that such a run ends (as a
// failure) instead of hanging.
class ReleaseIfHeld {
public:
    ReleaseIfHeld()
        : helper([this] {
              for (int waited = 0; waited < 2000 && !cancelled.load(); waited += 10) sleepMs(10);
              if (cancelled.load()) return;
              Display* d = XOpenDisplay(nullptr);
              if (!d) return;
              XTestFakeButtonEvent(d, 1, False, 0);
              XSync(d, False);
              XCloseDisplay(d);
          }) {}
    ~ReleaseIfHeld() { cancel(); }
    void cancel() {
        cancelled = true;
        if (helper.joinable()) helper.join();
    }

private:
    std::atomic<bool> cancelled{false};
    std::thread helper;
};

// A drag of knob 7 by `pixels` upwards with `modifier` held (0: none), the host doing its own
// work between idle calls: it moves the pointer itself, one step per idle. Answers how far the
// knob moved; `longestIdle` gets the longest effEditIdle call in milliseconds.
float dragKnob(Plugin& p, ::Window parent, int pixels, KeySym modifier, long long* longestIdle) {
    const int x = 40 + kKnobX, y = 40 + kKnobY;
    pointerTo(0, x, y);
    pump(p, parent, 50);
    const float before = p.get(kKnob);
    if (modifier) key(modifier, true);
    XTestFakeButtonEvent(display, 1, True, 0);
    XSync(display, False);
    ReleaseIfHeld rescue;
    const int steps = 10;
    for (int step = 0; step <= steps; step++) {
        if (step > 0) pointerTo(0, x, y - pixels * step / steps);
        const auto start = std::chrono::steady_clock::now();
        p.send(effEditIdle);
        *longestIdle = std::max(*longestIdle, millisecondsSince(start));
        sleepMs(20);
    }
    rescue.cancel();
    XTestFakeButtonEvent(display, 1, False, 0);
    XSync(display, False);
    if (modifier) key(modifier, false);
    pump(p, parent, 100);
    return p.get(kKnob) - before;
}

// Presses on knob 7 and moves `pixels` up with the button held, idling the editor meanwhile.
void pressOnKnobAndMoveUp(Plugin& p, ::Window parent, int pixels) {
    pointerTo(0, 40 + kKnobX, 40 + kKnobY);
    pump(p, parent, 50);
    XTestFakeButtonEvent(display, 1, True, 0);
    XSync(display, False);
    pump(p, parent, 50);
    pointerTo(0, 40 + kKnobX, 40 + kKnobY - pixels);
    pump(p, parent, 50);
}

int caseDrag(Plugin& p) {
    if (!hasXTest()) {
        std::printf("drag: no XTest on this display\n");
        return 77;
    }
    const ::Window parent = hostWindow(0, 40, 40, kPanelWidth, kPanelHeight, 0);
    check.expectEq(p.open(parent), 1, "the editor opens");
    pump(p, parent, 200);

    long long longest = 0;
    const float plain = dragKnob(p, parent, 100, 0, &longest);
    std::printf(
        "drag: 100 pixels up moved the knob %.3f; the longest idle call took %lld ms; "
        "begin %d, end %d\n",
        plain, longest, beginEdits.load(), endEdits.load());
    check.expect(longest < 1000, "no idle call holds the host during the drag", longest, 1000);
    // A linear drag spans the range over 200 pixels.
    check.expect(plain > 0.45f && plain < 0.55f, "the drag followed the pointer",
                 long(plain * 1000), 500);
    check.expect(beginEdits.load() == 1 && endEdits.load() == 1, "one edit, begun and ended");

    p.set(kKnob, 0.25f);
    pump(p, parent, 50);
    longest = 0;
    const float fine = dragKnob(p, parent, 100, XK_Shift_L, &longest);
    std::printf("drag with Shift: moved %.4f\n", fine);
    check.expect(fine > 0.0f && fine < 0.02f, "Shift drags finely", long(fine * 10000), 50);

    // Alt: the other drag mode, which follows the pointer's angle around the knob's centre:
    // straight above it is the middle of the range.
    p.set(kKnob, 0.1f);
    pump(p, parent, 50);
    longest = 0;
    dragKnob(p, parent, 100, XK_Alt_L, &longest);
    std::printf("drag with Alt to straight above the knob: value %.3f\n", p.get(kKnob));
    check.expect(p.get(kKnob) > 0.48f && p.get(kKnob) < 0.52f, "Alt drags by the angle",
                 long(p.get(kKnob) * 1000), 500);
    check.expect(beginEdits.load() == 3 && endEdits.load() == 3, "every drag's edit ended");

    // The editor closed by the host in the middle of a drag: the edit ends at once.
    ReleaseIfHeld rescue;
    pressOnKnobAndMoveUp(p, parent, 20);
    const int endsBefore = endEdits.load();
    p.send(effEditClose);
    check.expectEq(endEdits.load(), endsBefore + 1, "closing during a drag ends the edit");
    rescue.cancel();
    XTestFakeButtonEvent(display, 1, False, 0);
    XSync(display, False);
    pump(p, parent, 50);
    check.expect(childrenOf(parent).empty(), "the closed editor left no window");
    check.expectEq(p.open(parent), 1, "the editor opens again");
    pump(p, parent, 100);

    // The host destroys its window in the middle of a drag: no pointer event comes any more,
    // and the edit ends with the window.
    const int begunBefore = beginEdits.load();
    {
        ReleaseIfHeld held;
        pressOnKnobAndMoveUp(p, parent, 30);
        check.expectEq(beginEdits.load(), begunBefore + 1, "the drag began");
        XDestroyWindow(display, parent);
        XSync(display, False);
        pump(p, 0, 100);
        check.expectEq(beginEdits.load(), endEdits.load(),
                       "a drag ends when the host destroys its window");
        held.cancel();
    }
    XTestFakeButtonEvent(display, 1, False, 0);
    XSync(display, False);
    p.send(effEditClose);
    check.expectEq(beginEdits.load(), endEdits.load(), "every begin of edit has its end");
    return 0;
}

// ---- null-parent -----------------------------------------------------------------------------

int caseNullParent(Plugin& p) {
    const size_t windows = childrenOf(DefaultRootWindow(display)).size();
    const intptr_t answer = p.send(effEditOpen, 0, nullptr);
    std::printf("null-parent: effEditOpen answered %ld\n", long(answer));
    check.expectEq(answer, 0, "effEditOpen with a null parent is refused");
    p.send(effEditIdle);
    p.send(effEditClose);
    XSync(display, False);
    check.expectEq(long(childrenOf(DefaultRootWindow(display)).size()), long(windows),
                   "no window was made anywhere");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: x11_host_safety <plug-in> "
                     "errors|killed|keys|early|second-screen|null-parent|drag\n");
        return 2;
    }
    XInitThreads();  // the cases use the host's connection from a second thread
    display = XOpenDisplay(nullptr);
    if (!display) {
        std::printf("x11_host_safety: no X display\n");
        return 77;
    }
    Plugin plugin;
    if (!plugin.load(argv[1])) {
        std::printf("FAIL: cannot load %s\n", argv[1]);
        return 1;
    }
    const std::string which = argv[2];
    int status = 2;
    if (which == "errors") status = caseErrors(plugin);
    if (which == "killed") status = caseKilled(plugin);
    if (which == "keys") status = caseKeys(plugin);
    if (which == "early") status = caseEarly(plugin);
    if (which == "second-screen") status = caseSecondScreen(plugin);
    if (which == "null-parent") status = caseNullParent(plugin);
    if (which == "drag") status = caseDrag(plugin);
    if (status != 0) return status;
    return check.finish(("x11_host_safety " + which).c_str());
}
