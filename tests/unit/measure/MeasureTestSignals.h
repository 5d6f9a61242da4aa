#pragma once
// Signals the measure tests share: the demo's spoken sentence, noise from a fixed seed, a
// sawtooth chord like the demo's carrier, and simple ways to degrade a voice.

#include <string>
#include <vector>

namespace measuretest {

struct Voice {
    std::vector<float> samples;
    int rate = 0;
};

// demo/modulator.wav (espeak-ng, 8.9 s at 44.1 kHz), mono.
const Voice& demoVoice();

std::vector<float> noise(size_t length, double amplitude, unsigned seed);
std::vector<float> sawtoothChord(size_t length, double rate, double amplitude);
std::vector<float> delayed(const std::vector<float>& signal, size_t samples);
std::vector<float> added(const std::vector<float>& a, const std::vector<float>& b);
// Only what lies below cutoffHz, through a steep resampling round trip.
std::vector<float> lowPassed(const std::vector<float>& signal, double rate, double cutoffHz);

}  // namespace measuretest
