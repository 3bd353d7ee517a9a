#include "tools/make-wavetables/WaveTable.h"

#include <cmath>
#include <cstdio>

namespace wavegen {

namespace {

double mean(const Cycle& cycle) {
    double sum = 0.0;
    for (double x : cycle) sum += x;
    return sum / kWaveLength;
}

double peak(const Cycle& cycle) {
    double result = 0.0;
    for (double x : cycle) result = std::fmax(result, std::fabs(x));
    return result;
}

Cycle withoutDC(const Cycle& cycle) {
    const double offset = mean(cycle);
    Cycle result;
    for (int i = 0; i < kWaveLength; ++i) result[i] = cycle[i] - offset;
    return result;
}

} // namespace

bool WaveTable::add(const Cycle& cycle) {
    const Cycle centred = withoutDC(cycle);
    const double top = peak(centred);
    if (size() >= kMaxWaves || !(top > 1e-9)) {
        refused = true;
        return false;
    }
    StoredWave stored;
    for (int i = 0; i < kWaveLength; ++i)
        stored[i] = static_cast<int16_t>(std::lround(centred[i] * (kTargetPeak / top)));
    waves.push_back(stored);
    return true;
}

bool WaveTable::addQuantised(const Cycle& cycle, int levels) {
    const Cycle centred = withoutDC(cycle);
    const double top = peak(centred);
    if (!(top > 1e-9) || levels < 2) {
        refused = true;
        return false;
    }
    const double step = 2.0 / (levels - 1);
    Cycle stepped;
    for (int i = 0; i < kWaveLength; ++i) stepped[i] = std::floor(centred[i] / top / step + 0.5) * step;
    return add(stepped);
}

std::vector<unsigned char> WaveTable::encode() const {
    std::vector<unsigned char> bytes;
    bytes.reserve(waves.size() * kWaveLength * 2);
    for (const StoredWave& stored : waves) {
        for (int16_t sample : stored) {
            const auto bits = static_cast<uint16_t>(sample);
            bytes.push_back(static_cast<unsigned char>(bits & 0xFF));
            bytes.push_back(static_cast<unsigned char>(bits >> 8));
        }
    }
    return bytes;
}

bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
    const bool closed = std::fclose(file) == 0;
    return written == bytes.size() && closed;
}

} // namespace wavegen
