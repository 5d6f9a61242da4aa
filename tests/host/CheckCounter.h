#pragma once
// The test hosts' verdict: counts checks and failures, prints each failure.

#include <cstdio>

// Counts checks and failures; the program's exit status is the verdict.
struct CheckCounter {
    int checks = 0;
    int failures = 0;
    void expect(bool ok, const char* what, long long got = 0, long long want = 0) {
        ++checks;
        if (!ok) {
            ++failures;
            std::printf("FAIL: %s (got %lld, want %lld)\n", what, got, want);
        }
    }
    void expectEq(long long got, long long want, const char* what) {
        expect(got == want, what, got, want);
    }
    int finish(const char* name) {
        std::printf("%s: %d checks, %d failed\n", name, checks, failures);
        return failures == 0 ? 0 : 1;
    }
};
