#include "engine/Voice.h"
#include "engine/ParameterIds.h"
#include "tests/support/SignalAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

class ScaledPitch : public PitchSource {
public:
    int getFrequency(int note) override { return note * 128 + shift; }
    int shift = 0;
};

class Noise : public NoiseSource {
public:
    double getNoise() override {
        ++draws;
        return (draws % 2) != 0 ? 0.5 : -0.5;
    }
    int draws = 0;
};

using S = std::tuple<int, double, double>;

const MipMap& sawTable() {
    static MipMap* table = [] {
        auto* m = new MipMap;
        m->createMipMap(eSaw);
        return m;
    }();
    return *table;
}

// A voice at 48 kHz with oscillator 1 playing "Saw" through an open low-pass, amp envelope only.
struct Rig {
    ScaledPitch pitch;
    Noise noise;
    double mg1 = 0.0, mg2 = 0.0, vibrato = 0.0, wheel = 0.0, bend = 0.0, pressure = 0.0;
    Voice voice;

    Rig() {
        voice.setSharedSources(&mg1, &mg2, &vibrato, &wheel, &bend, &pressure);
        voice.setPitchSource(&pitch);
        voice.setNoiseSource(&noise);
        voice.setSampleRate(48000.0);
        for (int k = 0; k < 3; ++k) voice.setMipMap(k, const_cast<MipMap*>(&sawTable()));
        // Oscillator 1 on at level 1, pan centre; "Lowpass 24" fully open; amp EG source "ON" at full
        // amount, instant attack and release, full sustain.
        set({S{kOsc1OffOn, 1.0, 1.0}, S{kLevelOsc1, 1.0, 0.5}, S{kPanOsc1, 0.0, 0.5},
             S{kFilterType, 0.0, 0.0}, S{kFilterCutoff, 17280.0, 1.0}, S{kFilterResonance, 0.0, 0.0},
             S{kAmpEGMod, 1.0, 1.0}, S{kAmpEGModSource, 1.0, 0.0}, S{kAmpEGAttack, 0.0, 0.0},
             S{kAmpEGDecay, 0.5, 0.5}, S{kAmpEGSustain, 1.0, 1.0}, S{kAmpEGRelease, 0.0, 0.0}});
    }
    void set(int id, double v, double n) { voice.setParam(id, v, n); }
    void set(std::initializer_list<S> rows) {
        for (const auto& [id, v, n] : rows) set(id, v, n);
    }

    // Renders samples in control ticks of 48 samples; returns the left channel.
    std::vector<double> render(int samples) {
        std::vector<double> left(samples);
        for (int n = 0; n < samples; ++n) {
            if (n % 48 == 0) voice.update(false);
            double r = 0.0;
            voice.process(&left[n], &r);
        }
        return left;
    }
};

using testsupport::rms;

} // namespace

TEST(Voice, NoteSoundsThroughReleaseToSilenceAndThePedalHoldsIt) {
    Rig rig;
    rig.voice.setNoteOn(60, 100, 1, 0);
    EXPECT_TRUE(rig.voice.isActive());
    EXPECT_GT(rms(rig.render(4800)), 0.05);
    rig.voice.setSustain(true);
    rig.voice.setNoteOff(false);
    rig.render(4800);
    EXPECT_EQ(std::pair(rig.voice.isActive(), rig.voice.isGateOn()), std::pair(true, false));
    rig.voice.setSustain(false);
    int samples = 0;
    for (; rig.voice.isActive() && samples < 48000; samples += 48) rig.render(48);
    EXPECT_LT(samples, 1000); // the fastest release is about 5 ms
    double l = 0.25, r = 0.25;
    rig.voice.process(&l, &r);
    EXPECT_EQ(std::pair(l, r), std::pair(0.25, 0.25));
}

