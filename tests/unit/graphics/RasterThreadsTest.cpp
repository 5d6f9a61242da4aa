// Effects are made and destroyed on several threads at once (a host's, a batch renderer's
// workers), each with its own bitmaps: the software raster's objects made and deleted on four
// threads together must all stay deletable (a lost registry entry leaks its object).
#ifndef _WIN32

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "graphics/platform/Gdi.h"

TEST(RasterThreads, ObjectsMadeOnSeveralThreadsAtOnceCanAllBeDeleted) {
    std::atomic<int> refused{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([&refused] {
            for (int i = 0; i < 3000; i++) {
                platform::HBitmap picture = platform::CreateBitmap(2, 2, 1, 32, nullptr);
                platform::HDc context = platform::CreateCompatibleDC(nullptr);
                if (!platform::DeleteObject(picture)) refused++;
                if (!platform::DeleteDC(context)) refused++;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(refused.load(), 0);
}

#endif
