#pragma once
// The data-object, global-memory and shell calls that a drop needs, behind one interface: the
// real IDataObject / kernel32 / shell32 / shell-link calls on Windows, and a test double with
// data objects built by tests (tests/platform_double).

#include <cstddef>
#include <cstdint>

namespace platform {

// COM calling convention of the interface slots the system implements itself.
#if defined(_WIN32) && !defined(_WIN64)
#define OSQ_COM_CALL __stdcall
#else
#define OSQ_COM_CALL
#endif

using ComResult = int32_t;  // HRESULT
constexpr ComResult kComOk = 0;
constexpr ComResult kComNoInterface = static_cast<ComResult>(0x80004002u);

// An interface identifier (GUID) in its binary layout.
struct InterfaceId {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};
bool sameInterfaceId(const InterfaceId& a, const InterfaceId& b);
extern const InterfaceId kIidUnknown;     // IID_IUnknown
extern const InterfaceId kIidDropTarget;  // IID_IDropTarget

// POINTL, passed by value to the drop target's slots.
struct ScreenPoint {
    int32_t x;
    int32_t y;
};

// Clipboard formats offered by a drop.
enum ClipboardFormat : uint16_t {
    kFormatText = 1,    // CF_TEXT
    kFormatFiles = 15,  // CF_HDROP
};

// Key-state and effect bits of a drag.
constexpr uint32_t kKeyControl = 8;  // MK_CONTROL
constexpr uint32_t kDropEffectNone = 0;
constexpr uint32_t kDropEffectCopy = 1;
constexpr uint32_t kDropEffectMove = 2;

// The storage medium GetData hands out: a global memory handle and, optionally, the object
// responsible for releasing it (pUnkForRelease).
struct DropMedium {
    void* global;
    void* releaseObject;
};

// IDataObject::QueryGetData for the format with no target device, DVASPECT_CONTENT, index -1
// and TYMED_HGLOBAL: true on S_OK.
bool dataOffersFormat(void* dataObject, uint16_t format);
// IDataObject::GetData with the same format record: true on S_OK, the medium filled.
bool getDropData(void* dataObject, uint16_t format, DropMedium* medium);
// The releasing object's Release when there is one, GlobalFree of the handle otherwise.
void releaseDropMedium(DropMedium* medium);

// DragQueryFileA with index 0xFFFFFFFF: the number of files in a dropped file list.
uint32_t dropFileCount(void* drop);
// DragQueryFileA of one name into a buffer of the given size: the name's length, 0 when it
// cannot be read.
uint32_t dropFileName(void* drop, uint32_t index, char* buffer, uint32_t size);

// GlobalLock / GlobalSize / GlobalUnlock.
void* lockGlobal(void* global);
size_t globalSize(void* global);
void unlockGlobal(void* global);

// Shell-link resolution of a ".lnk" file name in place (buffer of `size` bytes): on success the
// name becomes the link target's short path; on any failure it is left as it was.
void resolveShortcutInPlace(char* name, uint32_t size);

}  // namespace platform
