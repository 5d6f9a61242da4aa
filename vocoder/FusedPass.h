#pragma once
// The engine's per-sample pass over the predictor orders: in one loop, each predictor's
// coefficient update, the synthesis sum over the just-updated modulator coefficients, and each
// predictor's next prediction and the history energy two samples ahead. The sums are separate
// chains of dependent additions that a processor can run side by side; everything else
// (products, updates, loads and stores) fits in between.
//
// The arithmetic is exactly that of AdaptivePredictor::process and SynthesisFilter::process:
// the same products with the same operands, each sum from index 0 upward into its own
// accumulator, no fused multiply-add. Pairs of entries share SSE2 instructions only where the
// entries are independent (products, updates); every sum still adds its terms one at a time.

#include <emmintrin.h>

#include <cstdint>

// One predictor's part of the pass.
struct PredictorLane {
    double* w;            // coefficients, updated in place
    double* v;            // update memory, updated in place
    const double* older;  // history the update reads (before this sample's input)
    const double* newer;  // history after this sample's input: the next prediction's
    const double* ahead;  // history one input later still: the energy two samples ahead
    // newer[0] and ahead[0], just stored: the first pair takes them from registers, because a
    // 16-byte load that overlaps a just-stored 8-byte value waits until that store retires.
    double newest, aheadNewest;
    double mu, g, e, rho, leak;
    double prediction;  // out: the next sample's prediction
    double energy;      // out: the history energy two samples ahead
};

namespace fusedpass {

struct LaneRegisters {
    __m128d mu, g, e, rho, leak, sums;  // sums holds {prediction, energy}
    explicit LaneRegisters(const PredictorLane& lane)
        : mu(_mm_set1_pd(lane.mu)),
          g(_mm_set1_pd(lane.g)),
          e(_mm_set1_pd(lane.e)),
          rho(_mm_set1_pd(lane.rho)),
          leak(_mm_set1_pd(lane.leak)),
          sums(_mm_setzero_pd()) {}
};

// Entries i and i + 1: v = ((x mu) g) e + rho v, w = leak w + v; then prediction += x' w and
// energy += x'' x'', entry i before entry i + 1. Answers the new coefficients. newer and
// ahead are the pairs of lane.newer and lane.ahead at i.
inline __m128d stepPair(const PredictorLane& lane, LaneRegisters& r, int32_t i, __m128d newer,
                        __m128d z) {
    // Both loads before either store: the arrays are 8 KiB apart, and a load behind a store
    // to the same address modulo 4 KiB may wait for it.
    const __m128d x = _mm_loadu_pd(lane.older + i);
    const __m128d vOld = _mm_loadu_pd(lane.v + i);
    const __m128d wOld = _mm_loadu_pd(lane.w + i);
    const __m128d step = _mm_mul_pd(_mm_mul_pd(_mm_mul_pd(x, r.mu), r.g), r.e);
    const __m128d v = _mm_add_pd(step, _mm_mul_pd(r.rho, vOld));
    _mm_storeu_pd(lane.v + i, v);
    const __m128d w = _mm_add_pd(_mm_mul_pd(r.leak, wOld), v);
    _mm_storeu_pd(lane.w + i, w);
    const __m128d product = _mm_mul_pd(newer, w);
    const __m128d square = _mm_mul_pd(z, z);
    // Both accumulators take their entry i term, then their entry i + 1 term.
    r.sums = _mm_add_pd(r.sums, _mm_unpacklo_pd(product, square));
    r.sums = _mm_add_pd(r.sums, _mm_unpackhi_pd(product, square));
    return w;
}

inline __m128d stepPair(const PredictorLane& lane, LaneRegisters& r, int32_t i) {
    return stepPair(lane, r, i, _mm_loadu_pd(lane.newer + i), _mm_loadu_pd(lane.ahead + i));
}

// The first pair, with the entries stored this sample from registers.
inline __m128d stepFirstPair(const PredictorLane& lane, LaneRegisters& r) {
    return stepPair(lane, r, 0, _mm_set_pd(lane.older[0], lane.newest),
                    _mm_set_pd(lane.newest, lane.aheadNewest));
}

inline double stepOne(const PredictorLane& lane, LaneRegisters& r, int32_t i) {
    const double vOld = lane.v[i];
    const double wOld = lane.w[i];
    const double step = ((lane.older[i] * lane.mu) * lane.g) * lane.e;
    const double v = step + lane.rho * vOld;
    lane.v[i] = v;
    const double w = lane.leak * wOld + v;
    lane.w[i] = w;
    const double product = lane.newer[i] * w;
    const double square = lane.ahead[i] * lane.ahead[i];
    r.sums = _mm_add_pd(r.sums, _mm_set_pd(square, product));
    return w;
}

// y = y + (s[i] w[i]) a for entries i and i + 1, in that order; s holds state[i], state[i + 1].
// With UnitAmount (a is exactly 1) the product by a is left out: x 1 is x, bit for bit, for
// every value the pass can meet (a signalling NaN cannot arise from float inputs).
template <bool UnitAmount>
inline __m128d synthesisTerm(__m128d s, __m128d w, __m128d a) {
    return UnitAmount ? _mm_mul_pd(s, w) : _mm_mul_pd(_mm_mul_pd(s, w), a);
}

template <bool UnitAmount>
inline double synthesisTerm(double s, double w, double a) {
    return UnitAmount ? s * w : (s * w) * a;
}

template <bool UnitAmount>
inline __m128d synthesisPair(__m128d y, __m128d s, __m128d w, __m128d a) {
    const __m128d term = synthesisTerm<UnitAmount>(s, w, a);
    y = _mm_add_sd(y, term);
    return _mm_add_sd(y, _mm_unpackhi_pd(term, term));
}

inline void finish(PredictorLane& lane, const LaneRegisters& r) {
    lane.prediction = _mm_cvtsd_f64(r.sums);
    lane.energy = _mm_cvtsd_f64(_mm_unpackhi_pd(r.sums, r.sums));
}

}  // namespace fusedpass

