// The library entry and the one exported function. Only the plug-in binary contains this file.

#include "graphics/ModuleHandle.h"
#include "host/AEffect.h"
#include "plugin/EffectCreation.h"

#ifdef _WIN32
#include <windows.h>

// Called by the system on load, unload and thread attach/detach: the bitmaps and the window
// class need the module's handle.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
    moduleInstance = instance;
    return TRUE;
}
#define OSTRAQUELLE_EXPORT
#else
#define OSTRAQUELLE_EXPORT __attribute__((visibility("default")))
#endif

// The host's first call: answers the record of a new, independent effect, or null.
// Exported as "main" (and, for 64-bit and Linux hosts, also as "VSTPluginMain").
extern "C" OSTRAQUELLE_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host) {
    return createEffectRecord(host);
}

#ifndef _WIN32
// C++ does not allow a function named main that returns a pointer; export an alias instead.
extern "C" OSTRAQUELLE_EXPORT AEffect* pluginMainAlias(audioMasterCallback host) __asm__("main")
    __attribute__((alias("VSTPluginMain")));
#endif
