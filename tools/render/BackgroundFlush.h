#pragma once
// Flushes a file's written data to disk on a thread of its own while the render goes on. The
// device's cache is then emptied piece by piece during the processing, and the flush before
// the rename, which the user waits for, finds little left to do (on a virtual disk a 10 MB
// file took 6 to 8 ms to flush at the end, a last megabyte well under 1 ms).
//
// Its errors are kept for finish: Linux reports a failed write-back to one flush only, so an
// error met here and not passed on would let the final flush report success.

#include <condition_variable>
#include <mutex>
#include <thread>

class BackgroundFlush {
public:
    explicit BackgroundFlush(int descriptor) : descriptor(descriptor) {}
    ~BackgroundFlush() { finish(); }
    BackgroundFlush(const BackgroundFlush&) = delete;
    BackgroundFlush& operator=(const BackgroundFlush&) = delete;

    // More data has been written: flush it soon. Never waits for the disk; requests that
    // arrive while a flush runs are served by one more flush.
    void request();
    // Waits for the flush under way (a requested one that has not started is left to the
    // caller's final flush) and stops the thread. Answers 0 or the errno of the first failed
    // flush. Call before closing the descriptor.
    int finish();

private:
    void run();

    const int descriptor;
    std::mutex lock;
    std::condition_variable wake;
    bool pending = false;
    bool stopping = false;
    int firstError = 0;
    std::thread worker;
};
