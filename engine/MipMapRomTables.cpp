#include "engine/MipMap.h"

#include "engine/FFT.h"

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr uint32_t kLength = MipMap::kWaveLength;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Writes wave w of a table computed in the time domain.
using TimeWave = void (*)(uint32_t w, double* y);
// Puts the sine partials of wave w into its spectrum.
using Partials = void (*)(uint32_t w, float* spectrum);

struct RomRecipe {
    uint32_t waves; // 0: as many as the resource file holds
    TimeWave time;
    Partials partials;
    const char* resource;
};

// A table whose waves are the basic shapes, one after another.
template <void (*... shapes)(double*)>
void basicWaves(uint32_t w, double* y) {
    constexpr std::array<void (*)(double*), sizeof...(shapes)> list{shapes...};
    list[w](y);
}

void sineAndDouble(uint32_t w, double* y) {
    MipMap::createSine(y);
    if (w == 0) return;
    std::vector<double> cosine(kLength);
    MipMap::createCosine(cosine.data());
    for (uint32_t i = 0; i < kLength; ++i) y[i] *= cosine[i];
}

// Peak position of the sweep tables: wave 0 starts its slope at once, wave 63 at a quarter cycle.
double sweepPeak(uint32_t w) {
    return (w * 512) / 63.0;
}

void sawToTri(uint32_t w, double* y) {
    const double p = sweepPeak(w);
    const double q = 1024.0 - p;
    for (uint32_t i = 0; i < 1024; ++i) {
        const double v = p > i ? i / p : 1.0 - (i - p) / q;
        y[i] = v;
        y[2047 - i] = -v;
    }
}

void squareToTri(uint32_t w, double* y) {
    const double p = sweepPeak(w);
    for (uint32_t i = 0; i < 512; ++i) {
        const double v = p > i ? i / p : 1.0;
        y[i] = y[1023 - i] = v;
        y[1024 + i] = y[2047 - i] = -v;
    }
}

void frequencyUp(uint32_t w, double* y) {
    for (uint32_t i = 0; i < kLength; ++i) y[i] = std::sin(kTwoPi * (w + 1) * i / kLength);
}

// Partial k of wave w starts (k - 1) * w / 128 of a cycle late, a whole number of table steps, so every
// sine the sum needs is one of a single cycle's 2048: four million calls become lookups. The table built
// is the same to the last bit as with each sine computed from its own argument.
void phasedSaw(uint32_t w, double* y) {
    constexpr uint32_t kPartials = 32;
    constexpr uint32_t kStepsPerDelay = kLength / 128;
    static const std::array<double, kLength> sine = [] {
        std::array<double, kLength> cycle{};
        MipMap::createSine(cycle.data());
        return cycle;
    }();
    for (uint32_t i = 0; i < kLength; ++i) {
        double sum = 0.0;
        for (uint32_t k = 1; k <= kPartials; ++k)
            sum += sine[(k * i + kStepsPerDelay * (k - 1) * w) % kLength] / static_cast<int>(k);
        y[i] = sum;
    }
}

void setPartial(float* spectrum, uint32_t harmonic, float amplitude) {
    spectrum[FFT::index(static_cast<int>(harmonic)) + 1] = amplitude;
}

void diracMeltdown(uint32_t w, float* spectrum) {
    const uint32_t count = 64 - w;
    for (uint32_t h = 1; h <= count; ++h) setPartial(spectrum, h, -1.0f / static_cast<float>(count));
}

void oddHarmonics(uint32_t w, float* spectrum) {
    setPartial(spectrum, 1, -1.0f);
    for (uint32_t h = 1; h + 1 <= 2 * w; h += 2) setPartial(spectrum, h, -1.0f);
}

void evenHarmonics(uint32_t w, float* spectrum) {
    setPartial(spectrum, 1, -1.0f);
    for (uint32_t h = 2; h <= 2 * w; h += 2) setPartial(spectrum, h, -1.0f);
}

// Row w, entry j: harmonic j + 1 is present. The even harmonics give way to odd ones from the top down.
constexpr std::array<std::array<uint8_t, 17>, 9> kEvenToOdd{{
    {1, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0},
    {1, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 1, 0, 1},
    {1, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 1},
    {1, 1, 0, 1, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1},
    {1, 1, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1, 0, 1},
    {1, 1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1},
    {1, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1},
    {1, 1, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1},
    {1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1},
}};

void evenToOdd(uint32_t w, float* spectrum) {
    for (uint32_t j = 0; j < kEvenToOdd[w].size(); ++j)
        if (kEvenToOdd[w][j] != 0) setPartial(spectrum, j + 1, -1.0f);
}

constexpr std::array<uint32_t, 12> kPrimes{1, 2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31};

void primes(uint32_t w, float* spectrum) {
    for (uint32_t i = 0; i <= w; ++i) setPartial(spectrum, kPrimes[i], -1.0f);
}

void octaves(uint32_t w, float* spectrum) {
    setPartial(spectrum, 1, -1.0f);
    for (uint32_t i = 1; i <= w; ++i) setPartial(spectrum, 1u << i, -1.0f);
}

