#pragma once
// A plain transcription of the vocoder's arithmetic, one loop per sum and a shift register
// that moves every sample: the yardstick the optimised engine must match bit for bit.

#include <cmath>
#include <cstdint>
#include <cstring>

#include "vocoder/PortableMath.h"

namespace reference {

struct Predictor {
    int32_t order = 100;
    double mu = 0.02, forget = 0.001, leak = 0.999, rho = 0.0;
    double w[1024], x[1024], v[1024];

    Predictor() { clear(); }
    void clear() {
        std::memset(w, 0, sizeof w);
        std::memset(x, 0, sizeof x);
        std::memset(v, 0, sizeof v);
    }
    void setOrder(int32_t n) {
        order = (n < 1 || n > 1024) ? 1024 : n;
        clear();
    }
    void setLearningRate(double value) {
        if (value >= 0.0 && value < 1.0) mu = value;
    }
    void setForgettingRate(double value) {
        if (value >= 0.0 && value < 1.0) forget = value;
        leak = 1.0 - forget;
    }
    void setSmoothing(double value) {
        if (value >= 0.0 && value < 1.0) rho = value;
    }
    double process(double s) {
        const int32_t n = order;
        double y = 0.0;
        for (int32_t i = 0; i < n; ++i) y += x[i] * w[i];
        const double e = s - y;
        double p = 0.0;
        for (int32_t i = 0; i < n; ++i) p += x[i] * x[i];
        const double g = 1.0 / (std::sqrt(p) + 0.01);
        for (int32_t i = 0; i < n; ++i) v[i] = ((x[i] * mu) * g) * e + rho * v[i];
        for (int32_t i = 0; i < n; ++i) w[i] = leak * w[i] + v[i];
        for (int32_t k = n - 1; k >= 1; --k) x[k] = x[k - 1];
        x[0] = s;
        return e;
    }
};

struct Synthesis {
    double s[1024];
    double a = 1.0;
    Synthesis() { std::memset(s, 0, sizeof s); }
    double process(double u, const double* c, int32_t n) {
        double y = u;
        for (int32_t i = 0; i < n; ++i) y = y + (s[i] * c[i]) * a;
        for (int32_t k = n - 1; k >= 1; --k) s[k] = s[k - 1];
        s[0] = y;
        return y;
    }
};

struct Follower {
    double rate = 44100.0, attack = 0.01, release = 0.05, env = 0.0;
    double attackCoeff() const { return portableExp(-1.0 / (attack * rate)); }
    double releaseCoeff() const { return portableExp(-1.0 / (release * rate)); }
    double process(double input) {
        const double r = std::fabs(input);
        const double c = env >= r ? releaseCoeff() : attackCoeff();
        env = (1.0 - c) * r + c * env;
        return env;
    }
};

// The chain with the engine's starting settings (the effect's defaults).
struct Chain {
    Follower follower;
    Predictor modulator, carrier;
    Synthesis synthesis;
    double vocoded = 1.0, error = decibelsToGain(-96.0), dry = decibelsToGain(-96.0),
           carried = decibelsToGain(-96.0), whitenedGain = decibelsToGain(-96.0), master = 1.0;
    double emphasis = portableTanh(3.0);
    double before = 0.0;
    bool whiten = false;
    double envelopeAmount = 1.0;

    void reset() {
        modulator.clear();
        carrier.clear();
        std::memset(synthesis.s, 0, sizeof synthesis.s);
        follower.env = 0.0;
        before = 0.0;
    }

    // One sample; out receives the eight outputs.
    void process(float carrierIn, float modulatorIn, float* out) {
        const double c = carrierIn, m = modulatorIn;
        const double env = follower.process(m);
        const double e = modulator.process(m - emphasis * before);
        double w = 0.0, u = c;
        if (whiten) {
            w = carrier.process(c);
            u = w;
        }
        double y = synthesis.process(u, modulator.w, modulator.order);
        y = y * (10.0 * env * envelopeAmount + (1.0 - envelopeAmount));
        const double whitenedTerm = whiten ? w * whitenedGain : 0.0;
        const double s =
            ((((y * vocoded + whitenedTerm) + e * error) + m * dry) + c * carried) * master;
        out[0] = out[1] = static_cast<float>(s);
        out[2] = out[3] = static_cast<float>(e);
        out[4] = out[5] = carrierIn;
        out[6] = out[7] = modulatorIn;
        before = m;
    }
};

}  // namespace reference
