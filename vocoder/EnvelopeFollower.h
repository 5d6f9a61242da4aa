#pragma once
// Peak envelope follower with separate attack and release times in milliseconds.

#include <emmintrin.h>

#include <cmath>

class EnvelopeFollower {
public:
    EnvelopeFollower();

    // Stores a rate above 0 only; recomputes both coefficients in every case.
    void setSampleRate(double rate);
    // A time above 0 ms is taken as given; 0, a negative time or NaN becomes one sample period.
    void setAttack(double ms);
    void setRelease(double ms);

    double sampleRate() const { return rate; }
    double attackTime() const { return attackSeconds; }
    double releaseTime() const { return releaseSeconds; }
    double attackCoefficient() const { return attackCoeff; }
    double releaseCoefficient() const { return releaseCoeff; }
    double envelope() const { return env; }

    // Sets the envelope to 0; times and coefficients stay.
    void clear();
    // One step on the rectified input; answers the new envelope.
    // Inline: the engine calls it once per sample inside its block loop.
    double process(double input) {
        const double r = std::fabs(input);
        // A tie takes the release coefficient. The choice is a mask, not a branch: on noise
        // it goes either way at random, and a mispredicted branch costs more than the select.
        const __m128d release = _mm_cmpge_sd(_mm_set_sd(env), _mm_set_sd(r));
        const double c = _mm_cvtsd_f64(_mm_or_pd(_mm_and_pd(release, _mm_set_sd(releaseCoeff)),
                                                 _mm_andnot_pd(release, _mm_set_sd(attackCoeff))));
        env = (1.0 - c) * r + c * env;
        return env;
    }
    bool isFinite() const;

private:
    void updateCoefficients();

    double rate;
    double attackSeconds;
    double releaseSeconds;
    double attackCoeff;
    double releaseCoeff;
    double env;
};
