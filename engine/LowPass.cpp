#include "engine/LowPass.h"

#include <cmath>

void LowPass::calcCoeffs() {
    const double c = std::cos(omega);
    const double alpha = std::sin(omega) / (2.0 * q);
    const double n = 1.0 / (1.0 + alpha);
    a1 = 2.0 * c * n;
    a2 = (alpha - 1.0) * n;
    b1 = (1.0 - c) * n;
    b0 = b1 / 2.0;
    discardNonFiniteCoeffs();
}
