#include "engine/VoiceGroup.h"
#include "engine/ParameterIds.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

namespace {

constexpr int kTick = 100; // samples per control tick: more than one lane run holds
constexpr int kTicks = 96;
constexpr int kVoices = 13; // eight lanes full, five of the next eight

class EqualTemperament : public PitchSource {
public:
    int getFrequency(int note) override { return note * 128; }
};

class Noise : public NoiseSource {
public:
    double getNoise() override { return static_cast<int32_t>(seed = seed * 1103515245u + 12345u) * 4.6e-10; }
    uint32_t seed = 1;
};

// Voice parameters drawn from one range each; whole: a menu, drawn as an integer.
struct Draw {
    double low;
    double high;
    bool whole;
    std::vector<int> ids;
};
// clang-format off
const Draw kDraws[] = {
    {0, 1, false, {kXMode, kPortamentoLegato, kOsc1OffOn, kOsc2OffOn, kOsc3OffOn, kWaveShape1, kWaveShape2,
                   kWaveShape3, kStartPhase1, kStartPhase2, kStartPhase3, kRestartMode1, kRestartMode2,
                   kRestartMode3, kAMByOsc2, kAMOsc3, kLinearFM2, kLinearFM3, kLinearFM2Source, kLinearFM3Source,
                   kLevelOsc1, kLevelOsc2, kLevelOsc3, kLevelNoise, kPanOsc1, kPanOsc2, kPanOsc3, kPanNoise,
                   kFilterResonance, kAmpVelocity}},
    {-1, 1, false, {kWaveShapeMod1, kWaveShapeMod2, kWaveShapeMod3, kAmplitudeMod1, kAmplitudeMod2, kAmplitudeMod3,
                    kAMMod, kTune1, kTune2, kTune3, kAmpAM, kMG1Mod, kMG2Mod, kVibratoMod}},
    {-9000, 9000, false, {kFrequencyMod1, kFrequencyMod2, kFrequencyMod3, kFilterEGIntensity}},
    // Beyond what 32-bit lanes hold, now and then: phase offsets and cutoffs past 2^31.
    {-40, 40, false, {kLinearFMMod2, kLinearFMMod3}},
    {-4e9, 4e9, false, {kFilterCFM}},
    {-12, 12, true, {kPitch1, kPitch2, kPitch3}},
    {0, 4, true, {kOctave1, kOctave2, kOctave3}},
    {0, 1, true, {kWaveMode1, kWaveMode2, kWaveMode3}},
    {0, 2, true, {kHardSync2, kHardSync3, kFilterType}},
    {0, 17280, false, {kFilterCutoff}},
    {-64, 64, false, {kFilterKeyboardTrack, kPitchBend}},
    {0, 0.01, false, {kPortamento}},
};
// Every modulation destination; across voices and seeds each meets every source, and a third of them none.
constexpr int kSourceIds[] = {kWaveShapeMod1Source, kFrequencyMod1Source, kAmplitudeMod1Source, kAMModSource,
                              kWaveShapeMod2Source, kLinearFMMod2Source, kFrequencyMod2Source, kAmplitudeMod2Source,
                              kWaveShapeMod3Source, kLinearFMMod3Source, kFrequencyMod3Source, kAmplitudeMod3Source,
                              kFilterCFMSource, kAmpAMSource, kFilterEGModSource, kAmpEGModSource, kLinEG1ModSource,
                              kLinEG2ModSource, kMG1ModSource, kMG2ModSource, kVibratoModSource};
// clang-format on
constexpr int kOscOffOn[] = {kOsc1OffOn, kOsc2OffOn, kOsc3OffOn};

const std::array<MipMap, 4>& tables() {
    static std::array<MipMap, 4> maps;
    static const bool built = [] {
        const uint32_t ids[] = {eSaw, ePulse, eFullPWM, eSawTri};
        for (int t = 0; t < 4; ++t) maps[t].createMipMap(ids[t]);
        return true;
    }();
    (void)built;
    return maps;
}

// Voices with random patches (one for all, or one each) played by a random script of controls, notes and
// run lengths. Banks made from one seed play the same whatever their kernel.
struct Bank {
    EqualTemperament tuning;
    Noise noise;
    std::array<double, 6> shared{}; // MG 1, MG 2, vibrato, wheel, bend, pressure
    std::vector<Voice> voices = std::vector<Voice>(kVoices);
    VoiceGroup group;
    std::vector<double> left = std::vector<double>(kTick * kTicks);
    std::vector<double> right = std::vector<double>(kTick * kTicks);
    std::mt19937 random;

