#pragma once

#include "engine/Filter.h"

// Second-order low-pass (the RBJ cookbook design) used to smooth modulation signals: the oscillators'
// phase-modulation input and the chorus line.
class LowPass : public Filter {
public:
    void calcCoeffs() override;
};
