// Test double for the cursor, key, system-metric, window-geometry and library calls: the
// values come from what tests set, so mouse tracking and button logic run deterministically.

#include <cctype>
#include <cstring>
#include <map>
#include <string>

#include "graphics/platform/raster/RasterState.h"
#include "platform_double/PlatformDouble.h"

namespace platform {
namespace {

bool keysDown[256] = {};
PointRec cursor = {0, 0};
bool swapped = false;
testdouble::WindowRectHook windowRectHook = nullptr;
uint32_t platformId = kVerPlatformWin32Nt;
int librariesLoaded = 0;

struct Library : ModuleTag {
    std::string name;
    bool available;
};

std::string lowercase(const char* text) {
    std::string result(text ? text : "");
    for (char& c : result) c = char(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

std::map<std::string, Library>& libraries() {
    static std::map<std::string, Library> known = [] {
        std::map<std::string, Library> initial;
        initial["msimg32.dll"].name = "msimg32.dll";
        initial["msimg32.dll"].available = true;
        return initial;
    }();
    return known;
}

Library* findLibrary(HModule module) {
    for (auto& entry : libraries())
        if (static_cast<ModuleTag*>(&entry.second) == module) return &entry.second;
    return nullptr;
}

}  // namespace

HModule LoadLibraryA(const char* name) {
    auto found = libraries().find(lowercase(name));
    if (found == libraries().end() || !found->second.available) return nullptr;
    librariesLoaded++;
    return &found->second;
}

void* GetProcAddress(HModule module, const char* name) {
    Library* library = findLibrary(module);
    if (!library || !name) return nullptr;
    if (library->name == "msimg32.dll" && std::strcmp(name, "TransparentBlt") == 0)
        return reinterpret_cast<void*>(&raster::transparentBlt);
    return nullptr;
}

int FreeLibrary(HModule module) {
    if (!findLibrary(module) || librariesLoaded == 0) return 0;
    librariesLoaded--;
    return 1;
}

int GetVersionExA(OsVersionInfoRec* info) {
    if (!info || info->dwOSVersionInfoSize < 148) return 0;
    const uint32_t size = info->dwOSVersionInfoSize;
    std::memset(info, 0, size < sizeof *info ? size : sizeof *info);
    info->dwOSVersionInfoSize = size;
    info->dwMajorVersion = 5;
    info->dwMinorVersion = 1;
    info->dwBuildNumber = 2600;
    info->dwPlatformId = platformId;
    return 1;
}

int16_t GetAsyncKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) return 0;
    return keysDown[virtualKey] ? int16_t(-32768) : 0;
}

int16_t GetKeyState(int virtualKey) { return GetAsyncKeyState(virtualKey); }

int GetSystemMetrics(int index) {
    if (index == kSmSwapButton) return swapped ? 1 : 0;
    if (index == 0) return 1280;  // SM_CXSCREEN
    if (index == 1) return 1024;  // SM_CYSCREEN
    return 0;
}

int GetCursorPos(PointRec* where) {
    if (!where) return 0;
    *where = cursor;
    return 1;
}

int GetWindowRect(HWnd window, RectRec* rect) {
    if (!window || !rect || !windowRectHook) return 0;
    return windowRectHook(window, rect) ? 1 : 0;
}

int ScreenToClient(HWnd window, PointRec* where) {
    RectRec bounds;
    if (!where || !GetWindowRect(window, &bounds)) return 0;
    where->x -= bounds.left;
    where->y -= bounds.top;
    return 1;
}

namespace testdouble {

void setKeyDown(int virtualKey, bool down) {
    if (virtualKey >= 0 && virtualKey <= 255) keysDown[virtualKey] = down;
}

void releaseAllKeys() {
    for (bool& key : keysDown) key = false;
}

void setCursorPos(int x, int y) { cursor = PointRec{x, y}; }
void setSwapButton(bool isSwapped) { swapped = isSwapped; }
WindowRectHook setWindowRectHook(WindowRectHook hook) {
    WindowRectHook previous = windowRectHook;
    windowRectHook = hook;
    return previous;
}

void setLibraryAvailable(const char* name, bool available) {
    Library& library = libraries()[lowercase(name)];
    library.name = lowercase(name);
    library.available = available;
}

void setPlatformId(uint32_t id) { platformId = id; }
int loadedLibraryCount() { return librariesLoaded; }

}  // namespace testdouble
}  // namespace platform
