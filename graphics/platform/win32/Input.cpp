// Cursor, key, window-geometry and library calls on Windows: plain forwarding.

#include <windows.h>

#include "graphics/platform/Gdi.h"

namespace platform {

HModule LoadLibraryA(const char* name) { return reinterpret_cast<HModule>(::LoadLibraryA(name)); }

void* GetProcAddress(HModule module, const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(reinterpret_cast<HMODULE>(module), name));
}

int FreeLibrary(HModule module) { return ::FreeLibrary(reinterpret_cast<HMODULE>(module)); }

int GetVersionExA(OsVersionInfoRec* info) {
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    return ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(info));
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

int16_t GetAsyncKeyState(int virtualKey) { return ::GetAsyncKeyState(virtualKey); }
int16_t GetKeyState(int virtualKey) { return ::GetKeyState(virtualKey); }
int GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }
int GetCursorPos(PointRec* where) { return ::GetCursorPos(reinterpret_cast<POINT*>(where)); }

int GetWindowRect(HWnd window, RectRec* rect) {
    return ::GetWindowRect(reinterpret_cast<HWND>(window), reinterpret_cast<RECT*>(rect));
}

int ScreenToClient(HWnd window, PointRec* where) {
    return ::ScreenToClient(reinterpret_cast<HWND>(window), reinterpret_cast<POINT*>(where));
}

}  // namespace platform
