// The generator's building blocks at the edges the recipes do not reach; everything the recipes use
// is pinned by the fingerprints of the generated tables.

#include "tools/make-wavetables/HarmonicSpectrum.h"
#include "tools/make-wavetables/NoiseBank.h"
#include "tools/make-wavetables/PortableMath.h"
#include "tools/make-wavetables/WaveTable.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

using namespace wavegen;

namespace {

Cycle sineCycle(int harmonic, double amplitude, double offset = 0.0) {
    Cycle cycle;
    for (int i = 0; i < kWaveLength; ++i)
        cycle[i] = offset + amplitude * std::sin(2.0 * kPi * harmonic * i / kWaveLength);
    return cycle;
}

} // namespace

TEST(Wavegen, TablesRefuseSilenceAndSurplusAndSaySo) {
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

TEST(Wavegen, SpectraStayInsideTheirBandAndNoiseClampsItsPosition) {
    HarmonicSpectrum spectrum;
    spectrum.addPartial(3, 0.5, 0.25);
    EXPECT_EQ(spectrum.amplitude(0), 0.0);
    EXPECT_EQ(spectrum.amplitude(1024), 0.0);
    EXPECT_TRUE(HarmonicSpectrum::glide({}, 4).empty());
    const NoiseBank a(42, 4, 1, 50);
    EXPECT_EQ(a.at(-3.0).render(), a.at(0.0).render());
    EXPECT_EQ(a.at(99.0).render(), a.at(3.0).render());
    EXPECT_EQ(a.at(0.0).amplitude(51), 0.0);
}
