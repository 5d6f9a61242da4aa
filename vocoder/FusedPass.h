#pragma once
// The engine's per-sample pass over the predictor orders: in one loop, each predictor's
// coefficient update, its next prediction over the just-updated coefficients, and the
// synthesis sum over the modulator's. The sums are separate chains of dependent additions that
// a processor can run side by side; everything else (products, updates, loads and stores) fits
// in between.
//
// The arithmetic is exactly that of AdaptivePredictor::process and SynthesisFilter::process:
// the same products with the same operands, each sum from index 0 upward into its own
// accumulator, no fused multiply-add. Pairs of entries share SSE2 instructions only where the
// entries are independent (products, updates); two sums may share a register, each lane
// taking its own terms one entry at a time, so that one addition serves both chains.
//
// Two shapes, by what limits them:
// - one predictor (whitening off) waits on its chains: the energy of the history two samples
//   ahead, which normalises that sample's step, rides along in the prediction's additions,
//   {prediction, energy}, and the synthesis sum runs beside them;
// - two predictors (whitening on) have more arithmetic than the chains' waiting hides: their
//   energies are summed ahead for a run of samples (StepNormalisation), and the synthesis sum
//   shares the prediction's register instead, {prediction, synthesis}.

#include <emmintrin.h>

#include <cstdint>

#include "vocoder/StepNormalisation.h"

// One predictor's part of the pass.
struct PredictorLane {
    double* w;            // coefficients, updated in place
    double* v;            // update memory, updated in place
    const double* older;  // history the update reads (before this sample's input)
    const double* newer;  // history after this sample's input: the next prediction's
    // newer[0], just stored: the first pair takes it from a register, because a 16-byte load
    // that overlaps a just-stored 8-byte value waits until that store retires.
    double newest;
    double mu, g, e, rho, leak;
    double prediction;  // out: the next sample's prediction
    // Without whitening only: in, an energy summed two samples ago; out, its normalised step,
    // which the next sample takes as g.
    double energyToNormalise, normalisedStep;
};

