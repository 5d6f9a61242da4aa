// XCB opened at run time (see X11Window.h), and the helper that opens FreeType too.

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
struct OpenedXcb {
    OpenedXcb() : library("libxcb.so.1") {
#define OSTRAQUELLE_XCB_BIND(name) library.bind(#name, calls.name);
        OSTRAQUELLE_XCB_CALLS(OSTRAQUELLE_XCB_BIND)
#undef OSTRAQUELLE_XCB_BIND
    }
    RuntimeLibrary library;
    XcbCalls calls;
};

const XcbCalls* opened = nullptr;

}  // namespace

const XcbCalls* xcb() {
    static OpenedXcb library;  // opened on the first call only
    opened = library.library.loaded() ? &library.calls : nullptr;
    return opened;
}

const XcbCalls* loadedXcb() { return opened; }

}  // namespace x11
}  // namespace platform
