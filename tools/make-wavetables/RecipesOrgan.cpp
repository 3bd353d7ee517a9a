#include "tools/make-wavetables/PortableMath.h"
#include "tools/make-wavetables/Recipes.h"

#include <array>
#include <vector>

namespace wavegen {

namespace {

// Registrations as drawbar levels 0..8 for the harmonics 1..16; each step is 3 dB, as on a
// tonewheel organ.
using Registration = std::array<int, 16>;

constexpr std::array<Registration, 8> kDW6000 = {{
    {8, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, // flute
    {8, 6, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, // flute with octave
    {8, 6, 5, 4, 0, 3, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0}, // principal
    {8, 0, 7, 0, 6, 0, 5, 0, 4, 0, 3, 0, 0, 0, 0, 0}, // clarinet-like reed
    {8, 8, 8, 6, 4, 6, 0, 6, 0, 4, 0, 4, 0, 0, 0, 4}, // full organ
    {6, 4, 8, 3, 7, 2, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0}, // nasal
    {8, 7, 6, 6, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5}, // bright, saw-like
    {8, 0, 0, 6, 0, 0, 5, 0, 0, 4, 0, 0, 3, 0, 0, 2}, // hollow bell
}};

constexpr std::array<Registration, 16> kDW8000 = {{
    {8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, // pure fundamental
    {8, 5, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, // soft flute
    {8, 6, 5, 4, 0, 3, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0}, // principal
    {8, 8, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, // jazz
    {8, 8, 8, 8, 0, 6, 0, 4, 0, 3, 0, 2, 0, 0, 0, 1}, // gospel
    {8, 0, 7, 0, 6, 0, 5, 0, 4, 0, 3, 0, 2, 0, 1, 0}, // reed
    {8, 0, 6, 0, 5, 0, 4, 0, 4, 0, 3, 0, 3, 0, 2, 0}, // square-like
    {8, 7, 6, 6, 5, 5, 5, 4, 4, 4, 4, 3, 3, 3, 3, 3}, // saw-like
    {6, 8, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0, 0, 0, 0, 0}, // brassy
    {7, 7, 6, 6, 6, 5, 5, 5, 5, 4, 4, 4, 4, 3, 3, 3}, // string-like
    {5, 6, 7, 8, 6, 3, 2, 3, 4, 3, 1, 0, 0, 0, 0, 0}, // open vowel
    {4, 3, 8, 3, 7, 2, 6, 2, 5, 1, 4, 0, 3, 0, 2, 0}, // nasal
    {8, 0, 0, 6, 0, 0, 6, 0, 0, 5, 0, 0, 4, 0, 0, 3}, // bell
    {6, 0, 0, 8, 0, 0, 0, 7, 0, 0, 0, 6, 0, 0, 0, 5}, // hollow, high
    {8, 0, 0, 0, 0, 0, 0, 0, 5, 6, 7, 6, 5, 4, 3, 2}, // sparkle
    {8, 6, 7, 5, 0, 6, 0, 6, 0, 5, 0, 5, 0, 0, 0, 5}, // mixture
}};

HarmonicSpectrum registration(const Registration& levels) {
    HarmonicSpectrum spectrum;
    for (int h = 1; h <= static_cast<int>(levels.size()); ++h) {
        const int level = levels[h - 1];
        if (level > 0) spectrum.addPartial(h, power(10.0, -3.0 * (8 - level) / 20.0));
    }
    return spectrum;
}

// Registrations morphed in steps and stored with coarse amplitude steps: the grainy digital organ of
// early sampled-wave synthesizers.
template <size_t N>
WaveTable organ(const std::array<Registration, N>& registrations, int stepsBetween, int levels) {
    std::vector<HarmonicSpectrum> keys;
    for (const Registration& r : registrations) keys.push_back(registration(r));
    WaveTable table;
    for (const HarmonicSpectrum& s :
         HarmonicSpectrum::glide(keys, static_cast<int>(N - 1) * stepsBetween + 1))
        table.addQuantised(s.render(), levels);
    return table;
}

} // namespace

WaveTable makeDW6000() {
    return organ(kDW6000, 4, 64);
}

WaveTable makeDW8000() {
    return organ(kDW8000, 2, 256);
}

} // namespace wavegen