namespace fusedpass {

struct LaneRegisters {
    __m128d mu, g, e, rho, leak;
    explicit LaneRegisters(const PredictorLane& lane)
        : mu(_mm_set1_pd(lane.mu)),
          g(_mm_set1_pd(lane.g)),
          e(_mm_set1_pd(lane.e)),
          rho(_mm_set1_pd(lane.rho)),
          leak(_mm_set1_pd(lane.leak)) {}
};

// Entries i and i + 1: v = ((x mu) g) e + rho v, w = leak w + v. Answers the new coefficients.
inline __m128d updatePair(const PredictorLane& lane, const LaneRegisters& r, int32_t i) {
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
    return w;
}

inline double updateOne(const PredictorLane& lane, int32_t i) {
    const double vOld = lane.v[i];
    const double wOld = lane.w[i];
    const double step = ((lane.older[i] * lane.mu) * lane.g) * lane.e;
    const double v = step + lane.rho * vOld;
    lane.v[i] = v;
    const double w = lane.leak * wOld + v;
    lane.w[i] = w;
    return w;
}

// The history at entry j of the next prediction; entry 0 was stored this sample.
inline double newerAt(const PredictorLane& lane, int32_t j) {
    return j == 0 ? lane.newest : lane.newer[j];
}

// The first pair of the next prediction's history, entry 0 from a register.
inline __m128d firstNewer(const PredictorLane& lane) {
    return _mm_set_pd(lane.older[0], lane.newest);
}

// (s w) a, the synthesis term. With UnitAmount (a is exactly 1) the product by a is left out:
// x 1 is x, bit for bit, for every value the pass can meet (a signalling NaN cannot arise from
// float inputs).
template <bool UnitAmount>
inline __m128d synthesisTerm(__m128d s, __m128d w, __m128d a) {
    return UnitAmount ? _mm_mul_pd(s, w) : _mm_mul_pd(_mm_mul_pd(s, w), a);
}

template <bool UnitAmount>
inline double synthesisTerm(double s, double w, double a) {
    return UnitAmount ? s * w : (s * w) * a;
}

// ---- One predictor: {prediction, energy} and the synthesis sum y.

// Entries i and i + 1: the update, then {prediction, energy} take entry i's terms and then
// entry i + 1's, and y its own. newer, energy and state are the pairs at i of the history,
// of the energy's history and of the synthesis state.
template <bool UnitAmount>
inline void modulatorPair(const PredictorLane& lane, const LaneRegisters& r, int32_t i,
                          __m128d newer, __m128d energy, __m128d state, __m128d amount,
                          __m128d& sums, __m128d& y) {
    const __m128d w = updatePair(lane, r, i);
    const __m128d product = _mm_mul_pd(newer, w);
    const __m128d square = _mm_mul_pd(energy, energy);
    sums = _mm_add_pd(sums, _mm_unpacklo_pd(product, square));
    sums = _mm_add_pd(sums, _mm_unpackhi_pd(product, square));
    const __m128d term = synthesisTerm<UnitAmount>(state, w, amount);
    y = _mm_add_sd(y, term);
    y = _mm_add_sd(y, _mm_unpackhi_pd(term, term));
}

template <bool UnitAmount>
inline void modulatorOne(const PredictorLane& lane, int32_t j, double energy, double s, double a,
                         __m128d& sums, __m128d& y) {
    const double w = updateOne(lane, j);
    sums = _mm_add_pd(sums, _mm_set_pd(energy * energy, newerAt(lane, j) * w));
    y = _mm_add_sd(y, _mm_set_sd(synthesisTerm<UnitAmount>(s, w, a)));
}

// ---- Two predictors: {prediction, synthesis} for the modulator, the carrier's prediction.

// The modulator's entries i and i + 1: {prediction, synthesis} take entry i's terms, then
// entry i + 1's.
template <bool UnitAmount>
inline __m128d modulatorPairWithSynthesis(const PredictorLane& lane, const LaneRegisters& r,
                                          int32_t i, __m128d newer, __m128d state, __m128d amount,
                                          __m128d sums) {
    const __m128d w = updatePair(lane, r, i);
    const __m128d product = _mm_mul_pd(newer, w);
    const __m128d term = synthesisTerm<UnitAmount>(state, w, amount);
    sums = _mm_add_pd(sums, _mm_unpacklo_pd(product, term));
    return _mm_add_pd(sums, _mm_unpackhi_pd(product, term));
}

template <bool UnitAmount>
inline __m128d modulatorOneWithSynthesis(const PredictorLane& lane, int32_t j, double s, double a,
                                         __m128d sums) {
    const double w = updateOne(lane, j);
    return _mm_add_pd(sums, _mm_set_pd(synthesisTerm<UnitAmount>(s, w, a), newerAt(lane, j) * w));
}

// The carrier's entries i and i + 1: the update, then its prediction takes both terms in turn.
inline __m128d carrierPair(const PredictorLane& lane, const LaneRegisters& r, int32_t i,
                           __m128d newer, __m128d prediction) {
    const __m128d product = _mm_mul_pd(newer, updatePair(lane, r, i));
    prediction = _mm_add_sd(prediction, product);
    return _mm_add_sd(prediction, _mm_unpackhi_pd(product, product));
}

inline __m128d carrierOne(const PredictorLane& lane, int32_t j, __m128d prediction) {
    const double w = updateOne(lane, j);
    return _mm_add_sd(prediction, _mm_set_sd(newerAt(lane, j) * w));
}

// One sample's pass without whitening, as the two- and four-entry code share it: the
// modulator's lane, {prediction, energy} and the synthesis sum y.
template <bool UnitAmount>
struct PlainPass {
    PredictorLane& lane;
    const LaneRegisters r;
    const double* state;
    const double* energyHistory;
    double previousOutput, a;
    __m128d amount, sums, y;

