#include "tools/render/RenderSignals.h"

#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <initializer_list>

namespace {

volatile sig_atomic_t stopRequested = 0;
// A fixed buffer: the crash handler may only use async-signal-safe calls, so no std::string.
char temporaryFile[4096] = {0};

void onStop(int) { stopRequested = 1; }

void onCrash(int signalNumber) {
    if (temporaryFile[0] != '\0') unlink(temporaryFile);
    const char message[] =
        "ostraquelle-render: the render crashed, most likely inside the plug-in; "
        "no output written\n";
    ssize_t ignored = write(STDERR_FILENO, message, sizeof(message) - 1);
    (void)ignored;
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

void RenderSignals::setTemporaryFile(const char* path) {
    if (path == nullptr || std::strlen(path) >= sizeof(temporaryFile)) {
        temporaryFile[0] = '\0';
        return;
    }
    std::strcpy(temporaryFile, path);
}
