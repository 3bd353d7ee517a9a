#pragma once

#include "tools/make-wavetables/HarmonicSpectrum.h"
#include "tools/make-wavetables/NoiseBank.h"
#include "tools/make-wavetables/WaveTable.h"

#include <array>
#include <vector>

namespace wavegen {

// A moment of speech: the vocal tract's resonances and how much of the voiced (harmonic) and of the
// noise source (a turbulence band, as in fricatives and bursts) it is excited with.
struct VocalFrame {
    std::array<double, 5> formants; // Hz
    double voicing;                 // weight of the harmonic source
    double noise;                   // weight of the noise band
    double noiseCentre;             // Hz
    double noiseWidth;              // Hz
};

// One stop of a spoken sequence; length is the distance to the next stop, in any common unit.
struct VocalKey {
    VocalFrame frame;
    double length;
};

// Gain of a cascade of two-pole resonators at the formant frequencies (unity at 0 Hz), the classic
// formant-synthesiser vocal tract.
double tractGain(const std::array<double, 5>& formants, double hz);
VocalFrame blend(const VocalFrame& a, const VocalFrame& b, double t);

class Formants {
public:
    // fundamental: the pitch (Hz) the harmonic grid stands for when formants are placed on it.
    explicit Formants(double fundamental) : fundamental(fundamental) {}

    HarmonicSpectrum voice(const VocalFrame& frame, const HarmonicSpectrum& noise) const;
    // Spreads the keys evenly over the given number of waves, dwelling at each key and gliding
    // between them; noise from a bank made from the seed.
    WaveTable speak(const std::vector<VocalKey>& keys, int waves, uint64_t seed) const;

private:
    double fundamental;
};

} // namespace wavegen
