#include "engine/Oscillator.h"
#include "engine/MipMap.h"
#include "tests/support/SignalAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace {

constexpr int kPitchC4 = 60 * 128;

// Tables are built once per process and shared; building them per test would only cost time.
const MipMap& table(eROMTable id) {
    static std::vector<std::unique_ptr<MipMap>> built(eNumROMTables);
    if (!built[id]) {
        built[id] = std::make_unique<MipMap>();
        built[id]->createMipMap(id);
    }
    return *built[id];
}

void play(Oscillator& osc, eROMTable id, int pitch = kPitchC4, double shape = 0.0) {
    osc.setMipMap(const_cast<MipMap*>(&table(id)));
    osc.setOctave(1);
    osc.setWaveShape(shape);
    osc.update(pitch, 0.0);
}

std::vector<double> render(Oscillator& osc, int samples, double fm = 0.0) {
    std::vector<double> out(samples);
    for (double& s : out) s = osc.process(fm);
    return out;
}

} // namespace

TEST(Oscillator, SharedTablesAt44100) {
    const Oscillator::Tables& t = Oscillator::tablesFor(44100.0);
    EXPECT_EQ(std::tuple(t.freq2PhInc[17280], t.freq2PhInc[17280] >> 16, int(t.freq2map[17280]),
                         int(t.freq2map[0])),
              std::tuple(60602277, 924, 9, 0));
    EXPECT_EQ(t.freq2PhInc[0], static_cast<int32_t>(8.176 * 134217728.0 / 44100.0));
    // Unusable rates fall back to 44.1 kHz.
    for (const double unusable : {std::numeric_limits<double>::quiet_NaN(), 0.0})
        EXPECT_EQ(&Oscillator::tablesFor(unusable), &t);
    // Absurdly low rates cannot overflow the phase.
    EXPECT_EQ(std::pair(Oscillator::tablesFor(1.0).freq2PhInc[17280],
                        int(Oscillator::tablesFor(1.0).freq2map[17280])),
              std::pair(1 << 30, 0));
}

// The level whose waves have no more partials than the step leaves below half the sample rate; from a
// whole cycle per sample on, the step plays the fundamental's aliases and the fullest level.
TEST(Oscillator, LevelFollowsTheWholeTableSamplesPerStep) {
    for (int step = 0; step < 4200; ++step) {
        const int level =
            step >= 2048 ? 0 : std::min(9, static_cast<int>(std::ceil(std::log2(std::max(step, 1)))));
        EXPECT_EQ(Oscillator::levelFor(step << 16), level) << "step " << step;
        EXPECT_EQ(Oscillator::levelFor((step << 16) + 65535), level) << "step " << step << " and a fraction";
    }
}

TEST(Oscillator, TablesForNewRatesCanBeBuiltFromSeveralThreads) {
    std::vector<const Oscillator::Tables*> found(4);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < found.size(); ++i)
        threads.emplace_back([&found, i] { found[i] = &Oscillator::tablesFor(96000.0 + (i % 2)); });
    for (auto& t : threads) t.join();
    EXPECT_EQ(std::pair(found[0], found[1]), std::pair(found[2], found[3]));
    EXPECT_NE(found[0], found[1]);
    EXPECT_EQ(found[0]->sampleRate, 96000.0);
}

TEST(Oscillator, WaveSelectionAcrossATable) {
    using Case = std::tuple<eROMTable, double, bool, uint32_t, uint32_t, double, double>;
    const Case cases[] = {
        {eSineTriSquareSaw, 0.5, true, 1, 2, 0.5, 0.5}, {eSineTriSquareSaw, 0.5, false, 2, 3, 0.5, 0.5},
        {eSawTri, 1.0, true, 63, 63, 1.0, 0.0},         {eSawTri, 1.0, false, 63, 63, 1.0, 0.0},
        {eSawTri, 0.25, true, 15, 16, 0.25, 0.75},      {eSawTri, -1.0, true, 0, 1, 1.0, 0.0}};
    for (const auto& [id, shape, interpolate, a, b, weightA, fraction] : cases) {
        Oscillator osc;
        osc.interpolate = interpolate;
        play(osc, id, kPitchC4, shape);
        EXPECT_EQ(std::tuple(osc.getWaveA(), osc.getWaveB(), osc.getWeightA(), osc.getFraction()),
                  std::tuple(a, b, weightA, fraction))
            << id << " shape " << shape;
    }
}

