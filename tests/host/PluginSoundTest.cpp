// The built plug-in plays in tune, chords, bends, holds and filters as a host hears it, and gives the same
// samples whatever the host's block size.

#include "tests/host/PluginUnderTest.h"
#include "tests/support/SignalAnalysis.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int kNumberOfVoices = 2;
constexpr float kOneVoice = 0.0f;
constexpr float kEightVoices = 0.5f; // "8", the fourth of seven choices
constexpr int kFilterCutoff = 78;

double cents(double frequency, double reference) {
    return 1200.0 * std::log2(frequency / reference);
}

double noteHz(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

std::vector<double> slice(const std::vector<double>& signal, size_t from, size_t count) {
    return {signal.begin() + static_cast<std::ptrdiff_t>(from),
            signal.begin() + static_cast<std::ptrdiff_t>(from + count)};
}

// Share of the spectrum's energy above a frequency.
double energyAbove(const std::vector<double>& signal, double sampleRate, double hz) {
    const std::vector<double> mag = testsupport::magnitudeSpectrum(signal);
    double above = 0.0, total = 0.0;
    for (size_t k = 0; k < mag.size(); ++k) {
        const double e = mag[k] * mag[k];
        total += e;
        if (k * sampleRate / signal.size() > hz) above += e;
    }
    return total > 0.0 ? above / total : 0.0;
}

// Spectrum magnitude at a frequency: the largest bin within a quarter semitone of it.
double magnitudeNear(const std::vector<double>& mag, size_t length, double sampleRate, double hz) {
    const double binHz = sampleRate / length;
    const size_t low = static_cast<size_t>(hz * std::pow(2.0, -0.25 / 12) / binHz);
    const size_t high = static_cast<size_t>(hz * std::pow(2.0, 0.25 / 12) / binHz) + 1;
    double best = 0.0;
    for (size_t k = low; k <= high && k < mag.size(); ++k) best = std::max(best, mag[k]);
    return best;
}

// Plays one note from frame 0 for the given time, after an optional setup, and returns the left output.
template <typename Setup>
std::vector<double> playNote(double sampleRate, int note, double seconds, Setup setup) {
    PluginUnderTest plugin(sampleRate, 512);
    EXPECT_TRUE(plugin.Ready());
    if (!plugin.Ready()) return {};
    setup(plugin);
    plugin.NoteOn(0, note);
    return plugin.Render(static_cast<int>(seconds * sampleRate), 512).left;
}

} // namespace

TEST(PluginSound, Note69OnTheDefaultProgramIsConcertPitchAtEveryRate) {
    for (double rate : {44100.0, 48000.0, 96000.0}) {
        const std::vector<double> out = playNote(rate, 69, 2.25, [](PluginUnderTest&) {});
        ASSERT_FALSE(out.empty());
        // The first quarter second holds the attack; two seconds give bins of half a hertz.
        const std::vector<double> held =
            slice(out, static_cast<size_t>(rate / 4), static_cast<size_t>(2 * rate));
        EXPECT_GT(testsupport::rms(held), 0.01) << rate;
        EXPECT_NEAR(cents(testsupport::measurePitch(held, rate), 440.0), 0.0, 1.0) << rate;
    }
}

TEST(PluginSound, EightVoicesSoundAHeldChord) {
    constexpr double rate = 48000.0;
    constexpr std::array<int, 4> chord{60, 64, 67, 71};
    auto playChord = [&](float voices) {
        PluginUnderTest plugin(rate, 512);
        plugin.SetParameter(kNumberOfVoices, voices);
        for (int note : chord) plugin.NoteOn(0, note);
        return slice(plugin.Render(static_cast<int>(1.5 * rate), 512).left, 24000, 48000);
    };
    auto strengths = [&](const std::vector<double>& out) {
        const std::vector<double> mag = testsupport::magnitudeSpectrum(out);
        const double loudest = *std::max_element(mag.begin(), mag.end());
        std::array<double, 4> share{};
        for (size_t i = 0; i < chord.size(); ++i)
            share[i] = magnitudeNear(mag, out.size(), rate, noteHz(chord[i])) / loudest;
        return share;
    };
    const std::array<double, 4> poly = strengths(playChord(kEightVoices));
    for (size_t i = 0; i < chord.size(); ++i) EXPECT_GT(poly[i], 0.3) << chord[i];
    // With a single voice only the last note sounds: the measure tells the two apart.
    const std::array<double, 4> mono = strengths(playChord(kOneVoice));
    EXPECT_LT(mono[0], 0.01);
    EXPECT_GT(mono[3], 0.3);
}

