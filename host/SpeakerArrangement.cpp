// Helpers for the published speaker-arrangement records: a type, a channel count and one
// 112-byte speaker record per channel.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "host/EffectExtended.h"

namespace {
const size_t kArrangementHeader = 8;

size_t arrangementBytes(int32_t channels) {
    return kArrangementHeader + static_cast<size_t>(channels) * sizeof(VstSpeakerProperties);
}
}  // namespace

bool EffectExtended::allocateArrangement(VstSpeakerArrangement** arrangement, int32_t channels) {
    if (!arrangement) return false;
    // The old arrangement goes first, also when the new one cannot be made: a refused call
    // leaves the pointer null, as a failed allocation does.
    if (*arrangement) {
        std::free(*arrangement);
        *arrangement = nullptr;
    }
    if (channels < 0) return false;
    // A count whose byte size would wrap around (32-bit builds) must not become a small block.
    if (static_cast<size_t>(channels) >
        (SIZE_MAX - kArrangementHeader) / sizeof(VstSpeakerProperties))
        return false;
    void* block = std::calloc(1, arrangementBytes(channels));
    if (!block) return false;
    *arrangement = static_cast<VstSpeakerArrangement*>(block);
    (*arrangement)->numChannels = channels;
    return true;
}

bool EffectExtended::freeArrangement(VstSpeakerArrangement** arrangement) {
    if (!arrangement) return true;
    if (*arrangement) std::free(*arrangement);
    *arrangement = nullptr;
    return true;
}

bool EffectExtended::copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from) {
    if (!to || !from) return false;
    if (to == from) return true;  // already a copy of itself; the copies below must not overlap
    // The name is copied as text, bounded by its field.
    std::strncpy(to->name, from->name, sizeof to->name - 1);
    to->name[sizeof to->name - 1] = '\0';
    to->type = from->type;
    to->azimuth = from->azimuth;
    to->elevation = from->elevation;
    to->radius = from->radius;
    to->reserved = from->reserved;
    std::memcpy(to->future, from->future, sizeof to->future);
    return true;
}

bool EffectExtended::matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from) {
    if (!from || !to) return false;
    // Matching an arrangement to itself: reallocating would free `from` before it is read.
    if (*to == from) return true;
    if (!allocateArrangement(to, from->numChannels)) return false;
    (*to)->type = from->type;
    for (int32_t i = 0; i < from->numChannels; ++i) {
        if (!copySpeaker(&(*to)->speakers[i], &from->speakers[i])) return false;
    }
    return true;
}
