// A host's first contact with the plug-in: load it by path, check its exports, call main
// with our own callback, and read the record byte by byte at the offsets hosts use.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "CheckCounter.h"
#include "hosting/PluginModule.h"

namespace {
CheckCounter check;
std::vector<int32_t> hostOpcodes;
std::vector<AEffect*> hostEffects;
intptr_t versionAnswer = 2400;

intptr_t VSTCALLBACK hostCallback(AEffect* effect, int32_t opcode, int32_t, intptr_t, void*,
                                  float) {
    hostOpcodes.push_back(opcode);
    hostEffects.push_back(effect);
    return opcode == audioMasterVersion ? versionAnswer : 0;
}

template <typename T>
T readAt(const void* record, size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const char*>(record) + offset, sizeof value);
    return value;
}

struct Layout {
    size_t magic, dispatcher, process, setParameter, getParameter, numPrograms, numParams,
        numInputs, numOutputs, flags, resvd1, resvd2, initialDelay, realQualities, offQualities,
        ioRatio, object, user, uniqueID, version, processReplacing, future;
};
const Layout kLayout = sizeof(void*) == 4 ? Layout{0,  4,  8,  12, 16, 20, 24, 28, 32, 36, 40,
                                                   44, 48, 52, 56, 60, 64, 68, 72, 76, 80, 84}
                                          : Layout{0,  8,  16, 24, 32, 40, 44,  48,  52,  56,  64,
                                                   72, 80, 84, 88, 92, 96, 104, 112, 116, 120, 128};

#ifdef _WIN32
// The names in the module's export directory, read from the loaded image.
std::set<std::string> exportedNames(HMODULE module) {
    std::set<std::string> names;
    auto* base = reinterpret_cast<const unsigned char*>(module);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.VirtualAddress == 0) return names;
    auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    auto* nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        names.insert(reinterpret_cast<const char*>(base + nameRvas[i]));
    check.expectEq(exports->NumberOfFunctions, exports->NumberOfNames,
                   "every exported function has a name");
    return names;
}
#endif

intptr_t send(AEffectDispatcherProc dispatcher, AEffect* record, int32_t opcode, int32_t index = 0,
              intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f) {
    return dispatcher(record, opcode, index, value, ptr, opt);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: %s <plug-in>\n", argv[0]);
        return 2;
    }
    PluginModule module = openPlugin(argv[1]);
    if (!module) {
        std::printf("FAIL: cannot load %s\n", argv[1]);
        return 1;
    }

#ifdef _WIN32
    std::set<std::string> names = exportedNames(module);
    std::set<std::string> wanted = sizeof(void*) == 4
                                       ? std::set<std::string>{"main"}
                                       : std::set<std::string>{"VSTPluginMain", "main"};
    check.expect(names == wanted, "export table holds exactly the entry names",
                 static_cast<long long>(names.size()), static_cast<long long>(wanted.size()));
    for (const std::string& name : names) std::printf("export: %s\n", name.c_str());
