#include "tools/make-wavetables/HarmonicSpectrum.h"

#include "tools/make-wavetables/Fourier.h"
#include "tools/make-wavetables/PortableMath.h"

#include <cmath>
#include <vector>

namespace wavegen {

namespace {

constexpr int kAnalysisLength = 4 * kWaveLength;

bool inRange(int harmonic) {
    return harmonic >= 1 && harmonic <= kHighestHarmonic;
}

// a * sin(x + p) = Re(-i * a * e^(i p) * e^(i x)).
std::complex<double> sinePartial(double amplitude, double phase) {
    return std::complex<double>(amplitude * sine(phase), -amplitude * cosine(phase));
}

} // namespace

void HarmonicSpectrum::addPartial(int harmonic, double amplitude, double phase) {
    if (inRange(harmonic)) bins[harmonic] += sinePartial(amplitude, phase);
}

void HarmonicSpectrum::setPartial(int harmonic, double amplitude, double phase) {
    if (inRange(harmonic)) bins[harmonic] = sinePartial(amplitude, phase);
}

double HarmonicSpectrum::amplitude(int harmonic) const {
    return inRange(harmonic) ? std::sqrt(std::norm(bins[harmonic])) : 0.0;
}

void HarmonicSpectrum::shape(const std::function<double(int harmonic)>& gain) {
    for (int h = 1; h <= kHighestHarmonic; ++h)
        if (bins[h] != 0.0) bins[h] *= gain(h);
}

void HarmonicSpectrum::scale(double factor) {
    for (auto& bin : bins) bin *= factor;
}

void HarmonicSpectrum::add(const HarmonicSpectrum& other, double factor) {
    for (int h = 1; h <= kHighestHarmonic; ++h) bins[h] += other.bins[h] * factor;
}

HarmonicSpectrum HarmonicSpectrum::blend(const HarmonicSpectrum& a, const HarmonicSpectrum& b, double t) {
    HarmonicSpectrum result;
    for (int h = 1; h <= kHighestHarmonic; ++h) result.bins[h] = a.bins[h] * (1.0 - t) + b.bins[h] * t;
    return result;
}

std::vector<HarmonicSpectrum> HarmonicSpectrum::glide(const std::vector<HarmonicSpectrum>& keys, int count) {
    std::vector<HarmonicSpectrum> result;
    if (keys.empty() || count < 1) return result;
    const int last = static_cast<int>(keys.size()) - 1;
    for (int i = 0; i < count; ++i) {
        const double position = count > 1 ? static_cast<double>(i) * last / (count - 1) : 0.0;
        const int key = static_cast<int>(std::floor(position));
        result.push_back(key >= last ? keys[last] : blend(keys[key], keys[key + 1], position - key));
    }
    return result;
}

Cycle HarmonicSpectrum::render() const {
    std::vector<std::complex<double>> data(kWaveLength);
    for (int h = 1; h <= kHighestHarmonic; ++h) {
        data[h] = 0.5 * bins[h];
        data[kWaveLength - h] = std::conj(data[h]);
    }
    Fourier::inverse(data);
    Cycle cycle{};
    for (int i = 0; i < kWaveLength; ++i) cycle[i] = data[i].real();
    return cycle;
}

HarmonicSpectrum HarmonicSpectrum::analyse(const std::function<double(double t)>& wave, int highest) {
    std::vector<std::complex<double>> data(kAnalysisLength);
    for (int i = 0; i < kAnalysisLength; ++i) data[i] = wave(static_cast<double>(i) / kAnalysisLength);
    Fourier::forward(data);
    HarmonicSpectrum result;
    const int top = highest < kHighestHarmonic ? highest : kHighestHarmonic;
    for (int h = 1; h <= top; ++h) result.bins[h] = data[h] * (2.0 / kAnalysisLength);
    return result;
}

} // namespace wavegen