TEST(Oscillator, PitchOffsetFromOctavePitchAndTune) {
    using Case = std::tuple<int, int, double, int>;
    for (const auto& [octave, pitch, tune, offset] :
         {Case{1, 0, 0.0, 0}, Case{0, 0, 0.0, -1536}, Case{3, 0, 0.0, 3072}, Case{1, 1, 0.0, 128},
          Case{1, 0, 1.0, 64}, Case{1, 0, 0.5078125, 33}, Case{2, -7, 0.25, 1536 - 896 + 16}}) {
        Oscillator osc;
        osc.setOctave(octave);
        osc.setPitch(pitch);
        osc.setTune(tune);
        EXPECT_EQ(osc.getPitchOffset(), offset) << octave << " " << pitch << " " << tune;
    }
}

TEST(Oscillator, PitchesOutsideTheRangeMuteForThatTick) {
    using Case = std::tuple<double, int, bool>;
    for (const auto& [pitch, index, muted] :
         {Case{-0.5, 0, false}, Case{-1.0, 0, true}, Case{17280.9, 17280, false}, Case{17281.0, 17280, true},
          Case{std::numeric_limits<double>::quiet_NaN(), 0, true}}) {
        Oscillator osc;
        play(osc, eSaw);
        osc.update(pitch, 0.0);
        EXPECT_EQ(std::pair(osc.getPitchIndex(), osc.isMuted()), std::pair(index, muted)) << pitch;
    }
}

TEST(Oscillator, MutedOscillatorIsSilentButKeepsRunning) {
    Oscillator osc;
    play(osc, eSaw, kPitchC4);
    osc.update(-1000.0, 0.0);
    ASSERT_TRUE(osc.isMuted());
    const int32_t increment = osc.getIncrement();
    ASSERT_GT(increment, 0);
    bool wrapped = false;
    int32_t expected = 0;
    for (int i = 0; i < 20000; ++i) {
        EXPECT_EQ(osc.process(0.5), 0.0);
        expected = (expected + increment) & (Oscillator::kCycle - 1);
        wrapped = wrapped || osc.hasWrapped();
    }
    EXPECT_EQ(osc.getPhase(), expected);
    EXPECT_TRUE(wrapped);
}

TEST(Oscillator, StartPhaseQuarterReadsTableSample512First) {
    Oscillator osc;
    play(osc, eSineTriSquareSaw);
    osc.startPhase = 0.25;
    osc.restart();
    EXPECT_EQ(osc.getPhase(), 33554432);
    EXPECT_EQ(osc.process(0.0), table(eSineTriSquareSaw).getSample(osc.getLevel(), 0, 512));
}

TEST(Oscillator, SyncSourceWithoutIncrementRestartsAtTheStartPhase) {
    // A source restarted at the very end of its cycle wraps on its next sample even when it does not move.
    EXPECT_EQ(Oscillator::syncedPhase(0.5, 2000, 0, 0), 67108864);
    Oscillator source;
    play(source, eSaw);
    source.setMipMap(const_cast<MipMap*>(&table(eSaw))); // sounding, but stopped until its next update
    source.startPhase = 1.0;
    source.restart();
    Oscillator synced;
    play(synced, eSaw);
    synced.syncSource = &source;
    synced.startPhase = 0.5;
    synced.update(kPitchC4, 0.0);
    source.process(0.0);
    ASSERT_TRUE(source.hasWrapped());
    ASSERT_EQ(source.getIncrement(), 0);
    synced.process(0.0);
    EXPECT_EQ(synced.getPhase(), 67108864 + synced.getIncrement());
}

