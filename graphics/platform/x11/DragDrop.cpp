// The drop calls on Linux. Dropping text and files onto the panel is offered on Windows only:
// no XDND target is registered (registerDragDrop answers false), so the frame never receives
// a data object and these calls only answer "nothing offered".

#include "graphics/platform/DragDrop.h"

namespace platform {

bool dataOffersFormat(void*, uint16_t) { return false; }
bool getDropData(void*, uint16_t, DropMedium*) { return false; }
void releaseDropMedium(DropMedium*) {}
uint32_t dropFileCount(void*) { return 0; }
uint32_t dropFileName(void*, uint32_t, char*, uint32_t) { return 0; }
void* lockGlobal(void*) { return nullptr; }
size_t globalSize(void*) { return 0; }
void unlockGlobal(void*) {}
void resolveShortcutInPlace(char*, uint32_t) {}

}  // namespace platform
