#include "engine/MipMap.h"
#include "tests/support/WaveSpectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <set>
#include <vector>

namespace {

using testsupport::spectrumOfStoredWave;
using testsupport::WaveSpectrum;

constexpr uint32_t N = MipMap::kWaveLength;
// Below this a partial counts as absent: the 16-bit storage leaves noise far under it.
constexpr double kAbsent = 2e-4;

double rollOff(int bin, int bins) {
    const float ratio = static_cast<float>(bin) / static_cast<float>(bins);
    return static_cast<float>(1.0 - static_cast<double>(ratio) * ratio);
}

// The sampled saw and square fall as 1/sin(pi h / 2048) rather than 1/h; the triangle as its square.
double falling(int h, int power) {
    return std::pow(std::sin(std::numbers::pi / N) / std::sin(std::numbers::pi * h / N), power);
}

WaveSpectrum levelZero(const MipMap& table, uint32_t wave) {
    return spectrumOfStoredWave(table.getLevel(0) + wave * N);
}

// Expects exactly the given sine partials (relative amplitudes, before the roll-off), nothing else.
void expectPartials(const WaveSpectrum& s, const std::map<int, double>& partials, const std::string& what) {
    const auto& [first, amplitude] = *partials.begin();
    const double reference = -s.sine[first] / (amplitude * rollOff(first, 1024));
    for (int h = 1; h < 1024; ++h) {
        const auto found = partials.find(h);
        const double expected = found == partials.end() ? 0.0 : found->second * rollOff(h, 1024) * reference;
        // The tables put every partial into the same (negative) sine part.
        EXPECT_NEAR(-s.sine[h], expected, kAbsent) << what << " harmonic " << h;
        EXPECT_NEAR(s.cosine[h], 0.0, kAbsent) << what << " harmonic " << h;
    }
}

// Whether harmonic h sounds in wave w of an additive table, by the table's rule.
bool sounds(eROMTable id, int w, int h) {
    const auto isPrime = [](int n) {
        for (int d = 2; d * d <= n; ++d)
            if (n % d == 0) return false;
        return n >= 2;
    };
    if (id == eSine || id == eFrequencyUp) return h == w + 1;
    if (id == eOdd) return h == 1 || (h % 2 == 1 && h < 2 * w);
    if (id == eEven) return h == 1 || (h % 2 == 0 && h <= 2 * w);
    if (id == eOctaves) return (h & (h - 1)) == 0 && h <= (1 << w);
    if (id == eDiracMeltdown) return h <= 64 - w;
    // Wave w gives up the highest evens down to 16 - 2w for the odd ones from 17 - 2w up.
    if (id == eEvenToOdd)
        return h == 1 || (h % 2 == 0 ? h <= 16 - 2 * w : w > 0 && h >= 17 - 2 * w && h <= 17);
    int rank = 0; // of h among 1 and the primes
    for (int k = 1; k <= h; ++k) rank += k == 1 || isPrime(k);
    return (h == 1 || isPrime(h)) && rank <= w + 1;
}

} // namespace

TEST(RomTables, WaveCountsOfTheComputedTables) {
    const std::map<eROMTable, uint32_t> counts{{eSaw, 1},        {ePulse, 1},        {eFullPWM, 1},
                                               {eTri, 2},        {eSine, 2},         {eSineTriSquareSaw, 4},
                                               {eSawSquare, 2},  {eSawSine, 2},      {eSawTri, 64},
                                               {eSquareTri, 64}, {eSquareSine, 2},   {eDiracMeltdown, 64},
                                               {eOdd, 16},       {eEven, 16},        {eEvenToOdd, 9},
                                               {ePrimes, 12},    {eOctaves, 8},      {eFrequencyUp, 16},
                                               {ePhasedSaw, 64}, {eDrawbarFull, 16}, {eDrawbarMixed, 16}};
    for (const auto& [id, waves] : counts) {
        MipMap table;
        table.createMipMap(id);
        EXPECT_EQ(std::pair(table.getNumberOfWaves(), table.getTotalSamples()), std::pair(waves, waves * N))
            << id;
        for (uint32_t level = 0; level < MipMap::kLevels; ++level) EXPECT_NE(table.getLevel(level), nullptr);
    }
}

TEST(RomTables, AdditiveTablesHoldThePartialsOfTheirRules) {
    for (const eROMTable id :
         {eSine, eOdd, eEven, ePrimes, eOctaves, eFrequencyUp, eEvenToOdd, eDiracMeltdown}) {
        MipMap table;
        table.createMipMap(id);
        for (uint32_t w = 0; w < table.getNumberOfWaves(); ++w) {
            std::map<int, double> partials;
            for (int h = 1; h <= 128; ++h)
                if (sounds(id, static_cast<int>(w), h)) partials[h] = 1.0;
            expectPartials(levelZero(table, w), partials,
                           "table " + std::to_string(id) + " wave " + std::to_string(w));
        }
    }
}