#endif
    auto pluginMain = reinterpret_cast<PluginMain>(pluginSymbol(module, "main"));
    check.expect(pluginMain != nullptr, "main is exported");
    if (!pluginMain) return check.finish("record_check");

    // A host that answers 0 to the version query gets nothing.
    versionAnswer = 0;
    check.expect(pluginMain(hostCallback) == nullptr, "main refuses a host of version 0");
    versionAnswer = 2400;
    hostOpcodes.clear();
    hostEffects.clear();

    AEffect* record = pluginMain(hostCallback);
    check.expect(record != nullptr, "main answers a record");
    if (!record) return check.finish("record_check");
    check.expect(
        !hostOpcodes.empty() && hostOpcodes[0] == audioMasterVersion && hostEffects[0] == nullptr,
        "main asks for the host version first, with a null record");

    const Layout& l = kLayout;
    check.expectEq(readAt<int32_t>(record, l.magic), 0x56737450, "magic");
    auto dispatcher = readAt<AEffectDispatcherProc>(record, l.dispatcher);
    check.expect(dispatcher != nullptr, "dispatcher entry");
    check.expect(readAt<AEffectProcessProc>(record, l.process) != nullptr, "process entry");
    auto setParameter = readAt<AEffectSetParameterProc>(record, l.setParameter);
    auto getParameter = readAt<AEffectGetParameterProc>(record, l.getParameter);
    check.expect(setParameter && getParameter, "parameter entries");
    check.expectEq(readAt<int32_t>(record, l.numPrograms), 8, "numPrograms");
    check.expectEq(readAt<int32_t>(record, l.numParams), 21, "numParams");
    check.expectEq(readAt<int32_t>(record, l.numInputs), 2, "numInputs");
    check.expectEq(readAt<int32_t>(record, l.numOutputs), 8, "numOutputs");
    check.expectEq(readAt<intptr_t>(record, l.resvd1), 0, "resvd1");
    check.expectEq(readAt<intptr_t>(record, l.resvd2), 0, "resvd2");
    check.expectEq(readAt<int32_t>(record, l.initialDelay), 0, "initialDelay");
    check.expectEq(readAt<int32_t>(record, l.realQualities), 0, "realQualities");
    check.expectEq(readAt<int32_t>(record, l.offQualities), 0, "offQualities");
    check.expect(readAt<float>(record, l.ioRatio) == 1.0f, "ioRatio is 1.0");
    check.expect(readAt<void*>(record, l.object) != nullptr, "object back-pointer");
    check.expect(readAt<void*>(record, l.user) == nullptr, "user is left to the host");
    check.expectEq(readAt<int32_t>(record, l.uniqueID), 0x6C51734F, "uniqueID 'OsQl'");
    check.expect(std::memcmp(static_cast<const char*>(static_cast<void*>(record)) + l.uniqueID,
                             "OsQl", 4) == 0,
                 "uniqueID bytes in memory order");
    check.expectEq(readAt<int32_t>(record, l.version), 1, "version");
    check.expect(readAt<AEffectProcessProc>(record, l.processReplacing) != nullptr,
                 "processReplacing entry");
    bool futureZero = true;
    for (size_t i = 0; i < 60; ++i)
        futureZero = futureZero && readAt<char>(record, l.future + i) == 0;
    check.expect(futureZero, "future is 60 zero bytes");

    // The editor bit is set exactly when the effect has an editor that answers a rectangle.
    ERect* rect = nullptr;
    const bool hasEditor = send(dispatcher, record, effEditGetRect, 0, 0, &rect) != 0;
    check.expectEq(readAt<int32_t>(record, l.flags), hasEditor ? 25 : 24, "flags");

    check.expectEq(send(dispatcher, record, effIdentify), 0x4E764566, "opcode 22 answers 'NvEf'");
    check.expectEq(send(dispatcher, record, effKeysRequired), 1, "opcode 57: keys not required");
    check.expectEq(send(dispatcher, record, effGetVstVersion), 2300, "opcode 58: version 2300");
    check.expectEq(send(dispatcher, record, 77, 1, 1, record, 1.0f), 0, "opcode 77 answers 0");
    check.expectEq(send(dispatcher, record, -1, 1, 1, record, 1.0f), 0, "opcode -1 answers 0");
    send(dispatcher, record, effSetProgram, 0, 7);
    check.expectEq(send(dispatcher, record, effGetProgram), 7, "program 7 is accepted");
    send(dispatcher, record, effSetProgram, 0, 8);
    send(dispatcher, record, effSetProgram, 0, -1);
    check.expectEq(send(dispatcher, record, effGetProgram), 7, "programs 8 and -1 are ignored");

    AEffect* second = pluginMain(hostCallback);
    check.expect(second != nullptr && second != record &&
                     readAt<void*>(second, l.object) != readAt<void*>(record, l.object),
                 "a second main gives an independent effect");
    check.expectEq(send(dispatcher, record, effClose), 1, "effClose answers 1");
    if (second) {
        send(dispatcher, second, effSetProgram, 0, 3);
        check.expectEq(send(dispatcher, second, effGetProgram), 3,
                       "the second effect lives on after the first is closed");
        check.expectEq(send(dispatcher, second, effClose), 1, "effClose of the second");
    }
    closePlugin(module);
    return check.finish("record_check");
}
