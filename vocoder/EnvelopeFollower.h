#pragma once
// Peak envelope follower with separate attack and release times in milliseconds.

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
        // A tie takes the release coefficient.
        const double c = env >= r ? releaseCoeff : attackCoeff;
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