    PlainPass(PredictorLane& modulator, const double* synthesisState, double previous,
              double synthesisAmount, double excitation, const double* energies)
        : lane(modulator),
          r(modulator),
          state(synthesisState),
          energyHistory(energies),
          previousOutput(previous),
          a(synthesisAmount),
          amount(_mm_set1_pd(synthesisAmount)),
          sums(_mm_setzero_pd()),
          y(_mm_set_sd(excitation)) {}

    // Entries 0 and 1, with the values stored this sample (the history's and the energy's
    // newest) from registers; answers the entry the rest starts at.
    int32_t firstPair(int32_t n, double energyNewest) {
        if (n < 2) return 0;
        modulatorPair<UnitAmount>(lane, r, 0, firstNewer(lane),
                                  _mm_set_pd(lane.newest, energyNewest),
                                  _mm_set_pd(state[1], previousOutput), amount, sums, y);
        return 2;
    }

    // Where the steps of the given width from entry j on are half done: the normalisation of
    // the next step goes there (normaliseStep).
    static int32_t halfway(int32_t j, int32_t n, int32_t width) {
        return j + width * ((n - j) / width / 2);
    }

    // The square root and division of the next sample's step wait on nothing in the pass, but
    // after it they would be reached only when the next sample's first steps want the same
    // pipes: the processor gets to the end of a sample late, behind the chains. Halfway
    // through, they run beside the chains.
    void normaliseStep() {
        lane.normalisedStep = stepnormalisation::normalised(lane.energyToNormalise);
    }

    // The pairs from entry j up to end, then an odd last entry.
    void rest(int32_t end, int32_t j) {
        // The sums in locals: a store through a double pointer may alias a vector member, and
        // the chains must not go through memory.
        __m128d s = sums, z = y;
        for (; j + 1 < end; j += 2) {
            modulatorPair<UnitAmount>(lane, r, j, _mm_loadu_pd(lane.newer + j),
                                      _mm_loadu_pd(energyHistory + j), _mm_loadu_pd(state + j),
                                      amount, s, z);
        }
        if (j < end) {
            modulatorOne<UnitAmount>(lane, j, energyHistory[j], j == 0 ? previousOutput : state[j],
                                     a, s, z);
        }
        sums = s;
        y = z;
    }

    // Leaves the prediction in the lane and the energy in energy; answers the synthesis output.
    double finish(double& energy) {
        lane.prediction = _mm_cvtsd_f64(sums);
        energy = _mm_cvtsd_f64(_mm_unpackhi_pd(sums, sums));
        return _mm_cvtsd_f64(y);
    }
};

// One sample's pass with whitening, as the two- and four-entry code share it: the modulator's
// {prediction, synthesis} and the carrier's prediction, over orders n and nc.
template <bool UnitAmount>
struct WhitenedPass {
    PredictorLane& modulator;
    PredictorLane& carrier;
    const LaneRegisters m, c;
    const double* state;
    double previousOutput, a;
    int32_t n, nc;
    __m128d amount, sums, predicted;

    WhitenedPass(PredictorLane& modulatorLane, int32_t order, const double* synthesisState,
                 double previous, double synthesisAmount, double excitation,
                 PredictorLane& carrierLane, int32_t carrierOrder)
        : modulator(modulatorLane),
          carrier(carrierLane),
          m(modulatorLane),
          c(carrierLane),
          state(synthesisState),
          previousOutput(previous),
          a(synthesisAmount),
          n(order),
          nc(carrierOrder),
          amount(_mm_set1_pd(synthesisAmount)),
          sums(_mm_set_pd(excitation, 0.0)),
          predicted(_mm_setzero_pd()) {}

    int32_t shared() const { return n < nc ? n : nc; }

    // Entries 0 and 1 of both, with the values stored this sample from registers; answers the
    // entry the rest starts at.
    int32_t firstPair() {
        if (n < 2 || nc < 2) return 0;
        sums = modulatorPairWithSynthesis<UnitAmount>(modulator, m, 0, firstNewer(modulator),
                                                      _mm_set_pd(state[1], previousOutput), amount,
                                                      sums);
        predicted = carrierPair(carrier, c, 0, firstNewer(carrier), predicted);
        return 2;
    }

