#include "tools/render/RenderSignals.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <initializer_list>

namespace {

volatile sig_atomic_t stopRequested = 0;
std::atomic<int> blockingReads(0);

// Fixed buffers: the handlers may only use async-signal-safe calls, so no std::string. A slot
// is claimed through its flag before its name is written, and the name is complete before the
// slot is marked as holding one.
struct TemporarySlot {
    std::atomic<int> state{0};  // 0 free, 1 claimed, 2 holds a name
    char path[4096];
};
TemporarySlot slots[RenderSignals::kTemporarySlots];

void removeTemporaryFiles() {
    for (TemporarySlot& slot : slots) {
        if (slot.state.load() == 2) unlink(slot.path);
    }
}

void say(const char* message, size_t length) {
    ssize_t ignored = write(STDERR_FILENO, message, length);
    (void)ignored;
}

void onStop(int) {
    stopRequested = 1;
    if (blockingReads.load() == 0) return;
    // An input read is waiting for a writer that may never come: the render loop would not
    // see the request until it does.
    removeTemporaryFiles();
    const char message[] = "ostraquelle-render: interrupted; no output written\n";
    say(message, sizeof(message) - 1);
    _exit(1);
}

void onCrash(int signalNumber) {
    removeTemporaryFiles();
    const char message[] =
        "ostraquelle-render: the render crashed, most likely inside the plug-in; "
        "no output written\n";
    say(message, sizeof(message) - 1);
    signal(signalNumber, SIG_DFL);
    _exit(70);
}

}  // namespace

void RenderSignals::install() {
    struct sigaction stop;
    std::memset(&stop, 0, sizeof(stop));
    stop.sa_handler = onStop;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGHUP, &stop, nullptr);

    struct sigaction crash;
    std::memset(&crash, 0, sizeof(crash));
    crash.sa_handler = onCrash;
    sigemptyset(&crash.sa_mask);
    for (int signalNumber : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
        sigaction(signalNumber, &crash, nullptr);
    }
}

bool RenderSignals::interrupted() { return stopRequested != 0; }

int RenderSignals::addTemporaryFile(const char* path) {
    if (path == nullptr || std::strlen(path) >= sizeof(slots[0].path)) return -1;
    for (int index = 0; index < kTemporarySlots; ++index) {
        int expected = 0;
        if (!slots[index].state.compare_exchange_strong(expected, 1)) continue;
        std::strcpy(slots[index].path, path);
        slots[index].state.store(2);
        return index;
    }
    return -1;
}

void RenderSignals::removeTemporaryFile(int slot) {
    if (slot < 0 || slot >= kTemporarySlots) return;
    slots[slot].state.store(0);
}

RenderSignals::BlockingRead::BlockingRead() { blockingReads.fetch_add(1); }
RenderSignals::BlockingRead::~BlockingRead() { blockingReads.fetch_sub(1); }
