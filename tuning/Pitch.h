#pragma once

#include <array>

// Pitches are signed 32-bit integers in 1/128 of an equal-tempered semitone: 0 is MIDI note 0
// (8.176 Hz), note n in equal temperament is 128 * n, 17280 is 19912.127 Hz.
namespace Pitch {

constexpr int kStepsPerSemitone = 128;
constexpr int kMaxPitch = 17280;
constexpr int kTableSize = 136;

// Equal-tempered frequency of each whole semitone 0..135, rounded as the instrument has always
// rounded them (3 decimals, 2 for notes 124..127) so that pitches stay exactly reproducible.
const std::array<double, kTableSize>& MIDI2Hz();

// 8.176 Hz * 2^(-i/12) for i = 0..135, rounded to 10 decimals: the mirror table for negative pitches.
const std::array<double, kTableSize>& AntiMIDI2Hz();

// Frequency in Hz of a pitch, interpolated linearly in Hz between neighbouring semitones.
double convert2Hz(int pitch);

} // namespace Pitch
