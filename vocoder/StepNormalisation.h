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

    // Takes the run's inputs: the history of its k-th sample is inputs[k - 1], inputs[k - 2],
    // ..., then window[0], window[1], ... (window: the history before the run, newest first),
    // n entries. count <= kRun.
    void layOut(const double* window, int32_t n, const double* inputs, int32_t count);
    // Every sample's normalisation, several samples side by side.
    template <bool Wide>
    void computeAll();
    // Only the first count samples', one after another: the pass supplies the rest (set).
    void computeFirst(int32_t count);

    double at(int32_t k) const { return normalisations[k]; }

    // For a pass that sums the energy of sample k's history itself, entry i being the square
    // of energyInputs(k)[-i]; set(k, energy) then stores its normalisation. k may reach two
    // beyond the run: those values are not used.
    const double* energyInputs(int32_t k) const { return timeline + order + k - 1; }
    void set(int32_t k, double energy);

private:
    // Samples per group whose energies are summed together: enough independent chains to keep
    // the adders busy (eight vectors of four lanes, or of two; four of two where eight
    // registers are all a 32-bit build has).
    static constexpr int32_t kGroup = 32;

    // The inputs in time order, oldest first: window reversed, then inputs, then zeros up to
    // a whole group (and at least two). The history of sample k is timeline[n + k - 1] down
    // to timeline[k].
    double timeline[kMaxOrder + kRun + kGroup];
    double normalisations[kRun + kGroup];
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

// Two samples per vector: lanes k and k + 1 read timeline[n + k - 1 - i] and the entry after.
// Eight vectors where the processor has sixteen registers, four where it has eight.
#if defined(__x86_64__) || defined(_M_X64)
constexpr int32_t kPairGroup = 16;
inline void groupsOfTwo(const double* timeline, int32_t n, int32_t padded, double* out) {
    for (int32_t k = 0; k < padded; k += kPairGroup) {
        __m128d e0 = _mm_setzero_pd(), e1 = e0, e2 = e0, e3 = e0;
        __m128d e4 = e0, e5 = e0, e6 = e0, e7 = e0;
        const double* x = timeline + n + k - 1;
        for (int32_t i = 0; i < n; ++i, --x) {
            e0 = addSquare(e0, x);
            e1 = addSquare(e1, x + 2);
            e2 = addSquare(e2, x + 4);
            e3 = addSquare(e3, x + 6);
            e4 = addSquare(e4, x + 8);
            e5 = addSquare(e5, x + 10);
            e6 = addSquare(e6, x + 12);
            e7 = addSquare(e7, x + 14);
        }
        _mm_storeu_pd(out + k, normalised(e0));
        _mm_storeu_pd(out + k + 2, normalised(e1));
        _mm_storeu_pd(out + k + 4, normalised(e2));
        _mm_storeu_pd(out + k + 6, normalised(e3));
        _mm_storeu_pd(out + k + 8, normalised(e4));
        _mm_storeu_pd(out + k + 10, normalised(e5));
        _mm_storeu_pd(out + k + 12, normalised(e6));
        _mm_storeu_pd(out + k + 14, normalised(e7));
    }
}
#else
constexpr int32_t kPairGroup = 8;
inline void groupsOfTwo(const double* timeline, int32_t n, int32_t padded, double* out) {
    for (int32_t k = 0; k < padded; k += kPairGroup) {
        __m128d e0 = _mm_setzero_pd(), e1 = e0, e2 = e0, e3 = e0;
        const double* x = timeline + n + k - 1;
        for (int32_t i = 0; i < n; ++i, --x) {
            e0 = addSquare(e0, x);
            e1 = addSquare(e1, x + 2);
            e2 = addSquare(e2, x + 4);
            e3 = addSquare(e3, x + 6);
        }
        _mm_storeu_pd(out + k, normalised(e0));
        _mm_storeu_pd(out + k + 2, normalised(e1));
        _mm_storeu_pd(out + k + 4, normalised(e2));
        _mm_storeu_pd(out + k + 6, normalised(e3));
    }
}
#endif

#if defined(__x86_64__) && defined(__linux__) && defined(__GNUC__)
__attribute__((target("avx"))) inline __m256d normalised(__m256d energy) {
    return _mm256_div_pd(_mm256_set1_pd(1.0),
                         _mm256_add_pd(_mm256_sqrt_pd(energy), _mm256_set1_pd(0.01)));
}

__attribute__((target("avx"))) inline __m256d addSquare(__m256d energy, const double* x) {
    const __m256d v = _mm256_loadu_pd(x);
    return _mm256_add_pd(energy, _mm256_mul_pd(v, v));
}

__attribute__((target("avx"))) inline void groupsOfFour(const double* timeline, int32_t n,
                                                        int32_t padded, double* out) {
    for (int32_t k = 0; k < padded; k += 32) {
        __m256d e0 = _mm256_setzero_pd(), e1 = e0, e2 = e0, e3 = e0;
        __m256d e4 = e0, e5 = e0, e6 = e0, e7 = e0;
        const double* x = timeline + n + k - 1;
        for (int32_t i = 0; i < n; ++i, --x) {
            e0 = addSquare(e0, x);
            e1 = addSquare(e1, x + 4);
            e2 = addSquare(e2, x + 8);
            e3 = addSquare(e3, x + 12);
            e4 = addSquare(e4, x + 16);
            e5 = addSquare(e5, x + 20);
            e6 = addSquare(e6, x + 24);
            e7 = addSquare(e7, x + 28);
        }
        _mm256_storeu_pd(out + k, normalised(e0));
        _mm256_storeu_pd(out + k + 4, normalised(e1));
        _mm256_storeu_pd(out + k + 8, normalised(e2));
        _mm256_storeu_pd(out + k + 12, normalised(e3));
        _mm256_storeu_pd(out + k + 16, normalised(e4));
        _mm256_storeu_pd(out + k + 20, normalised(e5));
        _mm256_storeu_pd(out + k + 24, normalised(e6));
        _mm256_storeu_pd(out + k + 28, normalised(e7));
    }
}
#endif

}  // namespace stepnormalisation

inline void StepNormalisation::layOut(const double* window, int32_t n, const double* inputs,
                                      int32_t count) {
    order = n;
    length = count;
    for (int32_t j = 0; j < n; ++j) timeline[j] = window[n - 1 - j];
    std::memcpy(timeline + n, inputs, sizeof(double) * static_cast<size_t>(count));
    std::memset(timeline + n + count, 0, sizeof(double) * static_cast<size_t>(kGroup));
}

template <bool Wide>
inline void StepNormalisation::computeAll() {
#if defined(__x86_64__) && defined(__linux__) && defined(__GNUC__)
    if constexpr (Wide) {
        stepnormalisation::groupsOfFour(timeline, order, (length + 31) / 32 * 32, normalisations);
        return;
    }
#endif
    constexpr int32_t group = stepnormalisation::kPairGroup;
    stepnormalisation::groupsOfTwo(timeline, order, (length + group - 1) / group * group,
                                   normalisations);
}

inline void StepNormalisation::computeFirst(int32_t count) {
    for (int32_t k = 0; k < count; ++k) {
        const double* x = energyInputs(k);
        double energy = 0.0;
        for (int32_t i = 0; i < order; ++i) energy += x[-i] * x[-i];
        normalisations[k] = stepnormalisation::normalised(energy);
    }
}

inline void StepNormalisation::set(int32_t k, double energy) {
    normalisations[k] = stepnormalisation::normalised(energy);
}
