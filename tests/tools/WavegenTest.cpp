#include "tools/make-wavetables/Formants.h"
#include "tools/make-wavetables/Fourier.h"
#include "tools/make-wavetables/HarmonicSpectrum.h"
#include "tools/make-wavetables/NoiseBank.h"
#include "tools/make-wavetables/PortableMath.h"
#include "tools/make-wavetables/Random.h"
#include "tools/make-wavetables/WaveTable.h"

#include <cmath>
#include <complex>
#include <gtest/gtest.h>
#include <set>
#include <vector>

using namespace wavegen;

namespace {

double peakOf(const Cycle& cycle) {
    double top = 0.0;
    for (double x : cycle) top = std::fmax(top, std::fabs(x));
    return top;
}

Cycle sineCycle(int harmonic, double amplitude, double offset = 0.0) {
    Cycle cycle;
    for (int i = 0; i < kWaveLength; ++i)
        cycle[i] = offset + amplitude * std::sin(2.0 * kPi * harmonic * i / kWaveLength);
    return cycle;
}

} // namespace

TEST(WavegenMath, AgreesWithTheCLibrary) {
    const std::vector<double> angles = {0.0,      1e-9, 0.5,  -0.5,  1.5707963, 3.14159,
                                        -3.14159, 4.0,  10.0, -77.7, 1000.25};
    for (double x : angles) {
        EXPECT_NEAR(sine(x), std::sin(x), 1e-13) << x;
        EXPECT_NEAR(cosine(x), std::cos(x), 1e-13) << x;
    }
    for (double x : {-30.0, -1.0, -1e-6, 0.0, 0.3, 1.0, 5.5, 40.0})
        EXPECT_NEAR(exponential(x) / std::exp(x), 1.0, 1e-14) << x;
    for (double x : {1e-6, 0.1, 0.5, 0.7071, 1.0, 1.4142, 2.0, 10.0, 1e6})
        EXPECT_NEAR(logarithm(x), std::log(x), 1e-14 * std::fmax(1.0, std::fabs(std::log(x)))) << x;
    EXPECT_NEAR(power(10.0, -0.15), std::pow(10.0, -0.15), 1e-15);
    EXPECT_EQ(exponential(-1000.0), 0.0);
}

TEST(WavegenRandom, IsTheStandardSplitMix64) {
    Random random(0);
    EXPECT_EQ(random.next(), 0xE220A8397B1DCDAFull);
    EXPECT_EQ(random.next(), 0x6E789E6AA1B965F4ull);
    EXPECT_EQ(random.next(), 0x06C45D188009454Full);
    Random bounded(7);
    for (int i = 0; i < 1000; ++i) {
        const double u = bounded.uniform();
        EXPECT_GE(u, 0.0);
        EXPECT_LT(u, 1.0);
        const int b = bounded.below(5);
        EXPECT_GE(b, 0);
        EXPECT_LT(b, 5);
    }
}

TEST(WavegenFourier, InverseUndoesForwardUpToTheLength) {
    Random random(3);
    std::vector<std::complex<double>> data(64);
    for (auto& x : data) x = {random.uniform(-1, 1), random.uniform(-1, 1)};
    const auto original = data;
    Fourier::forward(data);
    Fourier::inverse(data);
    for (size_t i = 0; i < data.size(); ++i) {
        EXPECT_NEAR(data[i].real(), 64.0 * original[i].real(), 1e-12);
        EXPECT_NEAR(data[i].imag(), 64.0 * original[i].imag(), 1e-12);
    }
}

TEST(WavegenSpectrum, PartialRendersAsAPhasedSine) {
    HarmonicSpectrum spectrum;
    spectrum.addPartial(3, 0.5, 0.25);
    const Cycle cycle = spectrum.render();
    for (int i : {0, 1, 100, 777, 2047})
        EXPECT_NEAR(cycle[i], 0.5 * std::sin(2.0 * kPi * 3.0 * i / kWaveLength + 0.25), 1e-12) << i;
    EXPECT_NEAR(spectrum.amplitude(3), 0.5, 1e-15);
    EXPECT_EQ(spectrum.amplitude(0), 0.0);
    EXPECT_EQ(spectrum.amplitude(1024), 0.0);
}

TEST(WavegenSpectrum, AnalyseFindsPartialsAndDropsWhatLiesAboveTheBand) {
    const HarmonicSpectrum spectrum = HarmonicSpectrum::analyse(
        [](double t) {
            return 0.8 * std::sin(2.0 * kPi * 2.0 * t) + 0.3 * std::cos(2.0 * kPi * 40.0 * t) + 0.5;
        },
        20);
    EXPECT_NEAR(spectrum.amplitude(2), 0.8, 1e-12);
    EXPECT_NEAR(spectrum.amplitude(40), 0.0, 1e-12);
    const Cycle cycle = spectrum.render();
    EXPECT_NEAR(cycle[256], 0.8, 1e-12); // a quarter of the second harmonic's cycle; no DC, no 40th
}

