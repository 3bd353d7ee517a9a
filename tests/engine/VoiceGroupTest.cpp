#include "engine/VoiceGroup.h"
#include "engine/ParameterIds.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr double kRate = 44100.0;
constexpr int kTick = 100; // samples per control tick; longer than one lane run, so runs get split
constexpr int kTicks = 24;
constexpr int kVoices = 13; // eight lanes full, five of the next eight

class EqualTemperament : public PitchSource {
public:
    int getFrequency(int note) override { return note * 128; }
};

class Noise : public NoiseSource {
public:
    double getNoise() override {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int32_t>(seed) * 4.6566129e-10;
    }
    uint32_t seed = 1;
};

// Value ranges of the voice parameters a patch draws; whole: a menu, drawn as an integer.
struct Range {
    int id;
    double low;
    double high;
    bool whole = false;
};
constexpr Range kRanges[] = {
    {kXMode, 0, 1},
    {kPitchBend, 0, 12},
    {kPortamento, 0, 0.01},
    {kPortamentoLegato, 0, 1},
    {kOsc1OffOn, 0.3, 1},
    {kWaveShape1, 0, 1},
    {kWaveMode1, 0, 1, true},
    {kWaveShapeMod1, -1, 1},
    {kStartPhase1, 0, 1},
    {kRestartMode1, 0, 1},
    {kAMByOsc2, 0, 1},
    {kAMOsc3, 0, 1},
    {kAMMod, -1, 1},
    {kOctave1, 0, 4, true},
    {kPitch1, -12, 12, true},
    {kTune1, -1, 1},
    {kFrequencyMod1, -900, 900},
    {kAmplitudeMod1, -1, 1},
    {kOsc2OffOn, 0, 1},
    {kWaveShape2, 0, 1},
    {kWaveMode2, 0, 1, true},
    {kWaveShapeMod2, -1, 1},
    {kRestartMode2, 0, 1},
    {kStartPhase2, 0, 1},
    {kHardSync2, 0, 2, true},
    {kLinearFM2, 0, 1},
    {kLinearFM2Source, 0, 1},
    {kLinearFMMod2, -1, 1},
    {kOctave2, 0, 4, true},
    {kPitch2, -12, 12, true},
    {kTune2, -1, 1},
    {kFrequencyMod2, -900, 900},
    {kAmplitudeMod2, -1, 1},
    {kOsc3OffOn, 0, 1},
    {kWaveShape3, 0, 1},
    {kWaveMode3, 0, 1, true},
    {kWaveShapeMod3, -1, 1},
    {kRestartMode3, 0, 1},
    {kStartPhase3, 0, 1},
    {kHardSync3, 0, 2, true},
    {kLinearFM3, 0, 1},
    {kLinearFM3Source, 0, 1},
    {kLinearFMMod3, -1, 1},
    {kOctave3, 0, 4, true},
    {kPitch3, -12, 12, true},
    {kTune3, -1, 1},
    {kFrequencyMod3, -900, 900},
    {kAmplitudeMod3, -1, 1},
    {kLevelOsc1, 0, 1},
    {kLevelOsc2, 0, 1},
    {kLevelOsc3, 0, 1},
    {kLevelNoise, 0, 1},
    {kPanOsc1, 0, 1},
    {kPanOsc2, 0, 1},
    {kPanOsc3, 0, 1},
    {kPanNoise, 0, 1},
    {kFilterType, 0, 2, true},
    {kFilterCutoff, 0, 17280},
    {kFilterResonance, 0, 1},
    {kFilterKeyboardTrack, -64, 64},
    {kFilterEGIntensity, -9000, 9000},
    {kFilterCFM, -4000, 4000},
    {kAmpVelocity, 0, 1},
    {kAmpAM, -1, 1},
    {kMG1Mod, -1, 1},
    {kMG2Mod, -1, 1},
    {kVibratoMod, -1, 1},
};
// Every modulation source parameter; each gets every source across voices and seeds.
constexpr int kSourceIds[] = {kWaveShapeMod1Source, kFrequencyMod1Source, kAmplitudeMod1Source,
                              kAMModSource,         kWaveShapeMod2Source, kLinearFMMod2Source,
                              kFrequencyMod2Source, kAmplitudeMod2Source, kWaveShapeMod3Source,
                              kLinearFMMod3Source,  kFrequencyMod3Source, kAmplitudeMod3Source,
                              kFilterCFMSource,     kAmpAMSource,         kFilterEGModSource,
                              kAmpEGModSource,      kLinEG1ModSource,     kLinEG2ModSource,
                              kMG1ModSource,        kMG2ModSource,        kVibratoModSource};
