#pragma once
// A blocking queue of at most `capacity` items between threads. close() wakes every waiter:
// push then refuses and pop answers false once the queue is empty.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

template <typename T>
class BoundedQueue {
public:
    explicit BoundedQueue(size_t capacity) : limit(capacity) {}

    // Waits for room; answers false (and drops the item) when the queue is closed.
    bool push(T item) {
        std::unique_lock<std::mutex> lock(guard);
        notFull.wait(lock, [&] { return closed || items.size() < limit; });
        if (closed) return false;
        items.push_back(std::move(item));
        notEmpty.notify_one();
        return true;
    }

    // Waits for an item; answers false when the queue is closed and empty.
    bool pop(T& item) {
        std::unique_lock<std::mutex> lock(guard);
        notEmpty.wait(lock, [&] { return closed || !items.empty(); });
        if (items.empty()) return false;
        item = std::move(items.front());
        items.pop_front();
        notFull.notify_one();
        return true;
    }

    void close() {
        std::lock_guard<std::mutex> lock(guard);
        closed = true;
        notEmpty.notify_all();
        notFull.notify_all();
    }

private:
    const size_t limit;
    std::mutex guard;
    std::condition_variable notEmpty, notFull;
    std::deque<T> items;
    bool closed = false;
};
