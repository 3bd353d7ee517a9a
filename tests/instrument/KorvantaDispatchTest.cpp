#include "tests/support/KorvantaTestHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

using testhost::makeInstrument;
using testhost::setParam;

namespace {

bool reachesVoices(int idx) {
    return !(idx <= 5 || (idx >= 87 && idx <= 92) || (idx >= 121 && idx <= 124) ||
             (idx >= 127 && idx <= 130) || (idx >= 133 && idx <= 135));
}

} // namespace

TEST(KorvantaDispatch, VoiceParametersArriveConverted) {
    // (index, value, what the voices get): frequency modulations v·|v|·6145, "Filter Cutoff" the
    // normalised value (v² through shape 0.5) times 17281, "Filter Keyboard Track" v·128, "Filter EG
    // Intensity" v·|v|·15361, "Filter cFM" v·|v|·12289, linear envelope times v², "Vibrato Mod" v·|v|.
    // Everything else, a linear envelope's sustain level included, arrives unchanged.
    const double cases[][3] = {
        {25, -0.5, -1536.25}, {78, 0.5, 4320.25}, {78, 1.0, 17281.0}, {80, 0.5, 64.0},   {81, -0.5, -3840.25},
        {82, 0.5, 3072.25},   {110, 0.5, 0.25},   {136, -0.5, -0.25}, {7, -12.0, -12.0}, {112, 0.5, 0.5}};
    auto plug = makeInstrument();
    for (const auto& [index, value, expected] : cases) {
        const int idx = static_cast<int>(index);
        setParam(*plug, idx, value);
        EXPECT_NEAR(plug->voiceValue[idx], expected, 1e-9) << idx;
        EXPECT_DOUBLE_EQ(plug->voiceNormalized[idx], plug->GetParam(idx)->GetNormalized()) << idx;
    }
}

TEST(KorvantaDispatch, OnlyVoiceParametersReachTheVoices) {
    auto plug = makeInstrument();
    plug->voiceCalls.fill(0);
    for (int idx = 0; idx < kNumParams; ++idx) {
        if (idx == 2 || idx == 3) continue; // they would cut the notes, which is tested elsewhere
        setParam(*plug, idx, plug->GetParam(idx)->Value());
        EXPECT_EQ(plug->voiceCalls[idx], reachesVoices(idx) ? 1 : 0) << idx;
    }
}

TEST(KorvantaDispatch, GeneratorsGetPeriodsInMillisecondsAndTheirSettings) {
    auto plug = makeInstrument();
    setParam(*plug, 89, 0.3);    // "Chorus Speed"
    setParam(*plug, 121, 100.0); // "MG 1 Frequency"
    setParam(*plug, 127, 0.01);
    setParam(*plug, 133, 4.0);
    EXPECT_EQ(std::tuple(plug->getChorus().getPeriod(), plug->getGenerator(0).getPeriod(),
                         plug->getGenerator(1).getPeriod(),
                         plug->getGenerator(Korvanta::kVibrato).getPeriod()),
              std::tuple(3333, 10, 100000, 250));

    setParam(*plug, 122, 5);
    setParam(*plug, 128, 2);
    EXPECT_EQ(std::tuple(plug->getGenerator(0).waveform, plug->getGenerator(1).waveform,
                         plug->getGenerator(Korvanta::kVibrato).waveform),
              std::tuple(MG::eSampleHold, MG::eSawDown, MG::eSine));

    for (const auto& [sync, rate, g] :
         std::vector<std::tuple<int, int, int>>{{123, 124, 0}, {129, 130, 1}, {134, 135, 2}}) {
        setParam(*plug, sync, 1);
        setParam(*plug, rate, 15);
        EXPECT_TRUE(plug->mgSync[g] && plug->getGenerator(g).isSynced() &&
                    plug->getGenerator(g).syncRate == 15);
        setParam(*plug, sync, 0);
        EXPECT_FALSE(plug->getGenerator(g).isSynced());
    }
}

