#pragma once
// The normalisation of a predictor's step for each sample of a run: 1 / (sqrt(E) + 0.01),
// where E is the energy of the history the step reads, the sum of its n squares from the
// newest entry to the oldest. It depends on the inputs only, so it is had before the samples'
// passes: the energies of several samples are summed side by side, one sample per vector lane,
// each still one addition after another in that order. The passes are left with the sums that
// wait on each other.

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

#include "vocoder/WideCode.h"

#if OSTRAQUELLE_WIDE_CODE
#include <immintrin.h>
#endif

class StepNormalisation {
public:
    // The longest run of samples, and the largest order.
    static constexpr int32_t kRun = 128;
    static constexpr int32_t kMaxOrder = 1024;

    // Takes the run's inputs: the history of its k-th sample is inputs[k - 1], inputs[k - 2],
    // ..., then window[0], window[1], ... (window: the history before the run, newest first),
    // n entries in all. count <= kRun.
    void layOut(const double* window, int32_t n, const double* inputs, int32_t count);
    // Every sample's normalisation (Wide: four samples per instruction, where the processor
    // has AVX; otherwise two).
    template <bool Wide>
    void compute();

    double at(int32_t k) const { return byReverseIndex[length - 1 - k]; }

private:
    // Samples summed side by side at most: enough independent chains to keep the adders busy.
    static constexpr int32_t kGroup = 32;

    // The run's inputs newest first, then the window, then zeros for whole groups. Samples are
    // handled by their reverse index r = length - 1 - k, whose history starts at
    // newestFirst[r + 1], so that consecutive samples' values at one history entry lie in
    // consecutive slots.
    double newestFirst[kRun + kMaxOrder + kGroup];
    double byReverseIndex[kRun + kGroup];
    int32_t order = 1;
    int32_t length = 0;
};

namespace stepnormalisation {

// 1 / (sqrt(energy) + 0.01). The square root is the processor's correctly rounded one, as
// std::sqrt's, without the library's error-reporting branch.
inline double normalised(double energy) {
    const __m128d root = _mm_sqrt_sd(_mm_setzero_pd(), _mm_set_sd(energy));
    return 1.0 / (_mm_cvtsd_f64(root) + 0.01);
}

inline __m128d normalised(__m128d energy) {
    return _mm_div_pd(_mm_set1_pd(1.0), _mm_add_pd(_mm_sqrt_pd(energy), _mm_set1_pd(0.01)));
}

inline __m128d addSquare(__m128d energy, const double* x) {
    const __m128d v = _mm_loadu_pd(x);
    return _mm_add_pd(energy, _mm_mul_pd(v, v));
}

// Two samples per vector (reverse indices r, r + 1: history entries i at x[r + 1 + i] and the
// slot after), Vectors of them side by side.
template <int Vectors>
inline void groupsOfTwo(const double* x, int32_t n, int32_t count, double* out) {
    for (int32_t r = 0; r < count; r += 2 * Vectors) {
        __m128d e[Vectors];
#pragma GCC unroll 8
        for (int q = 0; q < Vectors; ++q) e[q] = _mm_setzero_pd();
        const double* h = x + r + 1;
        for (int32_t i = 0; i < n; ++i, ++h) {
#pragma GCC unroll 8
            for (int q = 0; q < Vectors; ++q) e[q] = addSquare(e[q], h + 2 * q);
        }
#pragma GCC unroll 8
        for (int q = 0; q < Vectors; ++q) _mm_storeu_pd(out + r + 2 * q, normalised(e[q]));
    }
}

// Eight vectors where the processor has sixteen registers, four where it has eight.
#if defined(__x86_64__) || defined(_M_X64)
constexpr int kPairVectors = 8;
#else
constexpr int kPairVectors = 4;
#endif

#if OSTRAQUELLE_WIDE_CODE
__attribute__((target("avx"))) inline __m256d normalised(__m256d energy) {
    return _mm256_div_pd(_mm256_set1_pd(1.0),
                         _mm256_add_pd(_mm256_sqrt_pd(energy), _mm256_set1_pd(0.01)));
}

__attribute__((target("avx"))) inline __m256d addSquare(__m256d energy, const double* x) {
    const __m256d v = _mm256_loadu_pd(x);
    return _mm256_add_pd(energy, _mm256_mul_pd(v, v));
}

// Four samples per vector, eight vectors.
__attribute__((target("avx"))) inline void groupsOfFour(const double* x, int32_t n, int32_t count,
                                                        double* out) {
    for (int32_t r = 0; r < count; r += 32) {
        __m256d e0 = _mm256_setzero_pd(), e1 = e0, e2 = e0, e3 = e0;
        __m256d e4 = e0, e5 = e0, e6 = e0, e7 = e0;
        const double* h = x + r + 1;
        for (int32_t i = 0; i < n; ++i, ++h) {
            e0 = addSquare(e0, h);
            e1 = addSquare(e1, h + 4);
            e2 = addSquare(e2, h + 8);
            e3 = addSquare(e3, h + 12);
            e4 = addSquare(e4, h + 16);
            e5 = addSquare(e5, h + 20);
            e6 = addSquare(e6, h + 24);
            e7 = addSquare(e7, h + 28);
        }
        _mm256_storeu_pd(out + r, normalised(e0));
        _mm256_storeu_pd(out + r + 4, normalised(e1));
        _mm256_storeu_pd(out + r + 8, normalised(e2));
        _mm256_storeu_pd(out + r + 12, normalised(e3));
        _mm256_storeu_pd(out + r + 16, normalised(e4));
        _mm256_storeu_pd(out + r + 20, normalised(e5));
        _mm256_storeu_pd(out + r + 24, normalised(e6));
        _mm256_storeu_pd(out + r + 28, normalised(e7));
    }
}
#endif

}  // namespace stepnormalisation

inline void StepNormalisation::layOut(const double* window, int32_t n, const double* inputs,
                                      int32_t count) {
    order = n;
    length = count;
    for (int32_t j = 0; j < count; ++j) newestFirst[j] = inputs[count - 1 - j];
    std::memcpy(newestFirst + count, window, sizeof(double) * static_cast<size_t>(n));
    std::memset(newestFirst + count + n, 0, sizeof(double) * static_cast<size_t>(kGroup));
}

template <bool Wide>
inline void StepNormalisation::compute() {
#if OSTRAQUELLE_WIDE_CODE
    if constexpr (Wide) {
        stepnormalisation::groupsOfFour(newestFirst, order, length, byReverseIndex);
        return;
    }
#endif
    stepnormalisation::groupsOfTwo<stepnormalisation::kPairVectors>(newestFirst, order, length,
                                                                    byReverseIndex);
}
