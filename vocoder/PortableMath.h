#pragma once
// Exponential-based functions built only from IEEE additions, multiplications and divisions,
// so that the 32-bit DLL, the 64-bit DLL and the Linux build compute the same bits. The
// platforms' own libm implementations differ in their last bits (mingw's i686 versions run on
// the x87 unit), which would break bit-identical audio across builds.

// e^x, within about one unit in the last place; +inf above the double range, 0 below it.
double portableExp(double x);
// e^x - 1, accurate also for small |x|.
double portableExpm1(double x);
// Hyperbolic tangent.
double portableTanh(double x);
// 10^(0.05 dB): the linear gain of a level in decibels.
double decibelsToGain(double dB);
