#include "engine/Filter.h"

#include <numbers>

void Filter::setSampleRate(double fs) {
    sampleRate = fs;
    clear();
    q = 0.7071067811865476;
    a1 = a2 = b0 = b1 = 0.0;
}

void Filter::setCutoff(double fc) {
    omega = fc * 2.0 * std::numbers::pi / sampleRate;
    calcCoeffs();
}

void Filter::setQ(double newQ) {
    q = 0.9 * newQ + 0.1;
    calcCoeffs();
}

void Filter::discardNonFiniteCoeffs() {
    if (std::isfinite(a1) && std::isfinite(a2) && std::isfinite(b0) && std::isfinite(b1)) return;
    a1 = a2 = b0 = b1 = 0.0;
}
