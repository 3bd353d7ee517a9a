#include "tools/make-wavetables/Formants.h"

#include "tools/make-wavetables/PortableMath.h"

#include <cmath>

namespace wavegen {

namespace {

// Bandwidths (Hz) of the five formants, typical of an adult voice.
constexpr std::array<double, 5> kBandwidths = {80.0, 100.0, 150.0, 250.0, 300.0};
// The voiced source reaches about 14 kHz at the fundamental used here; above that speech has no
// useful energy.
constexpr int kVoiceHarmonics = 120;
constexpr int kNoiseHarmonics = 160;

double energy(const HarmonicSpectrum& spectrum) {
    double sum = 0.0;
    for (int h = 1; h <= kHighestHarmonic; ++h) sum += spectrum.amplitude(h) * spectrum.amplitude(h);
    return sum;
}

// Scales the spectrum to unit energy, so that the weights of a frame mean relative loudness.
HarmonicSpectrum normalised(HarmonicSpectrum spectrum) {
    const double e = energy(spectrum);
    if (e > 0.0) spectrum.scale(1.0 / std::sqrt(e));
    return spectrum;
}

} // namespace

double tractGain(const std::array<double, 5>& formants, double hz) {
    double gain = 1.0;
    for (size_t i = 0; i < formants.size(); ++i) {
        const double ratio = hz / formants[i];
        const double damping = hz * kBandwidths[i] / (formants[i] * formants[i]);
        const double detune = 1.0 - ratio * ratio;
        gain /= std::sqrt(detune * detune + damping * damping);
    }
    return gain;
}

VocalFrame blend(const VocalFrame& a, const VocalFrame& b, double t) {
    VocalFrame result{};
    for (size_t i = 0; i < a.formants.size(); ++i) result.formants[i] = lerp(a.formants[i], b.formants[i], t);
    result.voicing = lerp(a.voicing, b.voicing, t);
    result.noise = lerp(a.noise, b.noise, t);
    result.noiseCentre = lerp(a.noiseCentre, b.noiseCentre, t);
    result.noiseWidth = lerp(a.noiseWidth, b.noiseWidth, t);
    return result;
}

HarmonicSpectrum Formants::voice(const VocalFrame& frame, const HarmonicSpectrum& noise) const {
    HarmonicSpectrum voiced;
    for (int h = 1; h <= kVoiceHarmonics; ++h)
        voiced.addPartial(h, tractGain(frame.formants, h * fundamental) / h);

    HarmonicSpectrum turbulence = noise;
    turbulence.shape([&](int h) {
        const double x = (h * fundamental - frame.noiseCentre) / (0.5 * frame.noiseWidth);
        // A flat-topped band: the hiss of a fricative fills its band evenly.
        return 1.0 / (1.0 + x * x * x * x) * std::sqrt(tractGain(frame.formants, h * fundamental));
    });

    HarmonicSpectrum result = normalised(voiced);
    result.scale(frame.voicing);
    if (frame.noise > 0.0) result.add(normalised(turbulence), frame.noise);
    return result;
}

WaveTable Formants::speak(const std::vector<VocalKey>& keys, int waves, uint64_t seed) const {
    std::vector<double> stops(keys.size(), 0.0);
    for (size_t k = 1; k < keys.size(); ++k) stops[k] = stops[k - 1] + keys[k - 1].length;
    const double total = stops.back();
    const NoiseBank bank(seed, waves / 3 + 2, 1, kNoiseHarmonics);

    WaveTable table;
    for (int w = 0; w < waves; ++w) {
        const double s = total * w / (waves - 1);
        size_t k = 0;
        while (k + 2 < keys.size() && s >= stops[k + 1]) ++k;
        const double t = smoothstep((s - stops[k]) / (stops[k + 1] - stops[k]));
        const VocalFrame frame = blend(keys[k].frame, keys[k + 1].frame, t);
        table.add(voice(frame, bank.at(static_cast<double>(w) / (waves - 1) * (bank.keyCount() - 1))));
    }
    return table;
}

} // namespace wavegen
