#pragma once
// The fused pass of FusedPass.h with four entries per instruction (AVX) for the updates and
// products, on processors that have it. Only the native 64-bit build carries it; the Windows
// builds keep the two-entry (SSE2) pass. The arithmetic is the same, operation for operation:
// a 256-bit multiply or add gives each entry exactly the bits the 128-bit or scalar one gives,
// and every sum still adds its terms one at a time, entry i before entry i + 1.

#if defined(__x86_64__) && defined(__linux__) && defined(__GNUC__)
#define OSTRAQUELLE_WIDE_PASS 1

#include <immintrin.h>

#include "vocoder/FusedPass.h"

namespace fusedpass {

struct WideRegisters {
    __m256d mu, g, e, rho, leak;
    __attribute__((target("avx"))) explicit WideRegisters(const PredictorLane& lane)
        : mu(_mm256_set1_pd(lane.mu)),
          g(_mm256_set1_pd(lane.g)),
          e(_mm256_set1_pd(lane.e)),
          rho(_mm256_set1_pd(lane.rho)),
          leak(_mm256_set1_pd(lane.leak)) {}
};

// Entries i to i + 3; the sums in r take entry i's terms first.
__attribute__((target("avx"))) inline __m256d stepQuad(const PredictorLane& lane,
                                                       const WideRegisters& q, LaneRegisters& r,
                                                       int32_t i) {
    // Both loads before either store: the arrays are 8 KiB apart, and a load behind a store
    // to the same address modulo 4 KiB may wait for it.
    const __m256d x = _mm256_loadu_pd(lane.older + i);
    const __m256d vOld = _mm256_loadu_pd(lane.v + i);
    const __m256d wOld = _mm256_loadu_pd(lane.w + i);
    const __m256d step = _mm256_mul_pd(_mm256_mul_pd(_mm256_mul_pd(x, q.mu), q.g), q.e);
    const __m256d v = _mm256_add_pd(step, _mm256_mul_pd(q.rho, vOld));
    _mm256_storeu_pd(lane.v + i, v);
    const __m256d w = _mm256_add_pd(_mm256_mul_pd(q.leak, wOld), v);
    _mm256_storeu_pd(lane.w + i, w);
    const __m256d product = _mm256_mul_pd(_mm256_loadu_pd(lane.newer + i), w);
    const __m256d z = _mm256_loadu_pd(lane.ahead + i);
    const __m256d square = _mm256_mul_pd(z, z);
    // {p0, q0, p2, q2} and {p1, q1, p3, q3}: their halves are the entries' term pairs.
    const __m256d even = _mm256_unpacklo_pd(product, square);
    const __m256d odd = _mm256_unpackhi_pd(product, square);
    r.sums = _mm_add_pd(r.sums, _mm256_castpd256_pd128(even));
    r.sums = _mm_add_pd(r.sums, _mm256_castpd256_pd128(odd));
    r.sums = _mm_add_pd(r.sums, _mm256_extractf128_pd(even, 1));
    r.sums = _mm_add_pd(r.sums, _mm256_extractf128_pd(odd, 1));
    return w;
}

// y = y + (s[i] w[i]) a for entries i to i + 3, in that order (a left out when exactly 1).
template <bool UnitAmount>
__attribute__((target("avx"))) inline __m128d synthesisQuad(__m128d y, const double* state,
                                                            __m256d w, __m256d a, int32_t i) {
    const __m256d s = _mm256_loadu_pd(state + i);
    const __m256d term = UnitAmount ? _mm256_mul_pd(s, w) : _mm256_mul_pd(_mm256_mul_pd(s, w), a);
    const __m128d low = _mm256_castpd256_pd128(term);
    const __m128d high = _mm256_extractf128_pd(term, 1);
    y = _mm_add_sd(y, low);
    y = _mm_add_sd(y, _mm_unpackhi_pd(low, low));
    y = _mm_add_sd(y, high);
    return _mm_add_sd(y, _mm_unpackhi_pd(high, high));
}

}  // namespace fusedpass