TEST(PluginSound, FullPitchBendMovesByTheDefaultRangeOfTwoSemitones) {
    constexpr double rate = 48000.0;
    struct Case {
        uint8_t lsb;
        uint8_t msb;
        double semitones;
    };
    for (const Case& c :
         {Case{0x7F, 0x7F, 2.0 * 8191 / 8192}, Case{0x00, 0x00, -2.0}, Case{0x00, 0x40, 0.0}}) {
        const std::vector<double> out =
            playNote(rate, 69, 1.25, [&](PluginUnderTest& p) { p.Midi(0, 0xE0, c.lsb, c.msb); });
        const std::vector<double> held = slice(out, 12000, 48000);
        EXPECT_NEAR(cents(testsupport::measurePitch(held, rate), 440.0), 100.0 * c.semitones, 1.0)
            << c.semitones;
    }
}

TEST(PluginSound, SustainPedalHoldsAReleasedNoteUntilItIsLifted) {
    constexpr double rate = 48000.0;
    auto play = [&](bool pedal) {
        PluginUnderTest plugin(rate, 256);
        if (pedal) plugin.Midi(0, 0xB0, 64, 127);
        plugin.NoteOn(0, 57);
        plugin.NoteOff(4800, 57);
        if (pedal) plugin.Midi(48000, 0xB0, 64, 0);
        return plugin.Render(96000, 256).left;
    };
    const std::vector<double> held = play(true);
    const std::vector<double> released = play(false);
    const double playing = testsupport::rms(slice(held, 2400, 2400));
    ASSERT_GT(playing, 0.01);
    // Half a second after the key went up: the pedal keeps the note at its full level.
    EXPECT_GT(testsupport::rms(slice(held, 28800, 4800)), 0.5 * playing);
    EXPECT_LT(testsupport::rms(slice(released, 28800, 4800)), 1e-3 * playing);
    // Lifting the pedal releases it.
    EXPECT_LT(testsupport::rms(slice(held, 86400, 4800)), 1e-3 * playing);
}

TEST(PluginSound, AutomatingFilterCutoffTakesTheHighsAway) {
    constexpr double rate = 48000.0;
    PluginUnderTest plugin(rate, 512);
    ASSERT_TRUE(plugin.Ready());
    plugin.SetParameter(kFilterCutoff, 1.0f);
    plugin.NoteOn(0, 45);
    const std::vector<double> open = slice(plugin.Render(24000, 512).left, 4000, 16384);
    plugin.SetParameter(kFilterCutoff, 0.3f);
    const std::vector<double> closed = slice(plugin.Render(24000, 512).left, 4000, 16384);
    const double before = energyAbove(open, rate, 2000.0);
    const double after = energyAbove(closed, rate, 2000.0);
    EXPECT_GT(before, 1e-3);
    EXPECT_LT(after, 0.01 * before);
    EXPECT_GT(testsupport::rms(closed), 0.01); // quieter highs, not silence
}

TEST(PluginSound, EveryHostBlockSizeGivesTheSamplesOfOneLongBlock) {
    constexpr double rate = 44100.0;
    constexpr int frames = 3 * 4096 + 777;
    // Notes and the pedal take effect at their exact frame, whatever block they arrive in.
    auto play = [&](int blockSize) {
        PluginUnderTest plugin(rate, blockSize);
        plugin.SetParameter(kNumberOfVoices, kEightVoices);
        plugin.NoteOn(0, 48);
        plugin.NoteOn(17, 55, 90);
        plugin.NoteOn(100, 64, 70);
        plugin.Midi(511, 0xB0, 64, 127);
        plugin.NoteOff(1000, 55);
        plugin.NoteOn(4095, 67, 127);
        plugin.NoteOff(4097, 48);
        plugin.Midi(6000, 0xB0, 64, 0);
        plugin.NoteOn(8191, 72, 60);
        plugin.NoteOff(12000, 72);
        return plugin.Render(frames, blockSize);
    };
    const PluginUnderTest::Stereo reference = play(frames);
    ASSERT_GT(testsupport::rms(reference.left), 0.01);
    for (int blockSize : {1, 17, 64, 512, 4096}) {
        const PluginUnderTest::Stereo out = play(blockSize);
        EXPECT_EQ(out.left, reference.left) << blockSize;
        EXPECT_EQ(out.right, reference.right) << blockSize;
    }
}
