#pragma once
// The fused pass of FusedPass.h with four entries per instruction (AVX) for the updates and
// products, on processors that have it. The 64-bit builds (Linux and Windows) carry it; the
// 32-bit DLL keeps the two-entry (SSE2) pass. The arithmetic is the same, operation for operation:
// a 256-bit multiply or add gives each entry exactly the bits the 128-bit or scalar one gives,
// and every sum still adds its terms one at a time, entry i before entry i + 1.

#include "vocoder/WideCode.h"

#if OSTRAQUELLE_WIDE_CODE
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

template <bool UnitAmount>
__attribute__((target("avx"))) inline __m256d synthesisTerms(const double* state, __m256d w,
                                                             __m256d a, int32_t i) {
    const __m256d s = _mm256_loadu_pd(state + i);
    return UnitAmount ? _mm256_mul_pd(s, w) : _mm256_mul_pd(_mm256_mul_pd(s, w), a);
}

// sums (two chains) takes {first[k], second[k]} for k = 0 to 3 in turn.
__attribute__((target("avx"))) inline __m128d addPairsInTurn(__m128d sums, __m256d first,
                                                             __m256d second) {
    // {f0, s0, f2, s2} and {f1, s1, f3, s3}: their halves are the entries' term pairs.
    const __m256d even = _mm256_unpacklo_pd(first, second);
    const __m256d odd = _mm256_unpackhi_pd(first, second);
    sums = _mm_add_pd(sums, _mm256_castpd256_pd128(even));
    sums = _mm_add_pd(sums, _mm256_castpd256_pd128(odd));
    sums = _mm_add_pd(sums, _mm256_extractf128_pd(even, 1));
    return _mm_add_pd(sums, _mm256_extractf128_pd(odd, 1));
}

// sum (one chain, in its lower lane) takes terms[0] to terms[3] in turn.
__attribute__((target("avx"))) inline __m128d addInTurn(__m128d sum, __m256d terms) {
    const __m128d low = _mm256_castpd256_pd128(terms);
    const __m128d high = _mm256_extractf128_pd(terms, 1);
    sum = _mm_add_sd(sum, low);
    sum = _mm_add_sd(sum, _mm_unpackhi_pd(low, low));
    sum = _mm_add_sd(sum, high);
    return _mm_add_sd(sum, _mm_unpackhi_pd(high, high));
}

// all (three chains in its lanes 0 to 2, lane 3 zero) takes {first[k], second[k], third[k], 0}
// for k = 0 to 3 in turn.
__attribute__((target("avx"))) inline __m256d addTriplesInTurn(__m256d all, __m256d first,
                                                               __m256d second, __m256d third) {
    const __m256d zero = _mm256_setzero_pd();
    // {f0, s0, f2, s2}, {f1, s1, f3, s3}, {t0, 0, t2, 0}, {t1, 0, t3, 0}, then their halves
    // joined into one vector per entry: {f0, s0, t0, 0} and so on.
    const __m256d even = _mm256_unpacklo_pd(first, second);
    const __m256d odd = _mm256_unpackhi_pd(first, second);
    const __m256d thirdEven = _mm256_unpacklo_pd(third, zero);
    const __m256d thirdOdd = _mm256_unpackhi_pd(third, zero);
    all = _mm256_add_pd(all, _mm256_permute2f128_pd(even, thirdEven, 0x20));
    all = _mm256_add_pd(all, _mm256_permute2f128_pd(odd, thirdOdd, 0x20));
    all = _mm256_add_pd(all, _mm256_permute2f128_pd(even, thirdEven, 0x31));
    return _mm256_add_pd(all, _mm256_permute2f128_pd(odd, thirdOdd, 0x31));
}

// ---- One predictor: {prediction, energy, synthesis, 0} in one register.

// Entries i to i + 3; each lane of all takes entry i's term first.
template <bool UnitAmount>
__attribute__((target("avx"))) inline __m256d modulatorQuad(const PredictorLane& lane,
                                                            const WideRegisters& q, int32_t i,
                                                            const double* energyHistory,
                                                            const double* state, __m256d a,
                                                            __m256d all) {
    const __m256d w = updateQuad(lane, q, i);
    const __m256d product = _mm256_mul_pd(_mm256_loadu_pd(lane.newer + i), w);
    const __m256d z = _mm256_loadu_pd(energyHistory + i);
    return addTriplesInTurn(all, product, _mm256_mul_pd(z, z),
                            synthesisTerms<UnitAmount>(state, w, a, i));
}

// ---- Two predictors: {prediction, synthesis, carrier prediction, 0} in one register.

