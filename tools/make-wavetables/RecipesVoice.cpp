#include "tools/make-wavetables/Formants.h"
#include "tools/make-wavetables/PortableMath.h"
#include "tools/make-wavetables/Recipes.h"

#include <vector>

namespace wavegen {

namespace {

// The harmonic grid stands for a low adult voice.
constexpr double kVoicePitch = 120.0;
constexpr int kVoiceWaves = 64;

// Vowel formants F1..F3 of an adult male voice (averages from published vowel measurements), with
// F4 and F5 near their usual places. Voiced, no noise.
constexpr VocalFrame vowel(double f1, double f2, double f3) {
    return {{f1, f2, f3, 3400.0, 4300.0}, 1.0, 0.0, 3000.0, 2000.0};
}

constexpr VocalFrame kA = vowel(730, 1090, 2440);  // "father"
constexpr VocalFrame kO = vowel(570, 840, 2410);   // "caught"
constexpr VocalFrame kE = vowel(530, 1840, 2480);  // "bed"
constexpr VocalFrame kI = vowel(270, 2290, 3010);  // "beet"
constexpr VocalFrame kIh = vowel(390, 1990, 2550); // "bit"
constexpr VocalFrame kEy = vowel(480, 1950, 2600); // start of "bay"
constexpr VocalFrame kSchwa = vowel(500, 1500, 2500);

// Consonants: a vocal tract shape, a little voicing (never none: every wave keeps its fundamental)
// and a noise band for the burst or hiss.
constexpr VocalFrame consonant(double f1, double f2, double f3, double voicing, double noise, double centre,
                               double width) {
    return {{f1, f2, f3, 3400.0, 4300.0}, voicing, noise, centre, width};
}

constexpr VocalFrame kL = consonant(360, 1300, 2700, 0.7, 0.0, 3000, 2000);
constexpr VocalFrame kM = consonant(250, 1100, 2300, 0.6, 0.0, 3000, 2000);
constexpr VocalFrame kN = consonant(250, 1700, 2600, 0.6, 0.0, 3000, 2000);
constexpr VocalFrame kD = consonant(300, 1700, 2600, 0.3, 0.6, 3500, 1500);
constexpr VocalFrame kT = consonant(400, 1800, 2600, 0.1, 1.0, 4500, 3500);
constexpr VocalFrame kG = consonant(250, 1800, 2400, 0.35, 0.8, 1900, 900);
constexpr VocalFrame kZ = consonant(300, 1700, 2600, 0.4, 0.7, 5500, 2500);
constexpr VocalFrame kZh = consonant(300, 1800, 2500, 0.4, 0.8, 2800, 1500);
constexpr VocalFrame kSh = consonant(300, 2000, 2700, 0.1, 1.0, 3800, 3500);

WaveTable say(const std::vector<VocalKey>& keys, uint64_t seed) {
    return Formants(kVoicePitch).speak(keys, kVoiceWaves, seed);
}

} // namespace

WaveTable makeFormantShift() {
    // One open vowel whose whole vocal tract shrinks from a giant's to a child's and beyond, while the
    // pitch stays put.
    WaveTable table;
    const Formants formants(kVoicePitch);
    for (int w = 0; w < kVoiceWaves; ++w) {
        const double factor = 0.55 * power(2.2 / 0.55, static_cast<double>(w) / (kVoiceWaves - 1));
        VocalFrame frame = kA;
        for (double& f : frame.formants) f *= factor;
        table.add(formants.voice(frame, HarmonicSpectrum()));
    }
    return table;
}

WaveTable makeAOE() {
    return say({{kA, 1.0}, {kA, 2.0}, {kO, 1.0}, {kO, 2.0}, {kE, 1.0}, {kE, 0.0}}, 0xA0E);
}

WaveTable makeGeesh() {
    const VocalFrame onset = consonant(300, 2100, 2700, 1.0, 0.05, 3000, 2000);
    const VocalFrame hissStart = consonant(300, 2000, 2700, 0.25, 1.0, 3500, 3000);
    return say({{kG, 0.6}, {onset, 1.0}, {kI, 2.2}, {kI, 1.0}, {hissStart, 1.2}, {kSh, 0.0}}, 0x6EE5);
}

WaveTable makeTeh() {
    const VocalFrame aspiration = consonant(500, 1800, 2500, 0.3, 0.7, 2500, 3000);
    const VocalFrame vowelOnset = consonant(450, 1800, 2550, 1.0, 0.1, 2500, 3000);
    const VocalFrame release = consonant(560, 1750, 2450, 1.0, 0.0, 3000, 2000);
    return say({{kT, 0.7}, {aspiration, 0.8}, {vowelOnset, 1.0}, {kE, 2.5}, {release, 0.0}}, 0x7E4);
}

WaveTable makeLadies() {
    // "ladies and gentlemen", one stop per sound, vowels held longer than consonants.
    return say(
        {
            {kL, 1.0},
            {kEy, 1.2},
            {kIh, 0.8},
            {kD, 0.6},
            {kI, 1.2},
            {kZ, 1.0},
            {kSchwa, 0.8},
            {kN, 0.8},
            {kD, 0.5},
            {kZh, 1.0},
            {kE, 1.4},
            {kN, 0.8},
            {kT, 0.6},
            {kSchwa, 0.7},
            {kL, 0.8},
            {kM, 0.8},
            {kSchwa, 1.0},
            {kN, 0.0},
        },
        0x1AD1E5);
}

} // namespace wavegen