TEST(Voice, SourceTableBindsEachSource) {
    Rig rig;
    std::tie(rig.wheel, rig.bend, rig.pressure, rig.voice.polyAfterTouch) = std::tuple(0.75, -0.5, 0.3, 0.9);
    rig.voice.setNoteOn(127, 127, 1, 0);
    const Voice& v = rig.voice;
    for (const int unbound : {static_cast<int>(Properties::eModOff), 21, -1})
        EXPECT_EQ(v.getModSource(unbound), nullptr) << unbound;
    using Case = std::tuple<int, double>;
    for (const auto& [source, value] :
         {Case{1, 1.0}, Case{2, 0.5}, Case{3, -0.5}, Case{4, 1.0}, Case{8, 0.75}, Case{9, 0.25},
          Case{10, 1.0}, Case{11, 1.0}, Case{12, 0.9}, Case{13, 0.3}}) {
        ASSERT_NE(v.getModSource(source), nullptr) << source;
        EXPECT_NEAR(*v.getModSource(source), value, 1e-12) << source;
    }
    // Controller sources bound before the instrument hands over its values still follow them.
    Voice early;
    for (const auto& [id, value] :
         {std::pair{kAmpAMSource, double(Properties::eModWheelPositive)}, std::pair{kAmpAM, 1.0},
          std::pair{kAmpEGMod, 1.0}, std::pair{kAmpEGModSource, 1.0}})
        early.setParam(id, value, 0.0);
    double wheel = 0.25;
    early.setSharedSources(nullptr, nullptr, nullptr, &wheel, nullptr, nullptr);
    early.setNoteOn(60, 127, 1, 0);
    EXPECT_DOUBLE_EQ(early.getAmpFactor(), 0.25);
}

TEST(Voice, ScalingRuleOnTheAmplifier) {
    // Source "Velo" with velocity 64: s = 64/127.
    const double s = 64.0 / 127.0;
    using Case = std::tuple<double, double>;
    for (const auto& [amount, factor] :
         {Case{0.0, 1.0}, Case{1.0, s}, Case{-1.0, 1.0 - s}, Case{-0.5, 1.0 - 0.5 * s}}) {
        Rig rig;
        rig.set({S{kAmpAM, amount, 0.0}, S{kAmpAMSource, Properties::eModVelocity, 0.0}});
        rig.voice.setNoteOn(60, 64, 1, 0);
        EXPECT_DOUBLE_EQ(rig.voice.getAmpFactor(), factor) << amount;
    }
    Rig velocity;
    velocity.set(kAmpVelocity, 0.5, 0.5);
    velocity.voice.setNoteOn(60, 64, 1, 0);
    EXPECT_DOUBLE_EQ(velocity.voice.getAmpFactor(), 1.0 + (s - 1.0) * 0.5);
}

TEST(Voice, GatedRuleOnTheGenerators) {
    const double s = 64.0 / 127.0;
    using Case = std::tuple<double, int, double, double>;
    for (const auto& [amount, source, value, positive] :
         {Case{0.5, 11, 0.5 * s * 0.8, 0.5 * 0.5 * s * 0.8 + 0.5},
          Case{-0.5, 11, 0.5 * (1.0 - s) * 0.8, 0.5 * 0.5 * (1.0 - s) * 0.8 + 0.5}, Case{1.0, 0, 0.0, 0.0}}) {
        Rig rig;
        rig.mg1 = 0.8;
        rig.set({S{kMG1Mod, amount, 0.0}, S{kMG1ModSource, source, 0.0}});
        rig.voice.setNoteOn(60, 64, 1, 0);
        EXPECT_EQ(std::pair(*rig.voice.getModSource(Properties::eModMG1),
                            *rig.voice.getModSource(Properties::eModMG1Positive)),
                  std::pair(value, positive))
            << amount;
    }
}

