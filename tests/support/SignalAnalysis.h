#pragma once

#include <vector>

namespace testsupport {

// Magnitude spectrum (bins 0..n/2) of a real signal, computed in double precision with a Hann window
// when `window` is set. The length need not be a power of two.
std::vector<double> magnitudeSpectrum(const std::vector<double>& signal, bool window = true);

// Fundamental frequency of a periodic signal in Hz, from the strongest spectral peak refined by
// parabolic interpolation of the log magnitudes.
double measurePitch(const std::vector<double>& signal, double sampleRate);

// Root mean square of a signal.
double rms(const std::vector<double>& signal);

} // namespace testsupport
