#pragma once

#include "tools/make-wavetables/HarmonicSpectrum.h"

#include <cstdint>
#include <vector>

namespace wavegen {

// A row of random spectra (random amplitude and phase on every harmonic of a band) that a table
// glides through: neighbouring waves share most of their noise, so noisy tables still morph smoothly.
class NoiseBank {
public:
    NoiseBank(uint64_t seed, int keys, int lowest, int highest);

    int keyCount() const { return static_cast<int>(spectra.size()); }
    // position runs from 0 to keyCount() - 1.
    HarmonicSpectrum at(double position) const;

private:
    std::vector<HarmonicSpectrum> spectra;
};

} // namespace wavegen
