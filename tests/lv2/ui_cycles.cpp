// The panel's LV2 UI opened and closed 20 times in one host process, as a host that reopens a
// plug-in's window does: while it is open the X server counts one client more (the panel's
// own connection) and the host's window holds the panel; after each close the server is back
// to the clients it had, the host's window is empty and the process holds no more file
// descriptors or threads than before. The server frees every window, pixmap and graphics
// context of a client that leaves, so a panel that leaves nothing connected leaves nothing.
//   lv2_ui_cycles <ostraquelle_ui.so> [cycles]      (on a display: xvfb-run)
#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>
#include <dirent.h>
#include <dlfcn.h>
#include <lv2/ui/ui.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int entries(const char* folder) {
    DIR* dir = opendir(folder);
    if (!dir) return -1;
    int count = 0;
    while (const dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.') ++count;
    closedir(dir);
    return count - (std::strcmp(folder, "/proc/self/fd") == 0 ? 1 : 0);  // opendir's own
}

int clients(Display* display) {
    int count = -1;
    XResClient* list = nullptr;
    if (!XResQueryClients(display, &count, &list)) return -1;
    XFree(list);
    return count;
}

unsigned children(Display* display, Window window) {
    Window root, parent, *kids = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &kids, &count)) return ~0u;
    if (kids) XFree(kids);
    return count;
}

int portWrites = 0;
void write(LV2UI_Controller, uint32_t, uint32_t, uint32_t, const void*) { ++portWrites; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: lv2_ui_cycles <ostraquelle_ui.so> [cycles]\n");
        return 2;
    }
    const int cycles = argc > 2 ? std::atoi(argv[2]) : 20;
    Display* display = XOpenDisplay(nullptr);
    int event, error;
    if (!display || !XResQueryExtension(display, &event, &error)) {
        std::printf("skipped: no display with the X-Resource extension\n");
        return 77;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    const auto entry = library ? reinterpret_cast<const LV2UI_Descriptor* (*)(uint32_t)>(
                                     dlsym(library, "lv2ui_descriptor"))
                               : nullptr;
    const LV2UI_Descriptor* descriptor = entry ? entry(0) : nullptr;
    const auto* idle = descriptor && descriptor->extension_data
                           ? static_cast<const LV2UI_Idle_Interface*>(
                                 descriptor->extension_data(LV2_UI__idleInterface))
                           : nullptr;
    if (!descriptor || !idle) {
        std::printf("FAIL: %s has no UI descriptor with an idle interface (%s)\n", argv[1],
                    dlerror());
        return 1;
    }
    const Window host = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 600, 500,
                                            0, 0, 0);
    XMapWindow(display, host);
    XSync(display, False);

    LV2_Feature parent = {LV2_UI__parent, reinterpret_cast<void*>(host)};
    LV2_Feature idleFeature = {LV2_UI__idleInterface, nullptr};
    const LV2_Feature* features[] = {&parent, &idleFeature, nullptr};
    const int baseClients = clients(display), baseFds = entries("/proc/self/fd"),
              baseThreads = entries("/proc/self/task");
    int failed = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        LV2UI_Widget widget = nullptr;
        LV2UI_Handle ui = descriptor->instantiate(descriptor, "urn:valtrisk:ostraquelle", "",
                                                  write, nullptr, &widget, features);
        if (!ui) {
            std::printf("FAIL cycle %d: instantiate answered null\n", cycle);
            return 1;
        }
        const float gain = -30.0f;
        descriptor->port_event(ui, 10, sizeof gain, 0, &gain);
        for (int i = 0; i < 5; ++i) {
            idle->idle(ui);
            usleep(10000);
        }
        XSync(display, False);
        const int openClients = clients(display);
        const unsigned held = children(display, host);
        descriptor->cleanup(ui);
        XSync(display, False);
        const int leftClients = clients(display), leftFds = entries("/proc/self/fd"),
                  leftThreads = entries("/proc/self/task");
        const unsigned left = children(display, host);
        const bool ok = openClients == baseClients + 1 && held == 1 &&
                        leftClients == baseClients && left == 0 && leftFds == baseFds &&
                        leftThreads == baseThreads;
        if (!ok || cycle == 1 || cycle == cycles)
            std::printf("%s cycle %d: open %d clients, %u panel window(s); closed %d clients "
                        "(before %d), %u window(s), %d fds (%d), %d threads (%d)\n",
                        ok ? "ok  " : "FAIL", cycle, openClients, held, leftClients, baseClients,
                        left, leftFds, baseFds, leftThreads, baseThreads);
        failed |= !ok;
    }
    std::printf("%d cycles, %d port writes\n", cycles, portWrites);
    XDestroyWindow(display, host);
    XCloseDisplay(display);
    return failed;
}
