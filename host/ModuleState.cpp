#include "host/ModuleState.h"

void* moduleInstance = nullptr;
unsigned char outOfMemory = 0;
