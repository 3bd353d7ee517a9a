#pragma once

// Elementary functions built from IEEE additions, multiplications and divisions only, so that the
// generated tables come out bit-identical whatever C library the build machine has.
namespace wavegen {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

double sine(double x);
double cosine(double x);
double exponential(double x);
// x must be positive.
double logarithm(double x);
// base must be positive.
double power(double base, double exponent);

// 0 at 0, 1 at 1, flat at both ends: the blend curve of every morph, so that a sweep dwells on its
// key waves.
double smoothstep(double t);
double lerp(double a, double b, double t);

} // namespace wavegen
