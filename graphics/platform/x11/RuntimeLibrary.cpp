// Xlib opened at run time (see X11Window.h), and the helper that opens FreeType too.

#include <dlfcn.h>

#include "graphics/platform/x11/X11Window.h"

namespace platform {
namespace x11 {

RuntimeLibrary::RuntimeLibrary(const char* name) : handle(dlopen(name, RTLD_NOW | RTLD_LOCAL)) {}

RuntimeLibrary::~RuntimeLibrary() {
    if (handle) dlclose(handle);
}

void* RuntimeLibrary::find(const char* name) {
    void* symbol = handle ? dlsym(handle, name) : nullptr;
    if (!symbol && handle) {
        dlclose(handle);
        handle = nullptr;
    }
    return symbol;
}

namespace {

// Kept until the plug-in is unloaded, like the connections' library in a linked build.
struct OpenedXlib {
    OpenedXlib() : library("libX11.so.6") {
#define OSTRAQUELLE_XLIB_BIND(name) library.bind(#name, calls.name);
        OSTRAQUELLE_XLIB_CALLS(OSTRAQUELLE_XLIB_BIND)
#undef OSTRAQUELLE_XLIB_BIND
    }
    RuntimeLibrary library;
    XlibCalls calls;
};

const XlibCalls* opened = nullptr;

}  // namespace

const XlibCalls* xlib() {
    static OpenedXlib xlibrary;  // opened on the first call only
    opened = xlibrary.library.loaded() ? &xlibrary.calls : nullptr;
    return opened;
}

const XlibCalls* loadedXlib() { return opened; }

}  // namespace x11
}  // namespace platform
