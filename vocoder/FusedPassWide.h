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

// Entries i to i + 3 of the update; answers the new coefficients.
__attribute__((target("avx"))) inline __m256d updateQuad(const PredictorLane& lane,
                                                         const WideRegisters& q, int32_t i) {
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
    return w;
}

// The modulator's entries i to i + 3: {prediction, synthesis} take entry i's terms first.
template <bool UnitAmount>
__attribute__((target("avx"))) inline __m128d modulatorQuad(const PredictorLane& lane,
                                                            const WideRegisters& q, int32_t i,
                                                            const double* state, __m256d a,
                                                            __m128d sums) {
    const __m256d w = updateQuad(lane, q, i);
    const __m256d product = _mm256_mul_pd(_mm256_loadu_pd(lane.newer + i), w);
    const __m256d s = _mm256_loadu_pd(state + i);
    const __m256d term = UnitAmount ? _mm256_mul_pd(s, w) : _mm256_mul_pd(_mm256_mul_pd(s, w), a);
    // {p0, y0, p2, y2} and {p1, y1, p3, y3}: their halves are the entries' term pairs.
    const __m256d even = _mm256_unpacklo_pd(product, term);
    const __m256d odd = _mm256_unpackhi_pd(product, term);
    sums = _mm_add_pd(sums, _mm256_castpd256_pd128(even));
    sums = _mm_add_pd(sums, _mm256_castpd256_pd128(odd));
    sums = _mm_add_pd(sums, _mm256_extractf128_pd(even, 1));
    return _mm_add_pd(sums, _mm256_extractf128_pd(odd, 1));
}

// The carrier's entries i to i + 3: its prediction takes them in turn.
__attribute__((target("avx"))) inline __m128d carrierQuad(const PredictorLane& lane,
                                                          const WideRegisters& q, int32_t i,
                                                          __m128d prediction) {
    const __m256d product = _mm256_mul_pd(_mm256_loadu_pd(lane.newer + i), updateQuad(lane, q, i));
    const __m128d low = _mm256_castpd256_pd128(product);
    const __m128d high = _mm256_extractf128_pd(product, 1);
    prediction = _mm_add_sd(prediction, low);
    prediction = _mm_add_sd(prediction, _mm_unpackhi_pd(low, low));
    prediction = _mm_add_sd(prediction, high);
    return _mm_add_sd(prediction, _mm_unpackhi_pd(high, high));
}

// Both predictors' entries i to i + 3 with the synthesis sum: all holds {modulator prediction,
// synthesis, carrier prediction, 0}, and each of its lanes takes entry i's term first.
template <bool UnitAmount>
__attribute__((target("avx"))) inline __m256d bothQuad(const PredictorLane& modulator,
                                                       const WideRegisters& mw,
                                                       const PredictorLane& carrier,
                                                       const WideRegisters& cw, int32_t i,
                                                       const double* state, __m256d a,
                                                       __m256d all) {
    const __m256d w = updateQuad(modulator, mw, i);
    const __m256d product = _mm256_mul_pd(_mm256_loadu_pd(modulator.newer + i), w);
    const __m256d s = _mm256_loadu_pd(state + i);
    const __m256d term = UnitAmount ? _mm256_mul_pd(s, w) : _mm256_mul_pd(_mm256_mul_pd(s, w), a);
    const __m256d carried =
        _mm256_mul_pd(_mm256_loadu_pd(carrier.newer + i), updateQuad(carrier, cw, i));
    const __m256d zero = _mm256_setzero_pd();
    // {p0, y0, p2, y2}, {p1, y1, p3, y3}, {c0, 0, c2, 0}, {c1, 0, c3, 0}, then their halves
    // joined into one vector per entry: {p0, y0, c0, 0} and so on.
    const __m256d even = _mm256_unpacklo_pd(product, term);
    const __m256d odd = _mm256_unpackhi_pd(product, term);
    const __m256d carriedEven = _mm256_unpacklo_pd(carried, zero);
    const __m256d carriedOdd = _mm256_unpackhi_pd(carried, zero);
    all = _mm256_add_pd(all, _mm256_permute2f128_pd(even, carriedEven, 0x20));
    all = _mm256_add_pd(all, _mm256_permute2f128_pd(odd, carriedOdd, 0x20));
    all = _mm256_add_pd(all, _mm256_permute2f128_pd(even, carriedEven, 0x31));
    return _mm256_add_pd(all, _mm256_permute2f128_pd(odd, carriedOdd, 0x31));
}

