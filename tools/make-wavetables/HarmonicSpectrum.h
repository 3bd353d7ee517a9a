#pragma once

#include <array>
#include <complex>
#include <functional>
#include <vector>

namespace wavegen {

constexpr int kWaveLength = 2048;
constexpr int kHighestHarmonic = kWaveLength / 2 - 1;

// One single-cycle wave in the time domain, sample i at phase i / 2048.
using Cycle = std::array<double, kWaveLength>;

// The harmonics 1..1023 of one single-cycle wave (no DC term). Harmonic h with amplitude a and
// phase p stands for a * sin(2 pi h t + p).
class HarmonicSpectrum {
public:
    void addPartial(int harmonic, double amplitude, double phase = 0.0);
    void setPartial(int harmonic, double amplitude, double phase = 0.0);
    double amplitude(int harmonic) const;

    // Multiplies every harmonic h by gain(h); gain may be any real number.
    void shape(const std::function<double(int harmonic)>& gain);
    void scale(double factor);
    void add(const HarmonicSpectrum& other, double factor = 1.0);
    // (1 - t) * a + t * b, harmonic by harmonic.
    static HarmonicSpectrum blend(const HarmonicSpectrum& a, const HarmonicSpectrum& b, double t);
    // The given number of spectra spread evenly over the keys (first and last on the first and last
    // key), blending linearly in between.
    static std::vector<HarmonicSpectrum> glide(const std::vector<HarmonicSpectrum>& keys, int count);

    Cycle render() const;
    // The harmonics 1..highest of a periodic function of the phase t in [0, 1), taken from 8192
    // points so that what lies above the kept band cannot fold back into it.
    static HarmonicSpectrum analyse(const std::function<double(double t)>& wave,
                                    int highest = kHighestHarmonic);

private:
    // bins[h] holds c with partial(t) = Re(c * e^(2 pi i h t)); bins[0] stays 0.
    std::array<std::complex<double>, kHighestHarmonic + 1> bins{};
};

} // namespace wavegen