    // Both predictors' pairs from entry i on while both have entries; answers where they stop.
    int32_t sharedPairs(int32_t i) {
        __m128d s = sums, p = predicted;  // locals, as in PlainPass::rest
        for (const int32_t end = shared(); i + 1 < end; i += 2) {
            s = modulatorPairWithSynthesis<UnitAmount>(modulator, m, i,
                                                       _mm_loadu_pd(modulator.newer + i),
                                                       _mm_loadu_pd(state + i), amount, s);
            p = carrierPair(carrier, c, i, _mm_loadu_pd(carrier.newer + i), p);
        }
        sums = s;
        predicted = p;
        return i;
    }

    // One predictor's pairs from entry j on, then an odd last entry.
    void modulatorRest(int32_t j) {
        __m128d s = sums;  // a local, as in PlainPass::rest
        for (; j + 1 < n; j += 2) {
            s = modulatorPairWithSynthesis<UnitAmount>(modulator, m, j,
                                                       _mm_loadu_pd(modulator.newer + j),
                                                       _mm_loadu_pd(state + j), amount, s);
        }
        if (j < n) {
            s = modulatorOneWithSynthesis<UnitAmount>(modulator, j,
                                                      j == 0 ? previousOutput : state[j], a, s);
        }
        sums = s;
    }
    void carrierRest(int32_t j) {
        __m128d p = predicted;
        for (; j + 1 < nc; j += 2)
            p = carrierPair(carrier, c, j, _mm_loadu_pd(carrier.newer + j), p);
        if (j < nc) p = carrierOne(carrier, j, p);
        predicted = p;
    }

    // Leaves both predictions in their lanes; answers the synthesis output.
    double finish() {
        carrier.prediction = _mm_cvtsd_f64(predicted);
        modulator.prediction = _mm_cvtsd_f64(sums);
        return _mm_cvtsd_f64(_mm_unpackhi_pd(sums, sums));
    }
};

}  // namespace fusedpass

// Runs the pass for one sample without whitening and answers the synthesis output: excitation
// plus the sum of (state[i] w[i]) a over the order n, where state[0] is previousOutput (passed
// in a register, as it was stored just now). Beside the prediction it sums the energy of
// energyHistory[0 .. n - 1] into energy; energyHistory[0] (energyNewest) and [1] (the lane's
// newest) were stored just now and come from registers. On the way it normalises the lane's
// energyToNormalise into its normalisedStep. UnitAmount: the caller has found a == 1.
template <bool UnitAmount>
inline double runModulatorPass(PredictorLane& modulator, int32_t n, const double* state,
                               double previousOutput, double a, double excitation,
                               double energyNewest, const double* energyHistory, double& energy) {
    fusedpass::PlainPass<UnitAmount> pass(modulator, state, previousOutput, a, excitation,
                                          energyHistory);
    const int32_t j = pass.firstPair(n, energyNewest);
    const int32_t half = pass.halfway(j, n, 2);
    pass.rest(half, j);
    pass.normaliseStep();
    pass.rest(n, half);
    return pass.finish(energy);
}

// The pass with whitening: the modulator as above but without the energy, and the carrier's
// predictor (order nc) in the same loop; the carrier's prediction is left in its lane.
template <bool UnitAmount>
inline double runWhitenedPass(PredictorLane& modulator, int32_t n, const double* state,
                              double previousOutput, double a, double excitation,
                              PredictorLane& carrier, int32_t nc) {
    fusedpass::WhitenedPass<UnitAmount> pass(modulator, n, state, previousOutput, a, excitation,
                                             carrier, nc);
    const int32_t i = pass.sharedPairs(pass.firstPair());
    // The shorter remainder first, so that its chains finish while the longer one runs.
    if (n >= nc) {
        pass.carrierRest(i);
        pass.modulatorRest(i);
    } else {
        pass.modulatorRest(i);
        pass.carrierRest(i);
    }
    return pass.finish();
}
