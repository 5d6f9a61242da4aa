#include "tools/render/BackgroundFlush.h"

#include <unistd.h>

#include <cerrno>

void BackgroundFlush::request() {
    std::lock_guard<std::mutex> guard(lock);
    if (stopping) return;
    pending = true;
    // Started on the first request: a short render needs no thread.
    if (!worker.joinable()) {
        worker = std::thread([this] { run(); });
    } else {
        wake.notify_one();
    }
}

int BackgroundFlush::finish() {
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    wake.notify_one();
    if (worker.joinable()) worker.join();
    return firstError;
}

void BackgroundFlush::run() {
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        wake.wait(guard, [this] { return pending || stopping; });
        if (stopping) return;
        pending = false;
        guard.unlock();
        const int result = fdatasync(descriptor);
        const int error = result == 0 ? 0 : errno;
        guard.lock();
        if (error != 0) {
            // EINVAL: a file (system) that cannot be flushed, which commit accepts too. After
            // a real failure the render fails at its commit; further flushes would not help.
            if (error != EINVAL) firstError = error;
            return;
        }
    }
}