// The harmonic of each of the nine drawbars, and per wave each drawbar's setting: 2 full, 1 the
// table's second level, 0 off.
constexpr std::array<uint32_t, 9> kDrawbarHarmonic{1, 2, 3, 4, 6, 8, 10, 12, 16};
constexpr std::array<std::array<uint8_t, 9>, 16> kDrawbars{{
    {2, 0, 0, 0, 0, 0, 0, 0, 0},
    {2, 1, 0, 0, 0, 0, 0, 0, 0},
    {2, 2, 0, 1, 0, 0, 0, 0, 0},
    {2, 2, 1, 1, 0, 0, 0, 0, 0},
    {2, 2, 1, 1, 1, 0, 0, 0, 0},
    {2, 2, 1, 0, 1, 0, 0, 0, 0},
    {2, 2, 1, 0, 1, 1, 0, 0, 0},
    {2, 2, 1, 0, 0, 1, 0, 0, 0},
    {2, 2, 1, 0, 0, 1, 1, 0, 0},
    {2, 2, 1, 0, 0, 0, 1, 0, 0},
    {2, 2, 1, 0, 0, 0, 1, 1, 0},
    {2, 2, 1, 0, 0, 0, 1, 1, 1},
    {2, 2, 0, 0, 0, 0, 1, 1, 1},
    {2, 0, 0, 0, 0, 0, 1, 1, 1},
    {2, 0, 0, 0, 0, 0, 0, 1, 1},
    {2, 0, 0, 0, 0, 0, 0, 0, 1},
}};

template <int secondLevelPercent>
void drawbars(uint32_t w, float* spectrum) {
    const std::array<float, 3> amplitude{0.0f, -secondLevelPercent / 100.0f, -1.0f};
    for (uint32_t bar = 0; bar < kDrawbarHarmonic.size(); ++bar)
        if (kDrawbars[w][bar] != 0) setPartial(spectrum, kDrawbarHarmonic[bar], amplitude[kDrawbars[w][bar]]);
}

RomRecipe timeDomain(uint32_t waves, TimeWave time) {
    return {waves, time, nullptr, nullptr};
}
RomRecipe spectral(uint32_t waves, Partials partials) {
    return {waves, nullptr, partials, nullptr};
}
RomRecipe resource(const char* name) {
    return {0, nullptr, nullptr, name};
}

const std::array<RomRecipe, eNumROMTables>& recipes() {
    using M = MipMap;
    static const std::array<RomRecipe, eNumROMTables> table{
        timeDomain(1, basicWaves<M::createSaw>),
        timeDomain(1, basicWaves<M::createSaw>),
        timeDomain(1, basicWaves<M::createSaw>),
        timeDomain(2, basicWaves<M::createTri, M::createSine>),
        timeDomain(2, sineAndDouble),
        timeDomain(4, basicWaves<M::createSine, M::createTri, M::createRect, M::createSaw>),
        timeDomain(2, basicWaves<M::createSaw, M::createRect>),
        timeDomain(2, basicWaves<M::createSaw, M::createSine>),
        timeDomain(64, sawToTri),
        timeDomain(64, squareToTri),
        timeDomain(2, basicWaves<M::createRect, M::createSine>),
        resource("WAVE_DW8000"),
        spectral(64, diracMeltdown),
        spectral(16, oddHarmonics),
        spectral(16, evenHarmonics),
        spectral(9, evenToOdd),
        spectral(12, primes),
        spectral(8, octaves),
        timeDomain(16, frequencyUp),
        timeDomain(64, phasedSaw),
        spectral(16, drawbars<100>),
        spectral(16, drawbars<50>),
        resource("WAVE_APIANO"),
        resource("WAVE_PIANET"),
        resource("WAVE_SLAP_LOW"),
        resource("WAVE_SLAP_HI"),
        resource("WAVE_RE_PWM"),
        resource("WAVE_RESONANCE"),
        resource("WAVE_RECTRESO"),
        resource("WAVE_FM_MP4"),
        resource("WAVE_FMTSHIFT"),
        resource("WAVE_A_O_E"),
        resource("WAVE_GEESH"),
        resource("WAVE_TD_TEH"),
        resource("WAVE_TEXTURE1"),
        resource("WAVE_TEXTURE2"),
        resource("WAVE_LADIES"),
        resource("WAVE_DW6000"),
    };
    return table;
}

} // namespace

void MipMap::createFromROM(uint32_t id) {
    if (id >= eNumROMTables) return;
    const RomRecipe& recipe = recipes()[id];
    if (recipe.resource != nullptr) {
        const std::unique_ptr<double[]> samples = loadWaveFromResources(recipe.resource, "WAV");
        if (samples) createFromWave(samples.get());
        return;
    }
    setWaveCount(recipe.waves);
    if (recipe.partials != nullptr) {
        std::vector<float> spectrum(totalSamples, 0.0f);
        for (uint32_t w = 0; w < numberOfWaves; ++w) recipe.partials(w, spectrum.data() + w * kWaveLength);
        createFromFFT(spectrum.data());
        return;
    }
    std::vector<double> samples(totalSamples, 0.0);
    for (uint32_t w = 0; w < numberOfWaves; ++w) recipe.time(w, samples.data() + w * kWaveLength);
    createFromWave(samples.data());
}

void MipMap::createSaw(double* y) {
    constexpr double fall = 2.0 / 2047.0;
    for (uint32_t i = 0; i < kLength; ++i) y[i] = 1.0 - i * fall;
}

void MipMap::createTri(double* y) {
    for (uint32_t i = 0; i < 512; ++i) {
        const double v = i / 512.0;
        y[i] = y[1023 - i] = v;
        y[1024 + i] = y[2047 - i] = -v;
    }
}

void MipMap::createRect(double* y) {
    for (uint32_t i = 0; i < kLength; ++i) y[i] = i < kLength / 2 ? 1.0 : -1.0;
}

void MipMap::createSine(double* y) {
    for (uint32_t i = 0; i < kLength; ++i) y[i] = std::sin(kTwoPi * i / kLength);
}

void MipMap::createCosine(double* y) {
    for (uint32_t i = 0; i < kLength; ++i) y[i] = std::cos(kTwoPi * i / kLength);
}
