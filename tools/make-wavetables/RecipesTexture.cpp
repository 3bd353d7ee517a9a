#include "tools/make-wavetables/NoiseBank.h"
#include "tools/make-wavetables/PortableMath.h"
#include "tools/make-wavetables/Random.h"
#include "tools/make-wavetables/Recipes.h"

#include <cmath>
#include <vector>

namespace wavegen {

namespace {

constexpr int kTextureWaves = 64;

double along(int w) {
    return static_cast<double>(w) / (kTextureWaves - 1);
}

// A few random partials scattered over a wide band, weaker towards the top: a glassy, metallic cluster.
HarmonicSpectrum cluster(Random& random) {
    HarmonicSpectrum spectrum;
    spectrum.addPartial(1, 0.4);
    spectrum.addPartial(2, 0.2);
    for (int i = 0; i < 24; ++i) {
        const int h = 3 + random.below(128);
        spectrum.addPartial(h, random.uniform(0.3, 1.0) / power(h, 0.6), random.uniform(0.0, kTwoPi));
    }
    return spectrum;
}

} // namespace

WaveTable makeTexture1() {
    // Breath-like band noise whose band opens from a dark rumble to an airy hiss along the table.
    const NoiseBank bank(0x7E1, 9, 1, 200);
    WaveTable table;
    for (int w = 0; w < kTextureWaves; ++w) {
        HarmonicSpectrum noise = bank.at(along(w) * (bank.keyCount() - 1));
        const double centre = 4.0 * power(10.0, along(w));
        noise.shape([=](int h) { return 1.0 / (1.0 + (h / centre) * (h / centre)); });
        table.add(noise);
    }
    return table;
}

WaveTable makeTexture2() {
    Random random(0x7E2);
    std::vector<HarmonicSpectrum> keys;
    for (int k = 0; k < 9; ++k) keys.push_back(cluster(random));
    const std::vector<HarmonicSpectrum> glided = HarmonicSpectrum::glide(keys, kTextureWaves);
    WaveTable table;
    for (int w = 0; w < kTextureWaves; ++w) {
        HarmonicSpectrum spectrum = glided[w];
        // A slowly moving comb adds a flanging shimmer across the table.
        const double spacing = 6.0 + 18.0 * along(w);
        spectrum.shape([=](int h) { return 0.55 + 0.45 * cosine(kTwoPi * h / spacing); });
        table.add(spectrum);
    }
    return table;
}

} // namespace wavegen
