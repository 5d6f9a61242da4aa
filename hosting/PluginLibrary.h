#pragma once
// One loaded plug-in library and its entry, unloaded with the object.

#include "hosting/PluginModule.h"

class PluginLibrary {
public:
    explicit PluginLibrary(const char* path);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // True when the library loaded and exports an entry.
    bool loaded() const { return main != nullptr; }
    PluginMain entry() const { return main; }
    // A new effect from the entry with the given host callback, or null when it refuses.
    AEffect* create(audioMasterCallback host) const { return main ? main(host) : nullptr; }

private:
    PluginModule module;
    PluginMain main;
};