constexpr int kEnvelopeTriggers[] = {kFilterEGTrigger, kAmpEGTrigger, kLinEG1Trigger, kLinEG2Trigger};

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

// Voices with random patches, played by a random script of controls, notes and run lengths; two banks
// made from one seed play identically whatever their kernels.
struct Bank {
    EqualTemperament tuning;
    Noise noise;
    std::array<double, 6> shared{}; // MG 1, MG 2, vibrato, wheel, bend, pressure
    std::vector<Voice> voices = std::vector<Voice>(kVoices);
    VoiceGroup group;
    std::vector<double> left = std::vector<double>(kTick * kTicks);
    std::vector<double> right = std::vector<double>(kTick * kTicks);

    Bank(unsigned seed, SimdKernel kernel) {
        group.setKernel(kernel);
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int v = 0; v < kVoices; ++v) {
            Voice& voice = voices[v];
            voice.setSharedSources(&shared[0], &shared[1], &shared[2], &shared[3], &shared[4], &shared[5]);
            voice.setPitchSource(&tuning);
            voice.setNoiseSource(&noise);
            voice.setSampleRate(kRate);
            for (int k = 0; k < 3; ++k) voice.setMipMap(k, &tables()[random() % 4]);
            for (const Range& r : kRanges) {
                const double u = unit(random);
                voice.setParam(r.id,
                               r.whole ? std::floor(r.low + u * (r.high - r.low + 1.0))
                                       : r.low + u * (r.high - r.low),
                               u);
            }
            for (int d = 0; d < static_cast<int>(std::size(kSourceIds)); ++d)
                voice.setParam(kSourceIds[d], (seed + v + d) % Properties::eNumModSources, 0.0);
            for (const int trigger : kEnvelopeTriggers) {
                for (int stage = 0; stage < 4; ++stage)
                    voice.setParam(trigger + 3 + stage, 0.05 * unit(random), 0.0);
                voice.setParam(trigger + 1, 2.0 * unit(random) - 1.0, 0.0);
                voice.setParam(trigger, 0.0, unit(random));
            }
        }
        play(seed);
    }

    void play(unsigned seed) {
        std::mt19937 random(seed + 1);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int tick = 0; tick < kTicks; ++tick) {
            for (double& value : shared) value = 2.0 * unit(random) - 1.0;
            for (Voice& voice : voices) {
                voice.polyAfterTouch = unit(random);
                voice.update(false);
            }
            for (int done = 0; done < kTick;) {
                Voice& voice = voices[random() % kVoices];
                const unsigned event = random() % 8;
                if (event < 4) voice.setNoteOn(24 + random() % 72, 1 + random() % 127, tick, random() % 3);
                if (event == 4 || event == 5) voice.setNoteOff(event == 5);
                if (event == 6) voice.setSustain(!voice.isGateOn());
                if (event == 7) voice.setSoundOff();
                const int run = std::min<int>(1 + random() % 90, kTick - done);
                group.render(voices, &left[tick * kTick + done], &right[tick * kTick + done], run);
                done += run;
            }
        }
    }
};

class VoiceGroupKernel : public testing::TestWithParam<std::tuple<SimdKernel, unsigned>> {};

TEST_P(VoiceGroupKernel, RendersBitForBitWhatTheVoicesRenderOneByOne) {
    const auto [kernel, seed] = GetParam();
    if (!isSimdKernelAvailable(kernel)) GTEST_SKIP() << "this processor has no AVX2";
    const Bank reference(seed, SimdKernel::Scalar);
    const Bank lanes(seed, kernel);

    double energy = 0.0;
    for (const double x : reference.left) energy += x * x;
    EXPECT_GT(energy, 0.0);
    const size_t bytes = reference.left.size() * sizeof(double);
    EXPECT_EQ(std::memcmp(reference.left.data(), lanes.left.data(), bytes), 0);
    EXPECT_EQ(std::memcmp(reference.right.data(), lanes.right.data(), bytes), 0);
}

INSTANTIATE_TEST_SUITE_P(Seeds, VoiceGroupKernel,
                         testing::Combine(testing::Values(SimdKernel::SSE2, SimdKernel::AVX2),
                                          testing::Values(0u, 13u, 26u)),
                         [](const auto& info) {
                             const auto [kernel, seed] = info.param;
                             return std::string(kernel == SimdKernel::AVX2 ? "AVX2" : "SSE2") + "_seed" +
                                    std::to_string(seed);
                         });

} // namespace
