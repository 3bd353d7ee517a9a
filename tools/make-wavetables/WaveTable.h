#pragma once

#include "tools/make-wavetables/HarmonicSpectrum.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace wavegen {

constexpr int kMaxWaves = 64;
// Every wave peaks here: well inside 16 bits, so that nothing downstream can clip.
constexpr double kTargetPeak = 29000.0;

// The waves of one resource file, finished as they are stored: DC removed, peak-normalised, rounded
// to 16-bit integers.
class WaveTable {
public:
    using StoredWave = std::array<int16_t, kWaveLength>;

    // Returns false, storing nothing, when the wave is silent or the table already holds 64 waves.
    bool add(const Cycle& cycle);
    bool add(const HarmonicSpectrum& spectrum) { return add(spectrum.render()); }
    // Rounds the wave to the given number of levels between -1 and 1 before it is finished: the
    // coarse amplitude steps of early digital instruments.
    bool addQuantised(const Cycle& cycle, int levels);

    int size() const { return static_cast<int>(waves.size()); }
    // False once any add() has been refused: a recipe that produced a silent or surplus wave.
    bool complete() const { return !refused; }
    const StoredWave& wave(int index) const { return waves[index]; }
    // Headerless signed 16-bit little-endian samples, wave after wave.
    std::vector<unsigned char> encode() const;

private:
    std::vector<StoredWave> waves;
    bool refused = false;
};

// Writes the bytes to path; false when the file cannot be written completely.
bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes);

} // namespace wavegen
