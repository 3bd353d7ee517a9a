#pragma once

#include <vector>

struct StereoSignal {
    std::vector<double> left;
    std::vector<double> right;
};

// The measurements the bank is judged by, on stereo renders at 44.1 kHz. Levels are in dB; a silent
// signal measures -200 dB rather than minus infinity.
namespace signalmeasures {

constexpr double kSampleRate = 44100.0;
constexpr double kSilentDb = -200.0;

double toDb(double gain);

// Integrated loudness after EBU R128, in LUFS.
double integratedLoudness(const StereoSignal& signal);

// Largest absolute sample of either channel, in dBFS.
double peakDb(const StereoSignal& signal, double fromSeconds = 0.0, double toSeconds = 1e9);

// Root mean square of both channels together over a stretch, in dBFS.
double rmsDb(const StereoSignal& signal, double fromSeconds = 0.0, double toSeconds = 1e9);

// Power in the third-octave bands from 25 Hz to 20 kHz, in dB relative to the total, floored at -70 dB.
std::vector<double> thirdOctaveSpectrum(const StereoSignal& signal);

// Power-weighted spectral centroid of both channels in Hz: where the brightness of a sound sits. The
// weighting by power keeps the faint floor between the harmonics, which vibrato fills, from moving it.
double spectralCentroid(const StereoSignal& signal);

// Level in 50 ms frames in dB relative to the loudest frame, floored at -60 dB.
std::vector<double> envelope(const StereoSignal& signal);

// Root mean square difference of two equally long dB curves.
double distanceDb(const std::vector<double>& a, const std::vector<double>& b);

// Power of the side signal (L - R) against the mid signal (L + R), in dB.
double sideToMidDb(const StereoSignal& signal);

// The mean of each channel against the signal's RMS, in dB (the larger of the two channels).
double dcToRmsDb(const StereoSignal& signal);

// The largest change of level between two neighbouring stretches of `windowSamples` each, relative to
// the loudest level within 25 ms. With stretches of whole periods of a held note, a gain that jumps
// within a sample shows as a step close to its size, while a ramp over several stretches spreads out.
// Measured from `fromSeconds` to `toSeconds`.
double largestGainStep(const StereoSignal& signal, double windowSamples, double fromSeconds,
                       double toSeconds);

} // namespace signalmeasures