TEST(Voice, AmpEnvelopeModulation) {
    Rig off;
    off.set(kAmpEGModSource, 0.0, 0.0);
    off.voice.setNoteOn(60, 100, 1, 0);
    EXPECT_EQ(std::pair(rms(off.render(2000)), off.voice.isActive()), std::pair(0.0, true));

    Rig inverted;
    inverted.set(kAmpEGMod, -1.0, 0.0);
    inverted.voice.setNoteOn(60, 100, 1, 0);
    inverted.render(100);
    const double level = inverted.voice.getEnvelope(Voice::eAmpEG).getLevel();
    EXPECT_GT(level, 0.0);
    EXPECT_DOUBLE_EQ(inverted.voice.getEnvelopeOutput(Voice::eAmpEG), 1.0 - level);
}

TEST(Voice, PanGains) {
    Voice voice;
    using Case = std::tuple<double, double, double>;
    for (const auto& [p, left, right] : {Case{0.0, 1.0, 1.0}, Case{0.5, std::sqrt(0.5), 1.0},
                                         Case{-0.75, 1.0, 0.5}, Case{1.0, 0.0, 1.0}, Case{-2.0, 1.0, 0.0}}) {
        voice.setPan(p);
        EXPECT_EQ(std::pair(voice.getPanLeft(), voice.getPanRight()), std::pair(left, right)) << p;
    }
}

TEST(Voice, GlideOf500TicksEndsExactlyOnTheTarget) {
    Rig rig;
    rig.set(kPortamento, 0.5, 0.5); // portamento 0.5 s
    rig.voice.setNoteOn(60, 100, 1, 0);
    EXPECT_EQ(rig.voice.getCurrentPitch(), 6144.0); // the note-on tick does not advance
    rig.voice.update(false);
    EXPECT_DOUBLE_EQ(rig.voice.getCurrentPitch(), 6144.0 + 3.072);
    for (int tick = 1; tick < 499; ++tick) rig.voice.update(false);
    EXPECT_NE(rig.voice.getCurrentPitch(), 7680.0);
    rig.voice.update(false);
    EXPECT_EQ(rig.voice.getCurrentPitch(), 7680.0);
    rig.voice.update(false);
    EXPECT_EQ(rig.voice.getCurrentPitch(), 7680.0);
}

TEST(Voice, LegatoGlidesOnlyWhileAKeyIsHeld) {
    Rig rig;
    // Legato, start phase 90 degrees, restarting.
    rig.set({S{kPortamento, 0.2, 0.2}, S{kPortamentoLegato, 1.0, 1.0}, S{kStartPhase1, 0.0, 0.25},
             S{kRestartMode1, 1.0, 1.0}});
    // No key held: the note jumps to its pitch and restarts its oscillator.
    rig.voice.setNoteOn(60, 100, 1, 0);
    EXPECT_EQ(std::pair(rig.voice.getCurrentPitch(), rig.voice.getOscillator(0).getPhase()),
              std::pair(7680.0, 33554432));
    rig.render(480);
    // Key still held: the next note glides and the oscillator runs on.
    const int32_t phase = rig.voice.getOscillator(0).getPhase();
    rig.voice.setNoteOn(72, 100, 2, 0);
    EXPECT_EQ(std::pair(rig.voice.getCurrentPitch(), rig.voice.getOscillator(0).getPhase()),
              std::pair(7680.0, phase));
    rig.voice.update(false);
    EXPECT_GT(rig.voice.getCurrentPitch(), 7680.0);
}

TEST(Voice, PitchComesFromTheTuningAndTheBendAndTheKeyTrackFollowsIt) {
    Rig rig;
    rig.pitch.shift = 37;
    rig.set({S{kPitchBend, 2.0, 0.5}, S{kFilterKeyboardTrack, 128.0, 1.0}});
    std::tie(rig.bend, rig.voice.detune) = std::tuple(0.5, 5.0);
    rig.voice.setNoteOn(60, 100, 1, 0);
    EXPECT_EQ(std::pair(rig.voice.getOscillator(0).getPitchIndex(), rig.voice.getKeyTrackOffset()),
              std::pair(7680 + 37 + 5 + 128, 1536.0));
    rig.voice.setNoteOn(36, 100, 2, 0);
    EXPECT_EQ(rig.voice.getKeyTrackOffset(), -1536.0);
}