TEST(WavegenSpectrum, GlideStartsAndEndsOnItsKeys) {
    HarmonicSpectrum a;
    a.addPartial(1, 1.0);
    HarmonicSpectrum b;
    b.addPartial(2, 1.0);
    const std::vector<HarmonicSpectrum> glided = HarmonicSpectrum::glide({a, b}, 5);
    ASSERT_EQ(glided.size(), 5u);
    EXPECT_NEAR(glided[0].amplitude(1), 1.0, 1e-15);
    EXPECT_NEAR(glided[0].amplitude(2), 0.0, 1e-15);
    EXPECT_NEAR(glided[2].amplitude(1), 0.5, 1e-15);
    EXPECT_NEAR(glided[2].amplitude(2), 0.5, 1e-15);
    EXPECT_NEAR(glided[4].amplitude(2), 1.0, 1e-15);
    EXPECT_TRUE(HarmonicSpectrum::glide({}, 4).empty());
}

TEST(WavegenWaveTable, FinishingCentresAndNormalises) {
    WaveTable table;
    ASSERT_TRUE(table.add(sineCycle(1, 0.01, 0.3)));
    const WaveTable::StoredWave& stored = table.wave(0);
    long sum = 0;
    int top = 0;
    for (int16_t s : stored) {
        sum += s;
        top = std::max(top, std::abs(static_cast<int>(s)));
    }
    EXPECT_EQ(top, static_cast<int>(kTargetPeak));
    EXPECT_LE(std::labs(sum), kWaveLength / 2);
    EXPECT_EQ(stored[512], static_cast<int16_t>(kTargetPeak));
    EXPECT_TRUE(table.complete());
}

TEST(WavegenWaveTable, RefusesSilenceAndSurplusAndSaysSo) {
    WaveTable silent;
    EXPECT_FALSE(silent.add(sineCycle(1, 0.0, 0.7))); // a constant is silence once centred
    EXPECT_EQ(silent.size(), 0);
    EXPECT_FALSE(silent.complete());

    WaveTable full;
    for (int w = 0; w < kMaxWaves; ++w) ASSERT_TRUE(full.add(sineCycle(1 + w, 1.0)));
    EXPECT_TRUE(full.complete());
    EXPECT_FALSE(full.add(sineCycle(1, 1.0)));
    EXPECT_EQ(full.size(), kMaxWaves);
    EXPECT_FALSE(full.complete());
}

TEST(WavegenWaveTable, QuantisedWaveHasOnlyTheGivenLevels) {
    WaveTable table;
    ASSERT_TRUE(table.addQuantised(sineCycle(1, 1.0), 8));
    const std::set<int16_t> values(table.wave(0).begin(), table.wave(0).end());
    EXPECT_LE(values.size(), 8u);
    EXPECT_GE(values.size(), 6u);
}

TEST(WavegenFormants, TractIsUnityAtZeroAndPeaksAtItsFormants) {
    const std::array<double, 5> formants = {730, 1090, 2440, 3400, 4300};
    EXPECT_NEAR(tractGain(formants, 0.0), 1.0, 1e-12);
    // The vowel formants stand out; F4 and F5 sit on the steep slope of the cascade above them.
    for (double f : {formants[0], formants[1], formants[2]}) {
        EXPECT_GT(tractGain(formants, f), tractGain(formants, f * 0.9)) << f;
        EXPECT_GT(tractGain(formants, f), tractGain(formants, f * 1.1)) << f;
    }
}

TEST(WavegenFormants, VoiceFollowsTheVocalTract) {
    const Formants voice(100.0);
    const VocalFrame ah = {{700, 1200, 2500, 3400, 4300}, 1.0, 0.0, 3000, 2000};
    const HarmonicSpectrum spectrum = voice.voice(ah, HarmonicSpectrum());
    EXPECT_GT(spectrum.amplitude(7), spectrum.amplitude(4));
    EXPECT_GT(spectrum.amplitude(12), spectrum.amplitude(9));
    EXPECT_GT(spectrum.amplitude(1), 0.0);
}

TEST(WavegenNoiseBank, SeedFixesTheNoise) {
    const NoiseBank a(42, 4, 1, 50);
    const NoiseBank b(42, 4, 1, 50);
    const NoiseBank c(43, 4, 1, 50);
    EXPECT_EQ(a.at(1.5).render(), b.at(1.5).render());
    EXPECT_NE(a.at(1.5).render(), c.at(1.5).render());
    EXPECT_EQ(a.at(-3.0).render(), a.at(0.0).render());
    EXPECT_EQ(a.at(99.0).render(), a.at(3.0).render());
    EXPECT_EQ(a.at(0.0).amplitude(51), 0.0);
    EXPECT_GE(a.at(0.0).amplitude(1), 0.2 - 1e-12);
    EXPECT_GT(peakOf(a.at(2.0).render()), 0.0);
}