namespace fusedpass {

// The modulator's entries from start on, with the synthesis sum. (Functions rather than
// lambdas: a lambda would not carry the target attribute.)
template <bool UnitAmount>
__attribute__((target("avx"))) inline __m128d modulatorFromWide(
    PredictorLane& lane, LaneRegisters& m, const WideRegisters& mw, int32_t n, int32_t start,
    const double* state, double previousOutput, double a, __m128d y) {
    const __m128d amount = _mm_set1_pd(a);
    const __m256d amountWide = _mm256_set1_pd(a);
    int32_t j = start;
    for (; j + 3 < n; j += 4) {
        const __m256d w = stepQuad(lane, mw, m, j);
        y = synthesisQuad<UnitAmount>(y, state, w, amountWide, j);
    }
    for (; j + 1 < n; j += 2) {
        const __m128d w = stepPair(lane, m, j);
        y = synthesisPair<UnitAmount>(y, _mm_loadu_pd(state + j), w, amount);
    }
    if (j < n) {
        const double w = stepOne(lane, m, j);
        const double s = j == 0 ? previousOutput : state[j];
        y = _mm_add_sd(y, _mm_set_sd(synthesisTerm<UnitAmount>(s, w, a)));
    }
    return y;
}

__attribute__((target("avx"))) inline void carrierFromWide(PredictorLane& lane, LaneRegisters& c,
                                                           const WideRegisters& cw, int32_t nc,
                                                           int32_t start) {
    int32_t j = start;
    for (; j + 3 < nc; j += 4) stepQuad(lane, cw, c, j);
    for (; j + 1 < nc; j += 2) stepPair(lane, c, j);
    if (j < nc) stepOne(lane, c, j);
}

}  // namespace fusedpass

// runFusedPass, four entries at a time. Call only where the processor has AVX.
template <bool UnitAmount>
__attribute__((target("avx"))) inline double runFusedPassWide(PredictorLane& modulator, int32_t n,
                                                              const double* state,
                                                              double previousOutput, double a,
                                                              double excitation,
                                                              PredictorLane* carrier, int32_t nc) {
    using namespace fusedpass;
    LaneRegisters m(modulator);
    const WideRegisters mw(modulator);
    const __m128d amount = _mm_set1_pd(a);
    const __m256d amountWide = _mm256_set1_pd(a);
    __m128d y = _mm_set_sd(excitation);
    int32_t i = 0;
    const bool firstPair = n >= 2 && (!carrier || nc >= 2);
    if (firstPair) {
        const __m128d w = stepFirstPair(modulator, m);
        y = synthesisPair<UnitAmount>(y, _mm_set_pd(state[1], previousOutput), w, amount);
        i = 2;
    }
    if (!carrier) {
        y = modulatorFromWide<UnitAmount>(modulator, m, mw, n, i, state, previousOutput, a, y);
    } else {
        LaneRegisters c(*carrier);
        const WideRegisters cw(*carrier);
        if (firstPair) stepFirstPair(*carrier, c);
        const int32_t shared = n < nc ? n : nc;
        for (; i + 3 < shared; i += 4) {
            const __m256d w = stepQuad(modulator, mw, m, i);
            y = synthesisQuad<UnitAmount>(y, state, w, amountWide, i);
            stepQuad(*carrier, cw, c, i);
        }
        // The shorter remainder first, so that its chains finish while the longer one runs.
        if (n >= nc) {
            carrierFromWide(*carrier, c, cw, nc, i);
            y = modulatorFromWide<UnitAmount>(modulator, m, mw, n, i, state, previousOutput, a, y);
        } else {
            y = modulatorFromWide<UnitAmount>(modulator, m, mw, n, i, state, previousOutput, a, y);
            carrierFromWide(*carrier, c, cw, nc, i);
        }
        finish(*carrier, c);
    }
    finish(modulator, m);
    return _mm_cvtsd_f64(y);
}

#else
#define OSTRAQUELLE_WIDE_PASS 0
#endif