// Runs the pass for one sample and answers the synthesis output: excitation plus the sum of
// (state[i] w[i]) a over the modulator order n, where state[0] is previousOutput (passed in a
// register, as it was stored just now). With a carrier lane (whitening on) its order nc runs
// in the same loop. UnitAmount: the caller has found a == 1 (see synthesisTerm).
template <bool UnitAmount>
inline double runFusedPass(PredictorLane& modulator, int32_t n, const double* state,
                           double previousOutput, double a, double excitation,
                           PredictorLane* carrier, int32_t nc) {
    using namespace fusedpass;
    LaneRegisters m(modulator);
    const __m128d amount = _mm_set1_pd(a);
    __m128d y = _mm_set_sd(excitation);
    int32_t i = 0;
    auto modulatorFrom = [&](int32_t start) {
        int32_t j = start;
        for (; j + 1 < n; j += 2) {
            const __m128d w = stepPair(modulator, m, j);
            y = synthesisPair<UnitAmount>(y, _mm_loadu_pd(state + j), w, amount);
        }
        if (j < n) {
            const double w = stepOne(modulator, m, j);
            const double s = j == 0 ? previousOutput : state[j];
            y = _mm_add_sd(y, _mm_set_sd(synthesisTerm<UnitAmount>(s, w, a)));
        }
    };
    const bool firstPair = n >= 2 && (!carrier || nc >= 2);
    if (firstPair) {
        const __m128d w = stepFirstPair(modulator, m);
        y = synthesisPair<UnitAmount>(y, _mm_set_pd(state[1], previousOutput), w, amount);
        i = 2;
    }
    if (!carrier) {
        modulatorFrom(i);
    } else {
        LaneRegisters c(*carrier);
        if (firstPair) stepFirstPair(*carrier, c);
        const int32_t shared = n < nc ? n : nc;
        for (; i + 1 < shared; i += 2) {
            const __m128d w = stepPair(modulator, m, i);
            y = synthesisPair<UnitAmount>(y, _mm_loadu_pd(state + i), w, amount);
            stepPair(*carrier, c, i);
        }
        auto carrierFrom = [&](int32_t start) {
            int32_t j = start;
            for (; j + 1 < nc; j += 2) stepPair(*carrier, c, j);
            if (j < nc) stepOne(*carrier, c, j);
        };
        // The shorter remainder first, so that its chains finish while the longer one runs.
        if (n >= nc) {
            carrierFrom(i);
            modulatorFrom(i);
        } else {
            modulatorFrom(i);
            carrierFrom(i);
        }
        finish(*carrier, c);
    }
    finish(modulator, m);
    return _mm_cvtsd_f64(y);
}
