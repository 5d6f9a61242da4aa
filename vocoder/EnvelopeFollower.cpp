#include "vocoder/EnvelopeFollower.h"

#include <cmath>

#include "vocoder/FiniteCheck.h"
#include "vocoder/PortableMath.h"

EnvelopeFollower::EnvelopeFollower()
    : rate(44100.0),
      attackSeconds(0.01),
      releaseSeconds(0.05),
      attackCoeff(0.0),
      releaseCoeff(0.0),
      env(0.0) {
    updateCoefficients();
}

void EnvelopeFollower::setSampleRate(double newRate) {
    if (newRate > 0.0) rate = newRate;
    updateCoefficients();
}

void EnvelopeFollower::setAttack(double ms) {
    attackSeconds = ms > 0.0 ? 0.001 * ms : 1.0 / rate;
    updateCoefficients();
}

void EnvelopeFollower::setRelease(double ms) {
    releaseSeconds = ms > 0.0 ? 0.001 * ms : 1.0 / rate;
    updateCoefficients();
}

// Coefficient for a time t at rate R: exp(-1 / (t R)); a step covers 1 - 1/e of the distance in t.
void EnvelopeFollower::updateCoefficients() {
    attackCoeff = portableExp(-1.0 / (attackSeconds * rate));
    releaseCoeff = portableExp(-1.0 / (releaseSeconds * rate));
}

void EnvelopeFollower::clear() { env = 0.0; }

bool EnvelopeFollower::isFinite() const { return isFiniteValue(env); }
