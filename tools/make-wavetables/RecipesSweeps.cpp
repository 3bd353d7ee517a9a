#include "tools/make-wavetables/PortableMath.h"
#include "tools/make-wavetables/Recipes.h"

#include <array>
#include <cmath>

namespace wavegen {

namespace {

constexpr int kSweepWaves = 64;

// Position of wave w along a sweep, 0..1.
double along(int w, int waves = kSweepWaves) {
    return static_cast<double>(w) / (waves - 1);
}

// from * (to / from)^x: sweeps move in equal musical steps.
double exponentialSweep(double from, double to, double x) {
    return from * power(to / from, x);
}

// Lanczos sigma factor: tapers a truncated series so that band-limited edges do not ring.
double sigma(int h, int highest) {
    const double x = kPi * h / (highest + 1);
    return sine(x) / x;
}

// Magnitude of a resonant two-pole low-pass at harmonic h, cutoff at harmonic cutoff.
double resonantLowPass(double h, double cutoff, double q) {
    const double x = h / cutoff;
    const double detune = 1.0 - x * x;
    return 1.0 / std::sqrt(detune * detune + (x / q) * (x / q));
}

// 0 outside [start, end], 1 inside, with raised-cosine edges of the given width.
double gate(double t, double start, double end, double edge) {
    if (t < start || t > end + edge) return 0.0;
    if (t < start + edge) return 0.5 - 0.5 * cosine(kPi * (t - start) / edge);
    if (t > end) return 0.5 + 0.5 * cosine(kPi * (t - end) / edge);
    return 1.0;
}

HarmonicSpectrum crossModulation(double ratio, double index, double ring) {
    return HarmonicSpectrum::analyse(
        [=](double t) {
            const double carrierAlone = sine(kTwoPi * t);
            const double modulatorAlone = sine(kTwoPi * ratio * t);
            // Each operator modulates the other's phase; the product adds the ring-modulated sidebands.
            const double carrier = sine(kTwoPi * t + index * modulatorAlone);
            const double modulator = sine(kTwoPi * ratio * t + 0.5 * index * carrierAlone);
            return (1.0 - ring) * carrier + ring * carrier * modulator;
        },
        400);
}

} // namespace

WaveTable makeRePWM() {
    constexpr int kHighest = 240;
    WaveTable table;
    for (int w = 0; w < kSweepWaves; ++w) {
        const double duty = exponentialSweep(0.5, 0.03, along(w));
        HarmonicSpectrum pulse;
        for (int h = 1; h <= kHighest; ++h)
            pulse.addPartial(h, 2.0 / (kPi * h) * sine(kPi * h * duty) * sigma(h, kHighest), 0.5 * kPi);
        table.add(pulse);
    }
    return table;
}

WaveTable makeResonance() {
    constexpr int kHighest = 512;
    WaveTable table;
    for (int w = 0; w < kSweepWaves; ++w) {
        const double cutoff = exponentialSweep(1.5, 48.0, along(w));
        HarmonicSpectrum saw;
        for (int h = 1; h <= kHighest; ++h) saw.addPartial(h, resonantLowPass(h, cutoff, 10.0) / h);
        table.add(saw);
    }
    return table;
}

WaveTable makeRectResonance() {
    WaveTable table;
    for (int w = 0; w < kSweepWaves; ++w) {
        const double ratio = exponentialSweep(1.5, 16.0, along(w));
        // A raised cosine that restarts every cycle, heard only while a rectangular gate is open: the
        // ringing of a resonant filter struck by each edge of a pulse. Never negative, so the gate's
        // own fundamental always comes through.
        table.add(HarmonicSpectrum::analyse(
            [=](double t) { return gate(t, 0.0, 0.5, 0.02) * 0.5 * (1.0 - cosine(kTwoPi * ratio * t)); },
            512));
    }
    return table;
}

WaveTable makeCrossModulation() {
    // Integer ratios keep every wave periodic in one cycle.
    constexpr std::array<double, 4> kRatios = {2.0, 3.0, 4.0, 5.0};
    WaveTable table;
    for (int w = 0; w < kSweepWaves; ++w) {
        const double position = along(w) * (kRatios.size() - 1);
        const int segment = position >= kRatios.size() - 1 ? static_cast<int>(kRatios.size()) - 2
                                                           : static_cast<int>(std::floor(position));
        const double index = 0.6 + 2.4 * along(w);
        const double ring = 0.15 + 0.35 * along(w);
        table.add(HarmonicSpectrum::blend(crossModulation(kRatios[segment], index, ring),
                                          crossModulation(kRatios[segment + 1], index, ring),
                                          smoothstep(position - segment)));
    }
    return table;
}

} // namespace wavegen
