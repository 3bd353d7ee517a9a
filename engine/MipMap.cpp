#include "engine/MipMap.h"

#include "engine/FFT.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Below this a filtered wave counts as silent: scaling it to full scale would only amplify rounding.
constexpr double kSilence = 1e-13;

// The smooth roll-off that keeps the top harmonics of a level from ending abruptly.
float rollOff(uint32_t bin, uint32_t bins) {
    const float ratio = static_cast<float>(bin) / static_cast<float>(bins);
    return static_cast<float>(1.0 - static_cast<double>(ratio) * static_cast<double>(ratio));
}

// The largest magnitude. Eight running maxima instead of one keep the loop from waiting on itself;
// the maximum does not depend on the order.
float peakOf(const float* x) {
    std::array<float, 8> peaks{};
    for (uint32_t i = 0; i < MipMap::kWaveLength; i += peaks.size())
        for (size_t j = 0; j < peaks.size(); ++j) peaks[j] = std::max(peaks[j], std::fabs(x[i + j]));
    return *std::max_element(peaks.begin(), peaks.end());
}

} // namespace

MipMap::MipMap() {
    FFT::init();
}

void MipMap::cleanup() {
    valid = false;
    levels.fill(nullptr);
    owned.reset();
    allocatedSamples = 0;
}

void MipMap::setResourcePath(const char* path) {
    resourcePath.fill('\0');
    if (path == nullptr) return;
    std::strncpy(resourcePath.data(), path, kPathLength - 1);
}

void MipMap::setWaveCount(uint32_t waves) {
    numberOfWaves = std::clamp<uint32_t>(waves, 1, kMaxWaves);
    totalSamples = numberOfWaves * kWaveLength;
}

void MipMap::createMipMap(uint32_t id) {
    tableId = static_cast<int32_t>(id);
    if (id < kFirstUserTable || id > kLastUserTable) createFromROM(id);
    valid = true;
}

void MipMap::createMipMap(const WaveSource* wave) {
    if (wave == nullptr) return;
    tableId = -1;
    const uint32_t size = wave->getSize();
    setWaveCount(size / kWaveLength);
    // The record writes all of its samples; a record shorter than one wave is padded with silence.
    std::vector<double> samples(std::max<size_t>(size, totalSamples), 0.0);
    wave->putInto(samples.data());
    createFromWave(samples.data());
    valid = true;
}

void MipMap::createFromWave(const double* samples) {
    std::vector<float> spectrum(totalSamples);
    float time[kWaveLength];
    for (uint32_t w = 0; w < numberOfWaves; ++w) {
        const double* wave = samples + w * kWaveLength;
        for (uint32_t i = 0; i < kWaveLength; ++i) time[i] = static_cast<float>(wave[i]);
        FFT::forward(time, spectrum.data() + w * kWaveLength);
    }
    createFromFFT(spectrum.data());
}

void MipMap::createFromFFT(const float* spectrum) {
    // A rebuild that fits reuses the arrays: every sample in use is written below (reads never go past
    // the wave count), and fresh arrays of 2.5 MiB would cost more in page faults than the transforms.
    const bool reuse = allocatedSamples >= totalSamples && levels[0] != nullptr;
    valid = false;
    if (!reuse) {
        cleanup();
        int16_t* block = memory != nullptr ? memory->allocate(size_t{kLevels} * totalSamples) : nullptr;
        if (block == nullptr) {
            owned = std::make_unique_for_overwrite<int16_t[]>(size_t{kLevels} * totalSamples);
            block = owned.get();
        }
        for (uint32_t level = 0; level < kLevels; ++level) levels[level] = block + level * totalSamples;
        allocatedSamples = totalSamples;
    }
    for (uint32_t level = 0; level < kLevels; ++level) buildLevel(level, spectrum);
}

void MipMap::buildLevel(uint32_t level, const float* spectrum) {
    const uint32_t bins = (kWaveLength / 2) >> level;
    float weights[kWaveLength / 2];
    for (uint32_t k = 0; k < bins; ++k) weights[k] = rollOff(k, bins);

    int16_t* out = levels[level];
    float work[kWaveLength];
    float time[kWaveLength];
    for (uint32_t w = 0; w < numberOfWaves; ++w) {
        const float* wave = spectrum + w * kWaveLength;
        std::fill(std::begin(work), std::end(work), 0.0f);
        for (uint32_t k = 0; k < bins; ++k) {
            const int at = FFT::index(static_cast<int>(k));
            work[at] = wave[at] * weights[k];
            work[at + 1] = wave[at + 1] * weights[k];
        }
        FFT::inverse(work, time);

        const float peak = peakOf(time);
        int16_t* stored = out + w * kWaveLength;
        // Non-finite input (an infinity spreads through the transform) is stored as silence too.
        if (!(static_cast<double>(peak) > kSilence) || !std::isfinite(peak)) {
            std::fill(stored, stored + kWaveLength, int16_t{0});
            continue;
        }
        const float scale = 1.0f / peak;
        for (uint32_t i = 0; i < kWaveLength; ++i)
            stored[i] = static_cast<int16_t>(time[i] * scale * 32767.0f);
    }
}
