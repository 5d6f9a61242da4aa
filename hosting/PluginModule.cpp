#include "hosting/PluginModule.h"

#include <cstring>

#ifndef _WIN32
#include <dlfcn.h>
#endif

#ifdef _WIN32
PluginModule openPlugin(const char* path) { return LoadLibraryA(path); }
void* pluginSymbol(PluginModule module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(module, name));
}
void closePlugin(PluginModule module) { FreeLibrary(module); }
std::string loadError(const char*) {
    return "Windows error " + std::to_string(static_cast<unsigned long>(GetLastError()));
}
#else
PluginModule openPlugin(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
void* pluginSymbol(PluginModule module, const char* name) { return dlsym(module, name); }
void closePlugin(PluginModule module) { dlclose(module); }
std::string loadError(const char* path) {
    const char* raw = dlerror();
    std::string reason = raw != nullptr ? raw : "unknown reason";
    // dlerror repeats the path in front of its reason.
    const std::string prefix = std::string(path) + ": ";
    if (reason.compare(0, prefix.size(), prefix) == 0) reason = reason.substr(prefix.size());
    return reason;
}
#endif

PluginMain findPluginEntry(PluginModule module) {
    if (!module) return nullptr;
    void* symbol = pluginSymbol(module, "VSTPluginMain");
    if (!symbol) symbol = pluginSymbol(module, "main");
    PluginMain entry = nullptr;
    // A data pointer to a function pointer: copied, since the cast is not portable C++.
    if (symbol) std::memcpy(&entry, &symbol, sizeof entry);
    return entry;
}
