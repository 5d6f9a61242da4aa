#include "TestEffect.h"

std::vector<HostCall> RecordingHost::calls;
intptr_t RecordingHost::answer = 0;
int TestEffect::destroyed = 0;
