#include "RealtimeProbe.h"

#if defined(_WIN32)

bool realtimeProbeAvailable() { return false; }
bool realtimeProbeCountsLocks() { return false; }
void armRealtimeProbe() {}
RealtimeCounts disarmRealtimeProbe() { return RealtimeCounts(); }

#else

#include <pthread.h>

#include <cstddef>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define PROBE_WITH_SANITIZER_HOOKS 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define PROBE_WITH_SANITIZER_HOOKS 1
#endif

namespace {
// Per thread, so that other threads (the sanitizer's own) do not count.
__thread bool armed = false;
__thread long allocations = 0;
__thread long frees = 0;
__thread long locks = 0;
}  // namespace

void armRealtimeProbe() {
    allocations = frees = locks = 0;
    armed = true;
}

RealtimeCounts disarmRealtimeProbe() {
    armed = false;
    RealtimeCounts counts;
    counts.allocations = allocations;
    counts.frees = frees;
    counts.locks = locks;
    return counts;
}

bool realtimeProbeAvailable() { return true; }

#ifdef PROBE_WITH_SANITIZER_HOOKS

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
namespace {
void onAllocation(const volatile void*, size_t) {
    if (armed) allocations++;
}
void onFree(const volatile void*) {
    if (armed) frees++;
}
struct InstallHooks {
    InstallHooks() { __sanitizer_install_malloc_and_free_hooks(onAllocation, onFree); }
} installHooks;
}  // namespace

bool realtimeProbeCountsLocks() { return false; }

#else

#include <dlfcn.h>

#include <cstring>

namespace {
typedef int (*MutexCall)(pthread_mutex_t*);
// The C library's own function behind the name this program defines.
MutexCall resolve(const char* name) {
    void* symbol = dlsym(RTLD_NEXT, name);
    MutexCall call = nullptr;
    std::memcpy(&call, &symbol, sizeof call);
    return call;
}
}  // namespace

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);

void* malloc(size_t size) {
    if (armed) allocations++;
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
    if (armed) allocations++;
    return __libc_calloc(count, size);
}
void* realloc(void* block, size_t size) {
    if (armed) allocations++;
    return __libc_realloc(block, size);
}
void* memalign(size_t alignment, size_t size) {
    if (armed) allocations++;
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
    if (armed) allocations++;
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
    if (armed) allocations++;
    void* block = __libc_memalign(alignment, size);
    if (!block) return 12;  // ENOMEM
    *out = block;
    return 0;
}
void free(void* block) {
    if (armed && block) frees++;
    __libc_free(block);
}
int pthread_mutex_lock(pthread_mutex_t* mutex) {
    if (armed) locks++;
    static MutexCall real = resolve("pthread_mutex_lock");
    return real(mutex);
}
int pthread_mutex_trylock(pthread_mutex_t* mutex) {
    if (armed) locks++;
    static MutexCall real = resolve("pthread_mutex_trylock");
    return real(mutex);
}
}

bool realtimeProbeCountsLocks() { return true; }

#endif
#endif
