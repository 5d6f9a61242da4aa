#pragma once
// A shift register of doubles that does not move its contents: a mirrored ring. Each value is
// stored twice, kLength apart, so the newest kLength values are always one contiguous window
// (window()[0] the newest, window()[i] the value pushed i pushes earlier). A push costs two
// stores instead of moving the whole history.

#include <cstdint>
#include <cstring>

class HistoryRing {
public:
    // One more than the largest order, so that after a push the window still holds the value
    // an order-1024 shift register has just dropped (the update of that sample reads it), and
    // one more again for a value written ahead of its push (writeAhead).
    static constexpr int32_t kLength = 1026;

    HistoryRing() { clear(); }

    // Zeroes every value; where the window starts does not matter then. Safe against a
    // concurrent push in the sense that no index leaves the buffer.
    void clear() { std::memset(buffer, 0, sizeof buffer); }

    const double* window() const { return buffer + position; }

    void push(double value) {
        position = position == 0 ? kLength - 1 : position - 1;
        buffer[position] = value;
        buffer[position + kLength] = value;
    }

    // Stores the value the next push will store, so that the window that starts one entry
    // earlier (aheadWindow) can be read before the push. It takes the place of the oldest
    // entry, window()[kLength - 1], which no order reads.
    void writeAhead(double value) {
        const int32_t next = position == 0 ? kLength - 1 : position - 1;
        buffer[next] = value;
        buffer[next + kLength] = value;
    }
    // The window as it will be after the next push: aheadWindow()[0] is the value given to
    // writeAhead, aheadWindow()[i + 1] is window()[i].
    const double* aheadWindow() const {
        return buffer + (position == 0 ? kLength - 1 : position - 1);
    }

    // Replaces window()[i] (both of its copies), for a caller that rearranges the window.
    void overwrite(int32_t i, double value) {
        const int32_t at = position + i;
        buffer[at] = value;
        buffer[at >= kLength ? at - kLength : at + kLength] = value;
    }

private:
    double buffer[2 * kLength];
    int32_t position = 0;
};