    double unit() { return std::uniform_real_distribution<double>(0.0, 1.0)(random); }

    Bank(unsigned seed, SimdKernel kernel, bool onePatch) : random(seed) {
        group.setKernel(kernel);
        const unsigned patchSeed = random();
        for (int v = 0; v < kVoices; ++v) {
            Voice& voice = voices[v];
            voice.setSharedSources(&shared[0], &shared[1], &shared[2], &shared[3], &shared[4], &shared[5]);
            voice.setPitchSource(&tuning);
            voice.setNoiseSource(&noise);
            voice.setSampleRate(44100.0);
            std::mt19937 patch(onePatch ? patchSeed : random());
            const auto unitOf = [&patch] { return std::uniform_real_distribution<double>(0.0, 1.0)(patch); };
            for (int k = 0; k < 3; ++k) voice.setMipMap(k, &tables()[patch() % 4]);
            for (const Draw& draw : kDraws) {
                for (const int id : draw.ids) {
                    const double u = unitOf();
                    const double span = draw.high - draw.low + (draw.whole ? 1.0 : 0.0);
                    voice.setParam(id, draw.low + (draw.whole ? std::floor(u * span) : u * span), u);
                }
            }
            for (const int id : kSourceIds) {
                // Without a source the amp envelope silences the voice.
                const unsigned choices = id == kAmpEGModSource ? Properties::eNumModSources - 1
                                                               : Properties::eNumModSources * 3 / 2;
                const unsigned source = 1 + patch() % choices;
                voice.setParam(
                    id, source < Properties::eNumModSources ? source : unsigned{Properties::eModOff}, 0.0);
            }
            for (const int trigger : {kFilterEGTrigger, kAmpEGTrigger, kLinEG1Trigger, kLinEG2Trigger}) {
                voice.setParam(trigger, 0.0, unitOf());
                voice.setParam(trigger + 1, 2.0 * unitOf() - 1.0, 0.0);
                for (int stage = 3; stage < 7; ++stage) voice.setParam(trigger + stage, 0.05 * unitOf(), 0.0);
            }
        }
        for (int tick = 0; tick < kTicks; ++tick) {
            for (double& value : shared) value = 2.0 * unit() - 1.0;
            for (Voice& voice : voices) {
                voice.polyAfterTouch = unit();
                voice.update(false);
            }
            for (int done = 0; done < kTick;) {
                Voice& voice = voices[random() % kVoices];
                const unsigned event = random() % 9;
                if (event < 4) voice.setNoteOn(24 + random() % 72, 1 + random() % 127, tick, random() % 3);
                if (event == 4 || event == 5) voice.setNoteOff(event == 5);
                if (event == 6) voice.setSustain(!voice.isGateOn());
                if (event == 7) voice.setSoundOff();
                if (event == 8) voice.setParam(kOscOffOn[random() % 3], 0.0, unit());
                const int run = std::min<int>(1 + random() % 90, kTick - done);
                group.render(voices, &left[tick * kTick + done], &right[tick * kTick + done], run);
                done += run;
            }
        }
    }
};

class VoiceGroupKernel : public testing::TestWithParam<std::tuple<SimdKernel, unsigned, bool>> {};

TEST_P(VoiceGroupKernel, RendersBitForBitWhatTheVoicesRenderOneByOne) {
    const auto [kernel, seed, onePatch] = GetParam();
    if (!isSimdKernelAvailable(kernel)) GTEST_SKIP() << "this processor lacks the instructions";
    const Bank reference(seed, SimdKernel::Scalar, onePatch);
    const Bank lanes(seed, kernel, onePatch);

    double energy = 0.0;
    for (const double x : reference.left) energy += x * x;
    EXPECT_GT(energy, 0.0);
    const size_t bytes = reference.left.size() * sizeof(double);
    EXPECT_EQ(std::memcmp(reference.left.data(), lanes.left.data(), bytes), 0);
    EXPECT_EQ(std::memcmp(reference.right.data(), lanes.right.data(), bytes), 0);
}

INSTANTIATE_TEST_SUITE_P(Seeds, VoiceGroupKernel,
                         testing::Combine(testing::Values(SimdKernel::SSE2, SimdKernel::AVX2,
                                                          SimdKernel::AVX512),
                                          testing::Values(0u, 2u, 3u, 26u), testing::Bool()));

} // namespace
