#pragma once
// Sample-rate conversion of a whole signal with libsoxr (its high-quality linear-phase filter),
// so that a measure defined at one rate can take files at any rate.

#include <string>
#include <vector>

// Answers false with a sentence in error when the rates are not positive or soxr fails.
bool resample(const std::vector<double>& input, double inputRate, double outputRate,
              std::vector<double>& output, std::string& error);
