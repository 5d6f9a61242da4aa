#pragma once
// A buffer handed to the plug-in with canary bytes before and after it: a write outside the
// buffer changes a canary, which the caller checks after every call.

#include <cstdint>
#include <cstring>
#include <vector>

class GuardedBuffer {
public:
    static const size_t kGuard = 64;
    static const size_t kSize = 1024;
    static const uint8_t kCanary = 0xA5;

    GuardedBuffer() : storage(kGuard + kSize + kGuard) { reset(); }
    // Canaries set, the payload zeroed.
    void reset() {
        std::memset(storage.data(), kCanary, kGuard);
        std::memset(storage.data() + kGuard, 0, kSize);
        std::memset(storage.data() + kGuard + kSize, kCanary, kGuard);
    }
    void* data() { return storage.data() + kGuard; }
    bool frontIntact() const { return intact(0); }
    bool backIntact() const { return intact(kGuard + kSize); }

private:
    bool intact(size_t from) const {
        for (size_t i = from; i < from + kGuard; i++)
            if (storage[i] != kCanary) return false;
        return true;
    }
    std::vector<uint8_t> storage;
};
