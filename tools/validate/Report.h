#pragma once
// Counts checks per suite and prints one line per failure; the closing line is
// "N passed, M failed" over every check of the run.

#include <cstdarg>
#include <cstdio>

#if defined(__MINGW32__)
#define VALIDATE_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define VALIDATE_PRINTF(f, a) __attribute__((format(printf, f, a)))
#endif

class Report {
public:
    void beginSuite(const char* name) { suite = name; }
    // One check; a failure prints "FAIL <suite>: <message>" at once.
    bool check(bool ok, const char* format, ...) VALIDATE_PRINTF(3, 4) {
        if (ok) {
            ++passedCount;
            return true;
        }
        ++failedCount;
        std::printf("FAIL %s: ", suite);
        va_list args;
        va_start(args, format);
        std::vprintf(format, args);
        va_end(args);
        std::printf("\n");
        std::fflush(stdout);
        return false;
    }
    // A suite that cannot run here says so; it counts neither way.
    void skip(const char* why) {
        std::printf("skip %s: %s\n", suite, why);
        std::fflush(stdout);
    }
    int passed() const { return passedCount; }
    int failed() const { return failedCount; }

private:
    const char* suite = "";
    int passedCount = 0;
    int failedCount = 0;
};