TEST(KorvantaDispatch, ChorusSettings) {
    auto plug = makeInstrument();
    const auto& chorus = plug->getChorus();
    for (const double mix : {0.5, 0.0}) {
        setParam(*plug, 92, mix);
        EXPECT_EQ(std::pair(chorus.dryGain, chorus.wetGain), std::pair(std::sqrt(1 - mix), std::sqrt(mix)));
    }
    setParam(*plug, 88, 0.25);
    setParam(*plug, 90, 0.75);
    setParam(*plug, 91, -0.5);
    EXPECT_EQ(std::tuple(chorus.delay, chorus.depth, chorus.feedback), std::tuple(0.25, 0.75, -0.5));
    setParam(*plug, 87, 1);
    EXPECT_TRUE(plug->chorusOn);
}

TEST(KorvantaDispatch, GlobalSettings) {
    auto plug = makeInstrument();
    setParam(*plug, 0, 0.5);
    EXPECT_DOUBLE_EQ(plug->volume, 0.5);
    setParam(*plug, 2, 3);
    EXPECT_EQ(plug->getNumVoices(), 8);
    EXPECT_DOUBLE_EQ(plug->unisonGain, 1.0 / std::sqrt(8.0));
    setParam(*plug, 1, 0.5); // "Master Tune" in semitones
    EXPECT_DOUBLE_EQ(plug->tune, 64.0);
    for (int i = 0; i < 8; ++i) EXPECT_DOUBLE_EQ(plug->getVoice(i).detune, 64.0) << i;
    setParam(*plug, 4, 0.5);
    EXPECT_DOUBLE_EQ(plug->detune, 64.0);
    setParam(*plug, 3, 1);
    EXPECT_TRUE(plug->unison);
    EXPECT_DOUBLE_EQ(plug->getVoice(0).detune, 0.0);
    EXPECT_DOUBLE_EQ(plug->getVoice(7).detune, 128.0);
    setParam(*plug, 6, 1);
    EXPECT_TRUE(plug->xMode);
    setParam(*plug, 29, 0);
    EXPECT_FALSE(plug->oscOn[1]);
}

TEST(KorvantaDispatch, WaveTablesBuildFromTheCatalogueOrTheUserWaves) {
    auto plug = makeInstrument();
    EXPECT_TRUE(plug->getMipMap(0).isValid());
    setParam(*plug, 11, 4);
    EXPECT_EQ(plug->waveTableId[0], 4);
    EXPECT_EQ(plug->getMipMap(0).getTableId(), 4);

    // An empty user slot leaves the oscillator's table as it was.
    setParam(*plug, 30, 3);
    setParam(*plug, 30, 65532);
    EXPECT_EQ(plug->waveTableId[1], 65532);
    EXPECT_EQ(plug->getMipMap(1).getTableId(), 3);

    // Any oscillator may play any user slot.
    std::vector<double> wave(2 * 2048);
    for (size_t i = 0; i < wave.size(); ++i) wave[i] = std::sin(i * 2.0 * M_PI / 2048.0);
    plug->getUserWave(2).putFrom(wave.data(), static_cast<int>(wave.size()), "two sines");
    setParam(*plug, 11, 65533);
    EXPECT_EQ(plug->getMipMap(0).getTableId(), -1);
    EXPECT_EQ(plug->getMipMap(0).getNumberOfWaves(), 2u);
}

