#include "hosting/PluginLibrary.h"

PluginLibrary::PluginLibrary(const char* path)
    : module(openPlugin(path)), main(findPluginEntry(module)) {}

PluginLibrary::~PluginLibrary() {
    if (module) closePlugin(module);
}
