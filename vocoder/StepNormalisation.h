#pragma once
// The normalisation of a predictor's step for a run of samples, computed ahead of the run:
// 1 / (sqrt(E) + 0.01), where E is the energy of the history the step reads, the sum of its n
// squares from the newest entry to the oldest. It depends on the inputs only, so the energies
// of several samples are summed side by side, one sample per vector lane, each still one
// addition after another in the prescribed order; the per-sample pass is left with the sums
// that cannot wait.

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && defined(__linux__) && defined(__GNUC__)
#include <immintrin.h>
#endif

class StepNormalisation {
public:
    // The longest run of samples computed at once, and the largest order.
    static constexpr int32_t kRun = 128;
    static constexpr int32_t kMaxOrder = 1024;

    // For k = 0 .. count - 1 (count <= kRun): at(k) is the normalisation of the step at the
    // k-th sample of the run, whose history is inputs[k - 1], inputs[k - 2], ..., then
    // window[0], window[1], ... (window: the history before the run, newest first), n entries.
    template <bool Wide>
    void compute(const double* window, int32_t n, const double* inputs, int32_t count);

    double at(int32_t k) const { return normalisations[k]; }

private:
    // Samples per group whose energies are summed together: four vectors of lanes, enough
    // independent chains to keep the adder busy.
    static constexpr int32_t kGroup = 16;

    // The inputs in time order, oldest first: window reversed, then inputs, then zeros up to
    // a whole group. The history of sample k is timeline[n + k - 1] down to timeline[k].
    double timeline[kMaxOrder + kRun + kGroup];
    double normalisations[kRun + kGroup];
};

namespace stepnormalisation {

inline int32_t layOut(double* timeline, const double* window, int32_t n, const double* inputs,
                      int32_t count, int32_t group) {
    for (int32_t j = 0; j < n; ++j) timeline[j] = window[n - 1 - j];
    std::memcpy(timeline + n, inputs, sizeof(double) * static_cast<size_t>(count));
    const int32_t padded = (count + group - 1) / group * group;
    std::memset(timeline + n + count, 0, sizeof(double) * static_cast<size_t>(padded - count));
    return padded;
}

// Two samples per vector: lanes k and k + 1 read timeline[n + k - 1 - i] and the entry after.
inline void groupsOfTwo(const double* timeline, int32_t n, int32_t padded, double* out) {
    const __m128d offset = _mm_set1_pd(0.01), one = _mm_set1_pd(1.0);
    for (int32_t k = 0; k < padded; k += 8) {
        __m128d e0 = _mm_setzero_pd(), e1 = e0, e2 = e0, e3 = e0;
        const double* x = timeline + n + k - 1;
        for (int32_t i = 0; i < n; ++i, --x) {
            const __m128d x0 = _mm_loadu_pd(x), x1 = _mm_loadu_pd(x + 2);
            const __m128d x2 = _mm_loadu_pd(x + 4), x3 = _mm_loadu_pd(x + 6);
            e0 = _mm_add_pd(e0, _mm_mul_pd(x0, x0));
            e1 = _mm_add_pd(e1, _mm_mul_pd(x1, x1));
            e2 = _mm_add_pd(e2, _mm_mul_pd(x2, x2));
            e3 = _mm_add_pd(e3, _mm_mul_pd(x3, x3));
        }
        _mm_storeu_pd(out + k, _mm_div_pd(one, _mm_add_pd(_mm_sqrt_pd(e0), offset)));
        _mm_storeu_pd(out + k + 2, _mm_div_pd(one, _mm_add_pd(_mm_sqrt_pd(e1), offset)));
        _mm_storeu_pd(out + k + 4, _mm_div_pd(one, _mm_add_pd(_mm_sqrt_pd(e2), offset)));
        _mm_storeu_pd(out + k + 6, _mm_div_pd(one, _mm_add_pd(_mm_sqrt_pd(e3), offset)));
    }
}

#if defined(__x86_64__) && defined(__linux__) && defined(__GNUC__)
__attribute__((target("avx"))) inline void groupsOfFour(const double* timeline, int32_t n,
                                                        int32_t padded, double* out) {
    const __m256d offset = _mm256_set1_pd(0.01), one = _mm256_set1_pd(1.0);
    for (int32_t k = 0; k < padded; k += 16) {
        __m256d e0 = _mm256_setzero_pd(), e1 = e0, e2 = e0, e3 = e0;
        const double* x = timeline + n + k - 1;
        for (int32_t i = 0; i < n; ++i, --x) {
            const __m256d x0 = _mm256_loadu_pd(x), x1 = _mm256_loadu_pd(x + 4);
            const __m256d x2 = _mm256_loadu_pd(x + 8), x3 = _mm256_loadu_pd(x + 12);
            e0 = _mm256_add_pd(e0, _mm256_mul_pd(x0, x0));
            e1 = _mm256_add_pd(e1, _mm256_mul_pd(x1, x1));
            e2 = _mm256_add_pd(e2, _mm256_mul_pd(x2, x2));
            e3 = _mm256_add_pd(e3, _mm256_mul_pd(x3, x3));
        }
        _mm256_storeu_pd(out + k, _mm256_div_pd(one, _mm256_add_pd(_mm256_sqrt_pd(e0), offset)));
        _mm256_storeu_pd(out + k + 4,
                         _mm256_div_pd(one, _mm256_add_pd(_mm256_sqrt_pd(e1), offset)));
        _mm256_storeu_pd(out + k + 8,
                         _mm256_div_pd(one, _mm256_add_pd(_mm256_sqrt_pd(e2), offset)));
        _mm256_storeu_pd(out + k + 12,
                         _mm256_div_pd(one, _mm256_add_pd(_mm256_sqrt_pd(e3), offset)));
    }
}
#endif

}  // namespace stepnormalisation

template <bool Wide>
inline void StepNormalisation::compute(const double* window, int32_t n, const double* inputs,
                                       int32_t count) {
    const int32_t padded = stepnormalisation::layOut(timeline, window, n, inputs, count, kGroup);
#if defined(__x86_64__) && defined(__linux__) && defined(__GNUC__)
    if constexpr (Wide) {
        stepnormalisation::groupsOfFour(timeline, n, padded, normalisations);
        return;
    }
#endif
    stepnormalisation::groupsOfTwo(timeline, n, padded, normalisations);
}
