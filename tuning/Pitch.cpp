#include "tuning/Pitch.h"

#include <cmath>

namespace Pitch {
namespace {

double roundTo(double value, double scale) {
    return std::round(value * scale) / scale;
}

std::array<double, kTableSize> makeMIDI2Hz() {
    std::array<double, kTableSize> table{};
    for (int i = 0; i < kTableSize; ++i) {
        const double hz = 440.0 * std::pow(2.0, (i - 69) / 12.0);
        table[i] = (i >= 124 && i <= 127) ? roundTo(hz, 100.0) : roundTo(hz, 1000.0);
    }
    return table;
}

std::array<double, kTableSize> makeAntiMIDI2Hz() {
    std::array<double, kTableSize> table{};
    for (int i = 0; i < kTableSize; ++i) table[i] = roundTo(8.176 * std::pow(2.0, -i / 12.0), 1e10);
    return table;
}

double interpolate(const std::array<double, kTableSize>& table, int steps) {
    const int i = steps / kStepsPerSemitone;
    const int fraction = steps % kStepsPerSemitone;
    return table[i] + (table[i + 1] - table[i]) * fraction * 0.0078125;
}

} // namespace

const std::array<double, kTableSize>& MIDI2Hz() {
    static const std::array<double, kTableSize> table = makeMIDI2Hz();
    return table;
}

const std::array<double, kTableSize>& AntiMIDI2Hz() {
    static const std::array<double, kTableSize> table = makeAntiMIDI2Hz();
    return table;
}

double convert2Hz(int pitch) {
    if (pitch == 0) return 8.176;
    if (pitch > kMaxPitch - 1) return 19912.127;
    if (pitch < -(kMaxPitch - 1)) return 0.0033570162;
    if (pitch > 0) return interpolate(MIDI2Hz(), pitch);
    return interpolate(AntiMIDI2Hz(), -pitch);
}

} // namespace Pitch