TEST(Oscillator, HardSyncRestartsWithinTheSample) {
    Oscillator source;
    play(source, eSaw, 6144);
    Oscillator synced;
    play(synced, eSaw, 7000);
    synced.syncSource = &source;
    synced.update(7000, 0.0);
    int restarts = 0;
    for (int i = 0; i < 10000; ++i) {
        source.process(0.0);
        const int32_t before = synced.getPhase();
        synced.process(0.0);
        if (source.hasWrapped()) {
            const auto passed = static_cast<int32_t>(
                std::lround(synced.getIncrement() * (double(source.getPhase()) / source.getIncrement())));
            EXPECT_EQ(synced.getPhase(), passed + synced.getIncrement());
            ++restarts;
        } else {
            EXPECT_EQ(synced.getPhase(), (before + synced.getIncrement()) & (Oscillator::kCycle - 1));
        }
    }
    EXPECT_GE(restarts, 20);
}

TEST(Oscillator, PhaseModulationShiftsTheReadPosition) {
    Oscillator plain, modulated;
    for (Oscillator* o : {&plain, &modulated}) play(*o, eSineTriSquareSaw);
    plain.startPhase = 0.25;
    plain.restart();
    // The 2 kHz smoothing passes a steady input at unity gain once it has settled.
    const std::vector<double> a = render(plain, 20000);
    const std::vector<double> b = render(modulated, 20000, 0.25);
    for (int i = 19000; i < 20000; ++i) EXPECT_EQ(a[i], b[i]) << i;
}

TEST(Oscillator, SawReadingsMakeADoubleSawAndPulses) {
    using Case = std::tuple<eROMTable, double, int32_t>;
    for (const auto& [id, shape, offset] :
         {Case{eSaw, 0.0, 0}, Case{eSaw, 0.5, 512}, Case{eSaw, 1.0, 1024}, Case{ePulse, 0.0, 1024},
          Case{ePulse, 1.0, 0}, Case{ePulse, 0.3, 716}, Case{eFullPWM, 0.0, 1024}, Case{eFullPWM, 0.5, 2048},
          Case{eFullPWM, 0.75, 2560}}) {
        Oscillator osc;
        play(osc, id, kPitchC4, shape);
        EXPECT_EQ(osc.getReadOffset(), offset) << id << " shape " << shape;
    }
}

// The second reading lies shape * 1024 table samples on: at shape 1 half a cycle, which leaves a saw an
// octave up.
TEST(Oscillator, SawShapeOneCancelsTheOddHarmonics) {
    Oscillator osc;
    play(osc, eSaw, 3 * 1536, 1.0); // 3 octaves above note 0: the table step stays below 1
    const std::vector<double> out = render(osc, 1 << 15);
    const double fundamental = osc.getIncrement() / double(Oscillator::kCycle) * out.size();
    const std::vector<double> mag = testsupport::magnitudeSpectrum(out);
    const auto at = [&](int h) { return mag[std::lround(h * fundamental)]; };
    EXPECT_LT(at(1), 1e-3 * at(2));
    EXPECT_LT(at(3), 1e-3 * at(2));
    EXPECT_GT(at(4), 0.3 * at(2));
}

TEST(Oscillator, PulseAtFullShapeAndFullPWMAtHalfAreSilent) {
    for (const auto& [id, shape] :
         std::vector<std::pair<eROMTable, double>>{{ePulse, 1.0}, {eFullPWM, 0.5}}) {
        Oscillator osc;
        play(osc, id, kPitchC4, shape);
        for (double s : render(osc, 2000)) ASSERT_EQ(s, 0.0);
    }
}
