#include "tools/make-wavetables/NoiseBank.h"

#include "tools/make-wavetables/PortableMath.h"
#include "tools/make-wavetables/Random.h"

#include <cmath>

namespace wavegen {

NoiseBank::NoiseBank(uint64_t seed, int keys, int lowest, int highest) {
    Random random(seed);
    spectra.resize(keys < 1 ? 1 : keys);
    for (HarmonicSpectrum& spectrum : spectra)
        for (int h = lowest; h <= highest; ++h) {
            const double amplitude = random.uniform(0.2, 1.0);
            spectrum.addPartial(h, amplitude, random.uniform(0.0, kTwoPi));
        }
}

HarmonicSpectrum NoiseBank::at(double position) const {
    const int last = keyCount() - 1;
    if (position <= 0.0) return spectra.front();
    if (position >= last) return spectra.back();
    const int key = static_cast<int>(std::floor(position));
    return HarmonicSpectrum::blend(spectra[key], spectra[key + 1], smoothstep(position - key));
}

} // namespace wavegen
