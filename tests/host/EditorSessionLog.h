#pragma once
// What an editor-testing host keeps of its callback: every call (effect, opcode, index,
// value), and the session directory through which a driver script plays the user (see
// tests/scripts/lib/user.sh): each begin of edit creates began-<n> there.

#include <cstdio>
#include <string>
#include <vector>

#include "hosting/PluginModule.h"

struct HostCall {
    AEffect* effect;
    int32_t opcode;
    int32_t index;
    float value;
};
inline std::vector<HostCall> calls;
inline std::string sessionDir;
inline int beginEdits = 0;

// A file of the session directory (none without a session). Forward slashes serve on Windows
// too.
inline void touch(const std::string& name, const std::string& content = "") {
    if (sessionDir.empty()) return;
    FILE* f = std::fopen((sessionDir + "/" + name).c_str(), "wb");
    if (!f) return;
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
}

inline bool exists(const std::string& name) {
    FILE* f = std::fopen((sessionDir + "/" + name).c_str(), "rb");
    if (f) std::fclose(f);
    return f != nullptr;
}

inline intptr_t VSTCALLBACK hostCallback(AEffect* effect, int32_t opcode, int32_t index,
                                         intptr_t, void*, float opt) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterIdle) return 0;
    calls.push_back({effect, opcode, index, opt});
    if (opcode == audioMasterBeginEdit) touch("began-" + std::to_string(++beginEdits));
    return 0;
}

// The calls one effect made since the log was cleared.
inline std::vector<HostCall> callsOf(const AEffect* effect) {
    std::vector<HostCall> out;
    for (const HostCall& c : calls)
        if (c.effect == effect) out.push_back(c);
    return out;
}
