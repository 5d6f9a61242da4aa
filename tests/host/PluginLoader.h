#pragma once
// How a host finds the plug-in's entry: LoadLibraryA / GetProcAddress on Windows,
// dlopen / dlsym elsewhere.

#include <cstdio>

#include "host/AEffect.h"

#ifdef _WIN32
#include <windows.h>
typedef HMODULE PluginModule;
inline PluginModule openPlugin(const char* path) { return LoadLibraryA(path); }
inline void* pluginSymbol(PluginModule module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(module, name));
}
inline void closePlugin(PluginModule module) { FreeLibrary(module); }
#else
#include <dlfcn.h>
typedef void* PluginModule;
inline PluginModule openPlugin(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
inline void* pluginSymbol(PluginModule module, const char* name) { return dlsym(module, name); }
inline void closePlugin(PluginModule module) { dlclose(module); }
#endif

typedef AEffect*(VSTCALLBACK* PluginMain)(audioMasterCallback host);

// Counts checks and failures; the program's exit status is the verdict.
struct CheckCounter {
    int checks = 0;
    int failures = 0;
    void expect(bool ok, const char* what, long long got = 0, long long want = 0) {
        ++checks;
        if (!ok) {
            ++failures;
            std::printf("FAIL: %s (got %lld, want %lld)\n", what, got, want);
        }
    }
    void expectEq(long long got, long long want, const char* what) {
        expect(got == want, what, got, want);
    }
    int finish(const char* name) {
        std::printf("%s: %d checks, %d failed\n", name, checks, failures);
        return failures == 0 ? 0 : 1;
    }
};
