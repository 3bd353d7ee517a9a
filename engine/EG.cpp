#include "engine/EG.h"

#include <cmath>

void EG::reset() {
    state = 0;
    level = 0.0;
}

double EG::finiteOr(double value, double fallback) {
    return std::isfinite(value) ? value : fallback;
}

bool EG::isUsableRate(double fs) {
    return std::isfinite(fs) && fs > 0.0;
}
