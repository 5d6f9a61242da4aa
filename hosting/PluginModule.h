#pragma once
// How a host finds a VST 2.x plug-in's entry: LoadLibraryA / GetProcAddress on Windows,
// dlopen / dlsym elsewhere. The renderer, the validator and the test hosts load plug-ins
// through these.

#include <string>

#include "host/AEffect.h"

#ifdef _WIN32
#include <windows.h>
typedef HMODULE PluginModule;
#else
typedef void* PluginModule;
#endif

typedef AEffect*(VSTCALLBACK* PluginMain)(audioMasterCallback host);

// The library at path, or null; loadError then says why.
PluginModule openPlugin(const char* path);
void* pluginSymbol(PluginModule module, const char* name);
void closePlugin(PluginModule module);
// The entry a host calls: VSTPluginMain where the library exports it, else main; null when it
// exports neither.
PluginMain findPluginEntry(PluginModule module);
// Why the last openPlugin of path failed, without the path the system's message repeats.
std::string loadError(const char* path);