TEST(Voice, XModeMixesOnlyTheChosenOscillatorAndAnIndexBeyondPicksTheLast) {
    const auto render = [](bool xMode, int index, Rig& rig) {
        // Oscillator 2 a fifth and oscillator 3 a fourth up, and noise.
        rig.set({S{kOsc1OffOn, 1, 1}, S{kOsc2OffOn, 1, 1}, S{kOsc3OffOn, 1, 1}, S{kWaveShape2, 0, 0},
                 S{kPitch2, 7, 0}, S{kPitch3, 5, 0}, S{kLevelOsc1, 1, xMode ? 0.5 : 0.0},
                 S{kLevelOsc2, 1, 0.5}, S{kLevelOsc3, 1, xMode ? 0.5 : 0.0}, S{kLevelNoise, 1, 0.3},
                 S{kPanOsc2, 0, 0.5}, S{kPanOsc3, 0, 0.5}, S{kPanNoise, 0, 0.5},
                 S{kXMode, 0, xMode ? 1.0 : 0.0}});
        rig.voice.setNoteOn(60, 100, 1, index);
        return rig.render(2000);
    };
    Rig x, plain, third, beyond;
    const std::vector<double> second = render(true, 1, x);
    EXPECT_GT(rms(second), 0.05);
    EXPECT_EQ(second, render(false, 1, plain));
    EXPECT_NE(x.voice.getOscillator(0).getPhase(), 0); // oscillator 1 still runs
    EXPECT_EQ(x.noise.draws, 2000);
    const std::vector<double> last = render(true, 2, third);
    EXPECT_NE(last, second);
    EXPECT_EQ(last, render(true, 9, beyond));
}

TEST(Voice, RingModulationScalesOscillatorOneByOscillatorThree) {
    // Oscillator 3 runs but is muted (its pitch is far above the range), so it outputs 0 and the
    // ring modulation leaves oscillator 1 scaled by 1 − depth.
    const auto render = [](double depth) {
        Rig rig;
        rig.set({S{kOsc3OffOn, 1.0, 1.0}, S{kPitch3, 200.0, 1.0}, S{kAMOsc3, depth, depth}});
        rig.voice.setNoteOn(60, 100, 1, 0);
        return rms(rig.render(4800));
    };
    const double plain = render(0.0);
    EXPECT_GT(plain, 0.05);
    EXPECT_NEAR(render(0.5) / plain, 0.5, 1e-3);
    EXPECT_LT(render(1.0) / plain, 1e-3);
}

TEST(Voice, LinearFMReadsTheSelectedOscillator) {
    // Oscillator 2 alone is heard; oscillator 3 is off, so modulation "from oscillator 3" is none.
    const auto render = [](double amount, double fromOsc3) {
        Rig rig;
        rig.set({S{kOsc2OffOn, 1, 1}, S{kLevelOsc1, 1, 0}, S{kLevelOsc2, 1, 0.5}, S{kPanOsc2, 0, 0.5},
                 S{kLinearFM2, amount, amount}, S{kLinearFM2Source, fromOsc3, fromOsc3}});
        rig.voice.setNoteOn(60, 100, 1, 0);
        return rig.render(2000);
    };
    const std::vector<double> unmodulated = render(0.0, 0.0);
    EXPECT_EQ(render(0.5, 1.0), unmodulated);
    EXPECT_NE(render(0.5, 0.0), unmodulated);
}

TEST(Voice, HardSyncBindsTheChosenSource) {
    Rig rig;
    rig.voice.setMipMap(0, nullptr); // oscillator 1 without a table stays muted
    rig.set({S{kOsc2OffOn, 1.0, 1.0}, S{kHardSync2, 1.0, 0.5}});
    rig.voice.setNoteOn(60, 100, 1, 0);
    EXPECT_TRUE(rig.voice.getOscillator(1).isMuted()); // follows its muted source
    rig.set(kHardSync2, 0.0, 0.0);
    rig.voice.update(false);
    EXPECT_FALSE(rig.voice.getOscillator(1).isMuted());
}
