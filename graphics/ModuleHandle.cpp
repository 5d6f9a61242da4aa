#include "graphics/ModuleHandle.h"

void* moduleInstance = nullptr;
