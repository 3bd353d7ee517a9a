#include "tools/make-wavetables/NoiseBank.h"
#include "tools/make-wavetables/PortableMath.h"
#include "tools/make-wavetables/Recipes.h"

#include <cmath>

namespace wavegen {

namespace {

// A struck or plucked string seen at moments of its decay: each wave is one moment, the moments
// crowd towards the attack, where the spectrum changes fastest.
struct StringModel {
    int waves;
    double duration;    // seconds covered by the table
    double fundamental; // Hz, for the inharmonic stretch
    int harmonics;
    double excitationPoint; // fraction of the string length: every (1/point)th harmonic is weak
    double tilt;            // excitation falls as 1 / h^tilt
    double brightness;      // harmonic at which the excitation's own low-pass sets in
    double baseDecay;       // 1/s
    double decayPerSquare;  // 1/s per h^2: upper partials die first
    double lateShare;       // share of the slow second stage of the decay
    double inharmonicity;   // B of f_h = h f0 sqrt(1 + B h^2)
    double resonance;       // harmonic of a resonant bump in the attack (0: none)
    double noise;           // weight of the attack noise (hammer thump, fret rattle)
    int noiseLow;
    int noiseHigh;
    uint64_t seed;
};

double momentOf(const StringModel& m, int w) {
    const double x = static_cast<double>(w) / (m.waves - 1);
    return m.duration * x * x;
}

HarmonicSpectrum stringMoment(const StringModel& m, int w, const NoiseBank& noise) {
    const double t = momentOf(m, w);
    // The phase drift of the stretched partials, slowed so that neighbouring waves stay related.
    const double driftTime = 0.004 * w;
    HarmonicSpectrum spectrum;
    for (int h = 1; h <= m.harmonics; ++h) {
        const double position = std::fabs(sine(kPi * h * m.excitationPoint));
        const double rolloff = 1.0 / (1.0 + (h / m.brightness) * (h / m.brightness));
        double excitation = position * rolloff / power(h, m.tilt);
        if (m.resonance > 0.0) {
            const double x = (h - m.resonance) / (0.25 * m.resonance);
            excitation *= 1.0 + 3.0 * exponential(-6.0 * t) / (1.0 + x * x);
        }
        const double decay = m.baseDecay + m.decayPerSquare * h * h;
        const double envelope =
            (1.0 - m.lateShare) * exponential(-decay * t) + m.lateShare * exponential(-decay * t / 8.0);
        const double stretch = h * m.fundamental * (std::sqrt(1.0 + m.inharmonicity * h * h) - 1.0);
        spectrum.addPartial(h, excitation * envelope, kTwoPi * stretch * driftTime);
    }
    const double thump = m.noise * exponential(-0.9 * w);
    if (thump > 1e-4) {
        HarmonicSpectrum burst = noise.at(0.5 * w);
        burst.shape([&](int h) { return h >= m.noiseLow && h <= m.noiseHigh ? 1.0 / std::sqrt(h) : 0.0; });
        spectrum.add(burst, thump * spectrum.amplitude(1));
    }
    return spectrum;
}

WaveTable pluck(const StringModel& m) {
    const NoiseBank noise(m.seed, 8, 1, m.noiseHigh);
    WaveTable table;
    for (int w = 0; w < m.waves; ++w) table.add(stringMoment(m, w, noise));
    return table;
}

// Pickup of a reed piano: asymmetric, so that the loud attack barks with even and odd overtones and
// the quiet tail is nearly pure.
double pickup(double x) {
    return x + 0.35 * x * x - 0.12 * x * x * x;
}

} // namespace

WaveTable makeAcousticPiano() {
    return pluck(
        {64, 3.0, 130.0, 90, 1.0 / 7.0, 0.7, 24.0, 0.5, 0.035, 0.25, 0.0004, 0.0, 0.3, 1, 24, 0xA71A});
}

WaveTable makeSlapLow() {
    return pluck({32, 1.5, 55.0, 96, 0.18, 1.0, 40.0, 1.2, 0.09, 0.3, 0.0001, 0.0, 0.5, 12, 90, 0x51A9});
}

WaveTable makeSlapHigh() {
    return pluck({32, 1.2, 82.0, 120, 0.07, 0.9, 60.0, 0.9, 0.05, 0.25, 0.0001, 10.0, 0.35, 20, 120, 0x9097});
}

WaveTable makePianet() {
    constexpr int kWaves = 48;
    WaveTable table;
    for (int w = 0; w < kWaves; ++w) {
        const double x = static_cast<double>(w) / (kWaves - 1);
        const double t = 2.0 * x * x;
        HarmonicSpectrum reed;
        reed.addPartial(1, 1.0);
        reed.addPartial(2, 0.3 * exponential(-1.0 * t));
        // The reed's first bending mode lies near 6.3 times the fundamental; on the harmonic grid it
        // shows as the sixth harmonic drifting in phase.
        reed.addPartial(6, 0.8 * exponential(-2.5 * t), kTwoPi * 0.3 * w / kWaves);
        for (int h = 10; h <= 20; ++h) reed.addPartial(h, 0.2 / h * exponential(-25.0 * t), 0.7 * h);
        const Cycle clean = reed.render();
        double top = 0.0;
        for (double v : clean) top = std::fmax(top, std::fabs(v));
        const double drive = (0.7 + 1.3 * exponential(-1.5 * t)) / top;
        Cycle driven;
        for (int i = 0; i < kWaveLength; ++i) driven[i] = pickup(drive * clean[i]);
        table.add(driven);
    }
    return table;
}

} // namespace wavegen
