#include "host/ModuleState.h"

unsigned char outOfMemory = 0;
