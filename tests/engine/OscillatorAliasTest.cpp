#include "engine/MipMap.h"
#include "engine/Oscillator.h"
#include "tests/support/SignalAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr int kLength = 1 << 16;
// Bins on either side of a harmonic that belong to it (the window's main lobe and near side lobes).
constexpr int kLobe = 8;

// 4-term Blackman-Harris: side lobes below -92 dB, so leakage does not pass for aliasing.
std::vector<double> windowed(const std::vector<double>& x) {
    std::vector<double> y(x.size());
    const double n = static_cast<double>(x.size());
    for (size_t i = 0; i < x.size(); ++i) {
        const double a = 2.0 * std::numbers::pi * i / n;
        y[i] =
            x[i] * (0.35875 - 0.48829 * std::cos(a) + 0.14128 * std::cos(2 * a) - 0.01168 * std::cos(3 * a));
    }
    return y;
}

// Energy away from the harmonics of the fundamental over the energy at them, in dB. The fundamental is
// given in cycles per sample.
double aliasToSignalDb(const std::vector<double>& signal, double fundamental) {
    const std::vector<double> magnitude = testsupport::magnitudeSpectrum(windowed(signal), false);
    std::vector<bool> harmonic(magnitude.size(), false);
    for (int h = 1; h * fundamental < 0.5; ++h) {
        const int centre = static_cast<int>(std::lround(h * fundamental * kLength));
        for (int k = centre - kLobe; k <= centre + kLobe; ++k)
            if (k >= 0 && k < static_cast<int>(harmonic.size())) harmonic[k] = true;
    }
    double wanted = 0.0;
    double alias = 0.0;
    for (size_t k = kLobe + 1; k < magnitude.size(); ++k)
        (harmonic[k] ? wanted : alias) += magnitude[k] * magnitude[k];
    return 10.0 * std::log10(alias / wanted);
}

std::vector<double> renderOscillator(const MipMap& table, double sampleRate, int pitch, Oscillator& osc) {
    osc.init(sampleRate);
    osc.setMipMap(const_cast<MipMap*>(&table));
    osc.setOctave(1);
    osc.update(pitch, 0.0);
    std::vector<double> out(kLength);
    for (double& s : out) s = osc.process(0.0);
    return out;
}

// The same reading at a level of our choosing, to show what a wrong choice would sound like.
std::vector<double> renderAtLevel(const MipMap& table, int32_t increment, uint32_t level) {
    std::vector<double> out(kLength);
    uint32_t phase = 0;
    for (double& s : out) {
        s = table.getSample(level, 0, (phase >> 16) & 2047u);
        phase = (phase + static_cast<uint32_t>(increment)) & static_cast<uint32_t>(Oscillator::kCycle - 1);
    }
    return out;
}

struct Measured {
    double chosen;
    double oneLevelLower;
};

Measured measure(const MipMap& saw, double sampleRate, int pitch) {
    Oscillator osc;
    const std::vector<double> out = renderOscillator(saw, sampleRate, pitch, osc);
    const double fundamental = static_cast<double>(osc.getIncrement()) / Oscillator::kCycle;
    EXPECT_EQ(out, renderAtLevel(saw, osc.getIncrement(), osc.getLevel())) << pitch;
    const uint32_t lower = osc.getLevel() > 0 ? osc.getLevel() - 1 : 0;
    return {aliasToSignalDb(out, fundamental),
            aliasToSignalDb(renderAtLevel(saw, osc.getIncrement(), lower), fundamental)};
}

} // namespace

// Measured: -44.8 dB at pitch 6144, -50 to -56 dB from pitch 9000 up (the same at 44.1 and 48 kHz),
// what the drop-sample reading and the Nyquist term every level keeps leave. One level lower would
// give -34 to -38 dB in the middle of the range and -7 dB at the top.
constexpr double kBoundDb = -40.0;

TEST(OscillatorAlias, SawStaysBelowHalfTheSampleRate) {
    MipMap saw;
    saw.createMipMap(eSaw);
    for (double rate : {44100.0, 48000.0})
        for (int pitch : {6144, 9000, 12000, 13824, 15360, 16000, 16640, 17280}) {
            const Measured m = measure(saw, rate, pitch);
            EXPECT_LT(m.chosen, kBoundDb) << "rate " << rate << " pitch " << pitch;
            EXPECT_GT(m.oneLevelLower, kBoundDb) << "rate " << rate << " pitch " << pitch;
        }
}