TEST(KorvantaDispatch, CopyOscillatorSettings) {
    struct Pair {
        int from, to;
        std::vector<std::pair<int, int>> copied; // (source, target)
        std::vector<int> untouched;
    };
    std::vector<std::pair<int, int>> osc1To2, osc1To3, osc2To3;
    const int osc1[] = {10, 11, 12, 13, 14, 15, 16, 17, 22, 23, 24, 25, 26, 27, 28};
    const int osc2[] = {29, 30, 31, 32, 33, 34, 36, 35, 42, 43, 44, 45, 46, 47, 48};
    const int osc3[] = {49, 50, 51, 52, 53, 54, 56, 55, 62, 63, 64, 65, 66, 67, 68};
    for (int i = 0; i < 15; ++i) {
        osc1To2.push_back({osc1[i], osc2[i]});
        osc1To3.push_back({osc1[i], osc3[i]});
    }
    for (int i = 0; i < 20; ++i) osc2To3.push_back({29 + i, 49 + i});
    const auto reversed = [](std::vector<std::pair<int, int>> list) {
        for (auto& p : list) std::swap(p.first, p.second);
        return list;
    };
    const std::vector<Pair> pairs = {{0, 1, osc1To2, {37, 38, 39, 40, 41}},
                                     {0, 2, osc1To3, {57, 58, 59, 60, 61}},
                                     {1, 0, reversed(osc1To2), {18, 19, 20, 21}},
                                     {2, 1, reversed(osc2To3), {}}};
    for (const Pair& p : pairs) {
        auto plug = makeInstrument();
        // Every oscillator parameter gets a distinct in-range value.
        for (int idx = 10; idx <= 68; ++idx) {
            const IParam* param = plug->GetParam(idx);
            const double n = ((idx * 37) % 11 + 1) / 13.0;
            plug->SetParameterFromGUI(
                idx, param->Type() == IParam::kTypeDouble ? n : param->GetNormalized(param->GetMax()));
        }
        plug->SetParameterFromGUI(11, 7 / 65535.0);
        std::vector<double> before(153);
        for (int idx = 0; idx < 153; ++idx) before[idx] = plug->GetParam(idx)->Value();
        plug->copyOsc(p.from, p.to);
        for (const auto& [source, target] : p.copied)
            EXPECT_DOUBLE_EQ(plug->GetParam(target)->GetNormalized(), plug->GetParam(source)->GetNormalized())
                << p.from << "->" << p.to << " " << target;
        for (const int idx : p.untouched) EXPECT_EQ(plug->GetParam(idx)->Value(), before[idx]) << idx;
    }
}

TEST(KorvantaDispatch, CopyingHardSyncCarriesTheIndexAndNothingIsCopiedOntoItself) {
    auto plug = makeInstrument();
    setParam(*plug, 37, 2); // "Hard Sync 2" = "Osc 3"
    setParam(*plug, 39, 0); // "Linear FM 2" = "Osc 1"
    plug->copyOsc(1, 2);
    EXPECT_EQ(plug->GetParam(57)->Int(), 2); // "Hard Sync 3" = "Osc 2"
    EXPECT_EQ(plug->GetParam(59)->Int(), 0); // "Linear FM 3" = "Osc 2"
    EXPECT_STREQ(plug->GetParam(57)->GetDisplayText(2), "Osc 2");
    const int automations = testhost::host().automations;
    plug->copyOsc(0, 0);
    plug->copyOsc(3, 0);
    EXPECT_EQ(testhost::host().automations, automations);
}

TEST(KorvantaDispatch, ResetAtTheSameRateKeepsVoicesButForgetsKeysAndLearning) {
    auto plug = makeInstrument(44100.0, 512);
    plug->setNoteOn(60, 100);
    plug->doMidiLearn(true);
    plug->Reset();
    EXPECT_EQ(std::tuple(plug->getVoice(0).isActive(), plug->noteCounter, plug->getNumPressedKeys(),
                         plug->midiLearnOn, plug->subBlockLeft),
              std::tuple(true, 1, 0, false, 0));
}

TEST(KorvantaDispatch, ResetAtANewRatePreparesEverythingAgain) {
    auto plug = makeInstrument(44100.0, 512);
    plug->setNoteOn(60, 100);
    plug->modWheel = 0.5;
    plug->pitchBend = 0.5;
    plug->channelAfterTouch = 0.5;
    const int stages = plug->getChorus().getStages();
    plug->SetSampleRate(96000.0);
    plug->Reset();
    EXPECT_EQ(std::tuple(plug->getVoice(0).isActive(), plug->noteCounter, plug->modWheel, plug->pitchBend,
                         plug->channelAfterTouch, plug->getSubBlockLength(), plug->getClock().getRate()),
              std::tuple(false, 0, 0.0, 0.0, 0.5, 96, 96000.0));
    EXPECT_NE(plug->getChorus().getStages(), stages);
}
