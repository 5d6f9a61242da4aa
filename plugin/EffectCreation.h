#pragma once
// What main does: asks the host for its interface version, builds one effect and answers its
// record, or null (having deleted whatever it built) when the host is missing, answers version
// 0, or a construction step cannot allocate.

#include "host/AEffect.h"

AEffect* createEffectRecord(audioMasterCallback host);
