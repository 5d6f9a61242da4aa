// The data-object, global-memory, shell32 and shell-link calls of a drop on Windows.

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include "graphics/platform/DragDrop.h"

namespace platform {
namespace {

FORMATETC formatFor(uint16_t format) {
    FORMATETC record;
    record.cfFormat = format;
    record.ptd = nullptr;
    record.dwAspect = DVASPECT_CONTENT;
    record.lindex = -1;
    record.tymed = TYMED_HGLOBAL;
    return record;
}

IDataObject* dataObjectOf(void* dataObject) { return static_cast<IDataObject*>(dataObject); }

}  // namespace

bool dataOffersFormat(void* dataObject, uint16_t format) {
    if (!dataObject) return false;
    FORMATETC record = formatFor(format);
    return dataObjectOf(dataObject)->QueryGetData(&record) == S_OK;
}

bool getDropData(void* dataObject, uint16_t format, DropMedium* medium) {
    if (!dataObject || !medium) return false;
    FORMATETC record = formatFor(format);
    STGMEDIUM storage;
    ZeroMemory(&storage, sizeof storage);
    if (dataObjectOf(dataObject)->GetData(&record, &storage) != S_OK) return false;
    // A source may answer with another medium (a stream, a file) despite the request: only
    // global memory can be read here; anything else is given back at once.
    if (storage.tymed != TYMED_HGLOBAL) {
        ReleaseStgMedium(&storage);
        return false;
    }
    medium->global = storage.hGlobal;
    medium->releaseObject = storage.pUnkForRelease;
    return true;
}

void releaseDropMedium(DropMedium* medium) {
    if (!medium) return;
    // The releasing object's Release when there is one, GlobalFree of the block otherwise.
    STGMEDIUM storage;
    ZeroMemory(&storage, sizeof storage);
    storage.tymed = TYMED_HGLOBAL;
    storage.hGlobal = static_cast<HGLOBAL>(medium->global);
    storage.pUnkForRelease = static_cast<IUnknown*>(medium->releaseObject);
    if (storage.hGlobal || storage.pUnkForRelease) ReleaseStgMedium(&storage);
}

uint32_t dropFileCount(void* drop) {
    return DragQueryFileA(static_cast<HDROP>(drop), 0xFFFFFFFF, nullptr, 0);
}

uint32_t dropFileName(void* drop, uint32_t index, char* buffer, uint32_t size) {
    return DragQueryFileA(static_cast<HDROP>(drop), index, buffer, size);
}

void* lockGlobal(void* global) { return GlobalLock(static_cast<HGLOBAL>(global)); }

size_t globalSize(void* global) { return GlobalSize(static_cast<HGLOBAL>(global)); }

void unlockGlobal(void* global) { GlobalUnlock(static_cast<HGLOBAL>(global)); }

void resolveShortcutInPlace(char* name, uint32_t size) {
    IShellLinkA* link = nullptr;
    if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                         reinterpret_cast<void**>(&link)) != S_OK ||
        !link)
        return;
    IPersistFile* file = nullptr;
    if (link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)) == S_OK && file) {
        WCHAR wideName[2048];
        wideName[0] = 0;
        MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, 2048);
        wideName[2047] = 0;
        if (file->Load(wideName, STGM_READ) == S_OK) {
            // No user interface; any match; 500 ms search time-out in the high word.
            if (link->Resolve(nullptr, 0x01F40003) == S_OK) {
                // Into a copy first: a failed GetPath must not spoil the name.
                char target[1024];
                WIN32_FIND_DATAA found;
                target[0] = '\0';
                int targetSize = size < sizeof target ? static_cast<int>(size) : sizeof target;
                if (link->GetPath(target, targetSize, &found, SLGP_SHORTPATH) == S_OK &&
                    target[0] != '\0') {
                    // Some shell-link implementations answer the long path despite the flag;
                    // the short form of a path that is already short is the path itself.
                    char shortTarget[1024];
                    DWORD length = GetShortPathNameA(target, shortTarget, sizeof shortTarget);
                    lstrcpynA(name,
                              length > 0 && length < sizeof shortTarget ? shortTarget : target,
                              targetSize);
                }
            }
        }
        file->Release();
    }
    link->Release();
}

}  // namespace platform
