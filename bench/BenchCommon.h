#pragma once
// What the bound benchmarks share: the settings they measure and how they time a run.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace bench {

inline const int kRate = 44100;

struct Setting {
    const char* name;
    bool whitening;
    int32_t n;  // modulator and carrier order
    int32_t c;
};

inline const Setting kSettings[] = {
    {"defaults (order 51, whitening off)", false, 51, 51},
    {"orders 201/201, whitening on", true, 201, 201},
    {"order 16, whitening off", false, 16, 51},
    {"order 1024, whitening off", false, 1024, 51},
};

// The four settings, or with orders from argv[firstOrder] on those orders, whitening off. The
// settings' names point into names, which must outlive them.
inline std::vector<Setting> settingsFrom(int argc, char** argv, int firstOrder,
                                         std::vector<std::string>& names) {
    if (argc <= firstOrder) return std::vector<Setting>(std::begin(kSettings), std::end(kSettings));
    std::vector<Setting> settings;
    names.reserve(static_cast<size_t>(argc));  // no reallocation may move the names
    for (int a = firstOrder; a < argc; ++a) {
        const int32_t n = static_cast<int32_t>(std::atoi(argv[a]));
        names.push_back("order " + std::to_string(n) + ", whitening off");
        settings.push_back({names.back().c_str(), false, n, 51});
    }
    return settings;
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

inline double fastest(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

// CPU time of this thread: on a shared machine the time spent descheduled is not counted.
// A Windows build (run under wine, for the 32-bit code) has no such clock at this resolution
// and takes the steady wall clock instead.
inline double threadSeconds() {
#ifdef _WIN32
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
#else
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
#endif
}

template <typename Work>
inline double timed(Work work) {
    const double start = threadSeconds();
    work();
    return threadSeconds() - start;
}

// Both pieces of work once (caches, branch predictors, page faults), then runs times each in
// turn, so that both meet the same load; answers their times, first's and second's.
template <typename First, typename Second>
inline std::pair<std::vector<double>, std::vector<double>> alternated(int runs, First first,
                                                                      Second second) {
    first();
    second();
    std::pair<std::vector<double>, std::vector<double>> times;
    for (int r = 0; r < runs; ++r) {
        times.first.push_back(timed(first));
        times.second.push_back(timed(second));
    }
    return times;
}

}  // namespace bench
