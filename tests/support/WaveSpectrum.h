#pragma once

#include "engine/FFT.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace testsupport {

// Sine and cosine amplitudes of the harmonics 0..1023 of one stored 2048-sample wave (16-bit, full
// scale 32767), through the engine's own transform. sine[h] is negative for a +sin partial of the
// transform's convention, matching how the spectral tables are written.
struct WaveSpectrum {
    std::vector<double> sine;
    std::vector<double> cosine;
    double magnitude(int h) const { return std::hypot(sine[h], cosine[h]); }
};

inline WaveSpectrum spectrumOfStoredWave(const int16_t* wave) {
    std::vector<float> time(FFT::kSize);
    std::vector<float> bins(FFT::kSize);
    for (int i = 0; i < FFT::kSize; ++i) time[i] = wave[i] / 32767.0f;
    FFT::forward(time.data(), bins.data());
    WaveSpectrum s{std::vector<double>(FFT::kBins), std::vector<double>(FFT::kBins)};
    // A sine of amplitude 1 reads 0.25 after the forward scaling.
    for (int h = 1; h < FFT::kBins; ++h) {
        s.cosine[h] = 4.0 * bins[FFT::index(h)];
        s.sine[h] = 4.0 * bins[FFT::index(h) + 1];
    }
    s.cosine[0] = 2.0 * bins[0];
    return s;
}

} // namespace testsupport