// The modulator's entries from start on. (Functions rather than lambdas: a lambda would not
// carry the target attribute.)
template <bool UnitAmount>
__attribute__((target("avx"))) inline __m128d modulatorFromWide(
    const PredictorLane& lane, const LaneRegisters& m, const WideRegisters& mw, int32_t n,
    int32_t start, const double* state, double previousOutput, double a, __m128d sums) {
    const __m128d amount = _mm_set1_pd(a);
    const __m256d amountWide = _mm256_set1_pd(a);
    int32_t j = start;
    for (; j + 3 < n; j += 4) sums = modulatorQuad<UnitAmount>(lane, mw, j, state, amountWide, sums);
    for (; j + 1 < n; j += 2) {
        sums = modulatorPair<UnitAmount>(lane, m, j, _mm_loadu_pd(lane.newer + j),
                                         _mm_loadu_pd(state + j), amount, sums);
    }
    if (j < n) sums = modulatorOne<UnitAmount>(lane, j, j == 0 ? previousOutput : state[j], a, sums);
    return sums;
}

__attribute__((target("avx"))) inline __m128d carrierFromWide(const PredictorLane& lane,
                                                              const LaneRegisters& c,
                                                              const WideRegisters& cw, int32_t nc,
                                                              int32_t start, __m128d prediction) {
    int32_t j = start;
    for (; j + 3 < nc; j += 4) prediction = carrierQuad(lane, cw, j, prediction);
    for (; j + 1 < nc; j += 2)
        prediction = carrierPair(lane, c, j, _mm_loadu_pd(lane.newer + j), prediction);
    if (j < nc) prediction = carrierOne(lane, j, prediction);
    return prediction;
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
    const LaneRegisters m(modulator);
    const WideRegisters mw(modulator);
    const __m128d amount = _mm_set1_pd(a);
    const __m256d amountWide = _mm256_set1_pd(a);
    __m128d sums = startSums(excitation);
    int32_t i = 0;
    const bool firstPair = n >= 2 && (!carrier || nc >= 2);
    if (firstPair) {
        sums = modulatorPair<UnitAmount>(modulator, m, 0, firstNewer(modulator),
                                         _mm_set_pd(state[1], previousOutput), amount, sums);
        i = 2;
    }
    if (!carrier) {
        sums = modulatorFromWide<UnitAmount>(modulator, m, mw, n, i, state, previousOutput, a, sums);
    } else {
        const LaneRegisters c(*carrier);
        const WideRegisters cw(*carrier);
        __m128d predicted = _mm_setzero_pd();
        if (firstPair) predicted = carrierPair(*carrier, c, 0, firstNewer(*carrier), predicted);
        const int32_t shared = n < nc ? n : nc;
        // The carrier's prediction beside the modulator's sums: {p, y, pc, 0} (its upper
        // lane is 0 from the start and stays so).
        __m256d all = _mm256_insertf128_pd(_mm256_castpd128_pd256(sums), predicted, 1);
        for (; i + 3 < shared; i += 4)
            all = bothQuad<UnitAmount>(modulator, mw, *carrier, cw, i, state, amountWide, all);
        sums = _mm256_castpd256_pd128(all);
        predicted = _mm256_extractf128_pd(all, 1);
        // The shorter remainder first, so that its chains finish while the longer one runs.
        if (n >= nc) {
            predicted = carrierFromWide(*carrier, c, cw, nc, i, predicted);
            sums = modulatorFromWide<UnitAmount>(modulator, m, mw, n, i, state, previousOutput, a,
                                                 sums);
        } else {
            sums = modulatorFromWide<UnitAmount>(modulator, m, mw, n, i, state, previousOutput, a,
                                                 sums);
            predicted = carrierFromWide(*carrier, c, cw, nc, i, predicted);
        }
        carrier->prediction = _mm_cvtsd_f64(predicted);
    }
    return finishModulator(modulator, sums);
}

#else
#define OSTRAQUELLE_WIDE_PASS 0
#endif