// Every wave of both drawbar tables sounds the fundamental and only drawbar harmonics, all at the same
// level in "Drawbar Full" and at full or half level in the same places in "Drawbar Mixed".
TEST(RomTables, DrawbarsSetTheirHarmonicsAtFullOrSecondLevel) {
    MipMap full, mixed;
    full.createMipMap(eDrawbarFull);
    mixed.createMipMap(eDrawbarMixed);
    const std::set<int> bars{1, 2, 3, 4, 6, 8, 10, 12, 16};
    for (uint32_t w = 0; w < 16; ++w) {
        const WaveSpectrum f = levelZero(full, w), m = levelZero(mixed, w);
        const double fRef = -f.sine[1] / rollOff(1, 1024), mRef = -m.sine[1] / rollOff(1, 1024);
        ASSERT_GT(fRef, 0.01) << w;
        ASSERT_GT(mRef, 0.01) << w;
        for (int h = 1; h < 100; ++h) {
            const double a = -f.sine[h] / (fRef * rollOff(h, 1024)),
                         b = -m.sine[h] / (mRef * rollOff(h, 1024));
            const bool on = a > 0.5;
            EXPECT_TRUE(!on || bars.count(h)) << w << " " << h;
            EXPECT_NEAR(a, on ? 1.0 : 0.0, 1e-3) << w << " " << h;
            EXPECT_TRUE(on ? std::abs(b - 1.0) < 1e-3 || std::abs(b - 0.5) < 1e-3 : std::abs(b) < 1e-3)
                << w << " " << h << " " << b;
        }
    }
    expectPartials(levelZero(mixed, 11), {{1, 1.0}, {2, 1.0}, {3, 0.5}, {10, 0.5}, {12, 0.5}, {16, 0.5}},
                   "mixed 11");
}

namespace {

// Waves of the phased saw summed the plain way, every sine computed from its own argument.
class DirectPhasedSaw : public WaveSource {
public:
    explicit DirectPhasedSaw(std::vector<uint32_t> waves) : waves(std::move(waves)) {}
    uint32_t getSize() const override { return static_cast<uint32_t>(waves.size()) * N; }
    void putInto(double* y) const override {
        for (const uint32_t w : waves) {
            for (uint32_t i = 0; i < N; ++i) {
                double sum = 0.0;
                for (int k = 1; k <= 32; ++k)
                    sum +=
                        std::sin(2.0 * std::numbers::pi * k * i / N + (k - 1) * w * std::numbers::pi / 64.0) /
                        k;
                *y++ = sum;
            }
        }
    }

private:
    std::vector<uint32_t> waves;
};

} // namespace

TEST(RomTables, PhasedSawKeepsItsPartialsAndTurnsTheirPhases) {
    MipMap table;
    table.createMipMap(ePhasedSaw);
    // Bit for bit what the direct sum gives, at every level (each wave is built on its own).
    const std::vector<uint32_t> sampled{0, 17, 63};
    MipMap direct;
    const DirectPhasedSaw source(sampled);
    direct.createMipMap(&source);
    for (uint32_t level = 0; level < MipMap::kLevels; ++level) {
        for (size_t j = 0; j < sampled.size(); ++j)
            EXPECT_TRUE(std::equal(direct.getLevel(level) + j * N, direct.getLevel(level) + (j + 1) * N,
                                   table.getLevel(level) + sampled[j] * N))
                << "level " << level << " wave " << sampled[j];
    }
    for (uint32_t w : {0u, 32u, 63u}) {
        const WaveSpectrum s = levelZero(table, w);
        const double reference = s.magnitude(1) / rollOff(1, 1024);
        for (int k = 1; k < 100; ++k) {
            const double expected = k <= 32 ? reference * rollOff(k, 1024) / k : 0.0;
            EXPECT_NEAR(s.magnitude(k), expected, kAbsent) << "wave " << w << " harmonic " << k;
        }
        // Partial k is shifted by (k - 1) * w * pi / 64 against the fundamental.
        const double shift = std::atan2(s.cosine[2], -s.sine[2]) - std::atan2(s.cosine[1], -s.sine[1]);
        EXPECT_NEAR(std::remainder(shift - w * std::numbers::pi / 64.0, 2.0 * std::numbers::pi), 0.0, 1e-3)
            << w;
    }
}

// Partial h of a triangle falls as 1/h^2, of a square or saw as 1/h; triangles and squares hold only odd
// ones.
TEST(RomTables, ClassicWavesHoldTheirHarmonicsFallingByTheirPower) {
    using Case = std::tuple<eROMTable, uint32_t, int, bool>;
    for (const auto& [id, wave, power, oddOnly] :
         {Case{eTri, 0, 2, true}, Case{eSquareSine, 0, 1, true}, Case{eSquareTri, 0, 1, true},
          Case{eSquareTri, 63, 2, true}, Case{eSineTriSquareSaw, 2, 1, true}, Case{eSaw, 0, 1, false},
          Case{eSawSquare, 0, 1, false}, Case{eSawTri, 0, 1, false}, Case{eSineTriSquareSaw, 3, 1, false}}) {
        MipMap table;
        table.createMipMap(id);
        const WaveSpectrum s = levelZero(table, wave);
        const double fundamental = s.magnitude(1) / rollOff(1, 1024);
        for (int h = 2; h < (oddOnly ? 200 : 1024); h += oddOnly ? 1 : 7) {
            const double expected =
                oddOnly && h % 2 == 0 ? 0.0 : fundamental * rollOff(h, 1024) * falling(h, power);
            EXPECT_NEAR(s.magnitude(h), expected,
                        oddOnly ? 1e-2 * expected + kAbsent : 1e-2 * fundamental / h)
                << "table " << id << " wave " << wave << " harmonic " << h;
        }
    }
}
