// Test double for the data-object, global-memory and shell-link calls of a drop. Data
// objects are the double's DataObject records; GetData hands out global blocks that count
// their locks and their release.

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "graphics/platform/DragDrop.h"
#include "platform_double/PlatformDouble.h"

namespace platform {
namespace {

struct GlobalBlock {
    std::vector<unsigned char> bytes;  // a text block
    std::vector<std::string> files;    // a dropped file list (HDROP)
    bool isFileList = false;
    bool releasedThroughObject = false;
    int32_t locks = 0;
};

struct DropState {
    std::set<GlobalBlock*> globals;
    int32_t globalFrees = 0;
    int32_t objectReleases = 0;
    int32_t outstandingLocks = 0;
    std::map<std::string, std::string> shortcuts;
    int32_t resolves = 0;
};

DropState& dropState() {
    static DropState s;
    return s;
}

GlobalBlock* block(void* global) {
    auto* b = static_cast<GlobalBlock*>(global);
    return dropState().globals.count(b) ? b : nullptr;
}

void freeBlock(GlobalBlock* b) {
    dropState().globals.erase(b);
    delete b;
}

// The medium's releasing object: the double encodes "release through an object" by pointing
// releaseObject at the block itself.
}  // namespace

bool dataOffersFormat(void* dataObject, uint16_t format) {
    auto* data = static_cast<testdouble::DataObject*>(dataObject);
    if (!data) return false;
    if (format == kFormatText) return data->offersText;
    if (format == kFormatFiles) return data->offersFiles;
    return false;
}

bool getDropData(void* dataObject, uint16_t format, DropMedium* medium) {
    auto* data = static_cast<testdouble::DataObject*>(dataObject);
    if (!data || !medium || !dataOffersFormat(dataObject, format)) return false;
    medium->global = nullptr;
    medium->releaseObject = nullptr;
    if (data->nullMemory) return true;
    auto* b = new GlobalBlock;
    if (format == kFormatText) {
        b->bytes = data->textBlock;
    } else {
        b->isFileList = true;
        b->files = data->files;
    }
    dropState().globals.insert(b);
    medium->global = b;
    if (data->releaseThroughObject) medium->releaseObject = b;
    return true;
}

void releaseDropMedium(DropMedium* medium) {
    if (!medium) return;
    if (medium->releaseObject) {
        dropState().objectReleases++;
        if (GlobalBlock* b = block(medium->releaseObject)) freeBlock(b);
    } else if (medium->global) {
        dropState().globalFrees++;
        if (GlobalBlock* b = block(medium->global)) freeBlock(b);
    }
}

uint32_t dropFileCount(void* drop) {
    GlobalBlock* b = block(drop);
    return (b && b->isFileList) ? static_cast<uint32_t>(b->files.size()) : 0;
}

uint32_t dropFileName(void* drop, uint32_t index, char* buffer, uint32_t size) {
    GlobalBlock* b = block(drop);
    if (!b || !b->isFileList || index >= b->files.size() || !buffer || size == 0) return 0;
    // DragQueryFileA copies what fits and terminates it.
    const std::string& name = b->files[index];
    uint32_t length = static_cast<uint32_t>(std::min<size_t>(name.size(), size - 1));
    std::memcpy(buffer, name.data(), length);
    buffer[length] = '\0';
    return length;
}

void* lockGlobal(void* global) {
    GlobalBlock* b = block(global);
    if (!b || b->isFileList || b->bytes.empty()) return nullptr;
    b->locks++;
    dropState().outstandingLocks++;
    return b->bytes.data();
}

size_t globalSize(void* global) {
    GlobalBlock* b = block(global);
    return (b && !b->isFileList) ? b->bytes.size() : 0;
}

void unlockGlobal(void* global) {
    GlobalBlock* b = block(global);
    if (b && b->locks > 0) {
        b->locks--;
        dropState().outstandingLocks--;
    }
}

void resolveShortcutInPlace(char* name, uint32_t size) {
    dropState().resolves++;
    if (!name || size == 0) return;
    auto found = dropState().shortcuts.find(name);
    if (found == dropState().shortcuts.end()) return;  // a broken link keeps its own path
    const std::string& target = found->second;
    if (target.size() + 1 > size) return;
    std::memcpy(name, target.c_str(), target.size() + 1);
}

namespace testdouble {

int32_t liveGlobals() { return static_cast<int32_t>(dropState().globals.size()); }
int32_t globalFreeCalls() { return dropState().globalFrees; }
int32_t mediumObjectReleases() { return dropState().objectReleases; }
int32_t outstandingGlobalLocks() { return dropState().outstandingLocks; }

void addShortcut(const std::string& linkPath, const std::string& targetShortPath) {
    dropState().shortcuts[linkPath] = targetShortPath;
}

int32_t shortcutResolveCalls() { return dropState().resolves; }

}  // namespace testdouble
}  // namespace platform