// Both predictors' entries i to i + 3 with the synthesis sum; each lane of all takes entry i's
// term first.
template <bool UnitAmount>
__attribute__((target("avx"))) inline __m256d bothQuad(
    const PredictorLane& modulator, const WideRegisters& mw, const PredictorLane& carrier,
    const WideRegisters& cw, int32_t i, const double* state, __m256d a, __m256d all) {
    const __m256d w = updateQuad(modulator, mw, i);
    const __m256d product = _mm256_mul_pd(_mm256_loadu_pd(modulator.newer + i), w);
    const __m256d term = synthesisTerms<UnitAmount>(state, w, a, i);
    const __m256d carried =
        _mm256_mul_pd(_mm256_loadu_pd(carrier.newer + i), updateQuad(carrier, cw, i));
    return addTriplesInTurn(all, product, term, carried);
}

// With whitening, one predictor's entries from j on once the other's have run out, four at a
// time while they last. (Functions rather than lambdas: a lambda would not carry the target
// attribute.)
template <bool UnitAmount>
__attribute__((target("avx"))) inline void modulatorRestWide(WhitenedPass<UnitAmount>& pass,
                                                             const WideRegisters& mw,
                                                             __m256d amount, int32_t j) {
    __m128d sums = pass.sums;  // a local, as in PlainPass::rest
    for (; j + 3 < pass.n; j += 4) {
        const __m256d w = updateQuad(pass.modulator, mw, j);
        const __m256d product = _mm256_mul_pd(_mm256_loadu_pd(pass.modulator.newer + j), w);
        sums = addPairsInTurn(sums, product, synthesisTerms<UnitAmount>(pass.state, w, amount, j));
    }
    pass.sums = sums;
    pass.modulatorRest(j);
}

template <bool UnitAmount>
__attribute__((target("avx"))) inline void carrierRestWide(WhitenedPass<UnitAmount>& pass,
                                                           const WideRegisters& cw, int32_t j) {
    __m128d predicted = pass.predicted;
    for (; j + 3 < pass.nc; j += 4) {
        const __m256d product =
            _mm256_mul_pd(_mm256_loadu_pd(pass.carrier.newer + j), updateQuad(pass.carrier, cw, j));
        predicted = addInTurn(predicted, product);
    }
    pass.predicted = predicted;
    pass.carrierRest(j);
}

}  // namespace fusedpass

// runModulatorPass, four entries at a time. Call only where the processor has AVX.
template <bool UnitAmount>
__attribute__((target("avx"))) inline double runModulatorPassWide(
    PredictorLane& modulator, int32_t n, const double* state, double previousOutput, double a,
    double excitation, double energyNewest, const double* energyHistory, double& energy) {
    using namespace fusedpass;
    PlainPass<UnitAmount> pass(modulator, state, previousOutput, a, excitation, energyHistory);
    const WideRegisters mw(modulator);
    const __m256d amountWide = _mm256_set1_pd(a);
    int32_t j = pass.firstPair(n, energyNewest);
    // y's upper lane is 0 throughout.
    __m256d all = _mm256_insertf128_pd(_mm256_castpd128_pd256(pass.sums), pass.y, 1);
    for (const int32_t half = pass.halfway(j, n, 4); j < half; j += 4)
        all = modulatorQuad<UnitAmount>(modulator, mw, j, energyHistory, state, amountWide, all);
    pass.normaliseStep();
    for (; j + 3 < n; j += 4)
        all = modulatorQuad<UnitAmount>(modulator, mw, j, energyHistory, state, amountWide, all);
    pass.sums = _mm256_castpd256_pd128(all);
    pass.y = _mm256_extractf128_pd(all, 1);
    pass.rest(n, j);
    return pass.finish(energy);
}

// runWhitenedPass, four entries at a time. Call only where the processor has AVX.
template <bool UnitAmount>
__attribute__((target("avx"))) inline double runWhitenedPassWide(
    PredictorLane& modulator, int32_t n, const double* state, double previousOutput, double a,
    double excitation, PredictorLane& carrier, int32_t nc) {
    using namespace fusedpass;
    WhitenedPass<UnitAmount> pass(modulator, n, state, previousOutput, a, excitation, carrier, nc);
    const WideRegisters mw(modulator), cw(carrier);
    const __m256d amountWide = _mm256_set1_pd(a);
    int32_t i = pass.firstPair();
    // The carrier's prediction beside the modulator's sums, its upper lane 0 throughout.
    __m256d all = _mm256_insertf128_pd(_mm256_castpd128_pd256(pass.sums), pass.predicted, 1);
    for (; i + 3 < pass.shared(); i += 4)
        all = bothQuad<UnitAmount>(modulator, mw, carrier, cw, i, state, amountWide, all);
    pass.sums = _mm256_castpd256_pd128(all);
    pass.predicted = _mm256_extractf128_pd(all, 1);
    i = pass.sharedPairs(i);
    // The shorter remainder first, so that its chains finish while the longer one runs.
    if (n >= nc) {
        carrierRestWide(pass, cw, i);
        modulatorRestWide(pass, mw, amountWide, i);
    } else {
        modulatorRestWide(pass, mw, amountWide, i);
        carrierRestWide(pass, cw, i);
    }
    return pass.finish();
}

#endif
