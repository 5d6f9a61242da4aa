#include "graphics/DropTarget.h"

#include <cctype>
#include <cstring>
#include <new>

#include "graphics/DropReceiver.h"

namespace {
constexpr uint32_t kNameBufferSize = 1024;

// True when the text from the name's last "." on is ".lnk", in any case.
bool isShortcutName(const char* name) {
    const char* dot = std::strrchr(name, '.');
    if (!dot) return false;
    const char* extension = ".lnk";
    size_t i = 0;
    for (; dot[i] && extension[i]; i++) {
        if (std::tolower(static_cast<unsigned char>(dot[i])) != extension[i]) return false;
    }
    return dot[i] == '\0' && extension[i] == '\0';
}
}  // namespace

DropTarget::DropTarget(DropReceiver* owner) : referenceCount(0), accept(false), receiver(owner) {}

DropTarget::~DropTarget() = default;

platform::ComResult DropTarget::QueryInterface(const platform::InterfaceId& iid, void** object) {
    if (!object) return platform::kComNoInterface;
    if (platform::sameInterfaceId(iid, platform::kIidDropTarget) ||
        platform::sameInterfaceId(iid, platform::kIidUnknown)) {
        *object = this;
        AddRef();
        return platform::kComOk;
    }
    *object = nullptr;
    return platform::kComNoInterface;
}

uint32_t DropTarget::AddRef() { return static_cast<uint32_t>(++referenceCount); }

uint32_t DropTarget::Release() {
    int32_t count = --referenceCount;
    if (count <= 0) delete this;
    return static_cast<uint32_t>(count);
}

platform::ComResult DropTarget::DragEnter(void* dataObject, uint32_t keyState,
                                          platform::ScreenPoint point, uint32_t* effect) {
    accept = false;
    if (dataObject) {
        accept = platform::dataOffersFormat(dataObject, platform::kFormatText) ||
                 platform::dataOffersFormat(dataObject, platform::kFormatFiles);
    }
    if (accept) return DragOver(keyState, point, effect);
    if (effect) *effect = platform::kDropEffectNone;
    return platform::kComOk;
}

platform::ComResult DropTarget::DragOver(uint32_t keyState, platform::ScreenPoint,
                                         uint32_t* effect) {
    if (!effect) return platform::kComOk;
    if (!accept)
        *effect = platform::kDropEffectNone;
    else
        *effect = (keyState & platform::kKeyControl) ? platform::kDropEffectCopy
                                                     : platform::kDropEffectMove;
    return platform::kComOk;
}

platform::ComResult DropTarget::DragLeave() { return platform::kComOk; }

platform::ComResult DropTarget::Drop(void* dataObject, uint32_t, platform::ScreenPoint, uint32_t*) {
    if (receiver && dataObject) {
        platform::DropMedium medium{nullptr, nullptr};
        // Text wins when the data offers both.
        bool isText = platform::getDropData(dataObject, platform::kFormatText, &medium);
        bool gotData = isText || platform::getDropData(dataObject, platform::kFormatFiles, &medium);
        if (gotData) {
            if (medium.global) {
                if (isText)
                    dropText(medium.global);
                else
                    dropFiles(medium.global);
            }
            platform::releaseDropMedium(&medium);
        }
    }
    DragLeave();
    return platform::kComOk;
}

void DropTarget::dropFiles(void* drop) {
    uint32_t count = platform::dropFileCount(drop);
    if (count == 0 || count > 0x7FFFFFFFu) return;
    char** names = new (std::nothrow) char*[count];
    if (!names) return;
    int32_t collected = 0;
    char buffer[kNameBufferSize];
    for (uint32_t i = 0; i < count; i++) {
        buffer[0] = '\0';
        if (platform::dropFileName(drop, i, buffer, kNameBufferSize) == 0) continue;
        buffer[kNameBufferSize - 1] = '\0';
        if (isShortcutName(buffer)) platform::resolveShortcutInPlace(buffer, kNameBufferSize);
        buffer[kNameBufferSize - 1] = '\0';
        size_t length = std::strlen(buffer);
        char* copy = new (std::nothrow) char[length + 1];
        if (!copy) continue;
        std::memcpy(copy, buffer, length + 1);
        names[collected++] = copy;
    }
    Point where;
    receiver->getCursorLocation(where);
    receiver->onDrop(reinterpret_cast<void**>(names), collected, 0, where);
    for (int32_t i = 0; i < collected; i++) delete[] names[i];
    delete[] names;
}

void DropTarget::dropText(void* global) {
    void* block = platform::lockGlobal(global);
    size_t size = platform::globalSize(global);
    if (block && size > 0 && size < 0x7FFFFFFFu) {
        // The block need not be zero-terminated and may be larger than its text: the views get
        // a terminated copy of exactly the block, so that reading it as a string never runs
        // past what the data object handed over.
        char* text = new (std::nothrow) char[size + 1];
        if (text) {
            std::memcpy(text, block, size);
            text[size] = '\0';
            void* items[1] = {text};
            Point where;
            receiver->getCursorLocation(where);
            receiver->onDrop(items, static_cast<int32_t>(size), 1, where);
            delete[] text;
        }
    }
    if (block) platform::unlockGlobal(global);
}

namespace platform {

// The two interfaces the drop target answers for, as the platform defines them.
const InterfaceId kIidUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const InterfaceId kIidDropTarget = {
    0x00000122, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

bool sameInterfaceId(const InterfaceId& a, const InterfaceId& b) {
    return std::memcmp(&a, &b, sizeof(InterfaceId)) == 0;
}

}  // namespace platform
