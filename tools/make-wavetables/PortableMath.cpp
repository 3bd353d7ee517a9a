#include "tools/make-wavetables/PortableMath.h"

#include <cmath>

namespace wavegen {

namespace {

constexpr double kHalfPi = 0.5 * kPi;
constexpr double kLn2 = 0.69314718055994530942;

// Taylor series of sin on [-pi/2, pi/2]; the last term is far below double precision there.
double sineKernel(double x) {
    const double x2 = x * x;
    double term = x;
    double sum = x;
    for (int n = 1; n <= 12; ++n) {
        term *= -x2 / ((2.0 * n) * (2.0 * n + 1.0));
        sum += term;
    }
    return sum;
}

} // namespace

double sine(double x) {
    // std::floor and std::fma-free arithmetic are exact, so this reduction is the same everywhere.
    double r = x - kTwoPi * std::floor(x / kTwoPi + 0.5);
    if (r > kHalfPi) r = kPi - r;
    if (r < -kHalfPi) r = -kPi - r;
    return sineKernel(r);
}

double cosine(double x) {
    return sine(x + kHalfPi);
}

double exponential(double x) {
    if (x < -700.0) return 0.0;
    if (x > 700.0) x = 700.0;
    const double k = std::floor(x / kLn2 + 0.5);
    const double r = x - k * kLn2;
    double term = 1.0;
    double sum = 1.0;
    for (int n = 1; n <= 20; ++n) {
        term *= r / n;
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(k));
}

double logarithm(double x) {
    int e = 0;
    double m = std::frexp(x, &e); // m in [0.5, 1)
    if (m < 0.70710678118654752440) {
        m *= 2.0;
        --e;
    }
    // ln(m) = 2 atanh(z) with |z| below 0.172: the series converges quickly.
    const double z = (m - 1.0) / (m + 1.0);
    const double z2 = z * z;
    double term = z;
    double sum = z;
    for (int n = 1; n <= 25; ++n) {
        term *= z2;
        sum += term / (2.0 * n + 1.0);
    }
    return 2.0 * sum + e * kLn2;
}

double power(double base, double exponent) {
    return exponential(exponent * logarithm(base));
}

double smoothstep(double t) {
    if (t <= 0.0) return 0.0;
    if (t >= 1.0) return 1.0;
    return t * t * (3.0 - 2.0 * t);
}

double lerp(double a, double b, double t) {
    return a + (b - a) * t;
}

} // namespace wavegen
