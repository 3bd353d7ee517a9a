#include "engine/MG.h"

#include "engine/Clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

std::vector<double> run(MG& mg, int ticks) {
    std::vector<double> out;
    for (int n = 0; n < ticks; ++n) {
        mg.update();
        out.push_back(mg.output);
    }
    return out;
}

MG makeMG(int waveform, int period) {
    MG mg;
    mg.waveform = waveform;
    mg.setPeriod(period);
    return mg;
}

} // namespace

TEST(MG, RampRisesOverOnePeriod) {
    MG mg = makeMG(MG::eSawUp, 4);
    // The counter starts at 0, so the first tick is the end of a cycle.
    const std::vector<double> expected = {1.0, -1.0, -1.0 / 3.0, 1.0 / 3.0, 1.0, -1.0, -1.0 / 3.0};
    const std::vector<double> out = run(mg, 7);
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_DOUBLE_EQ(out[i], expected[i]) << i;
}

TEST(MG, WaveformsFollowTheRamp) {
    // Ramp over a period of 5 ticks after the first tick: -1, -0.5, 0, 0.5, 1.
    using Case = std::tuple<int, std::vector<double>>;
    for (const auto& [waveform, values] :
         {Case{MG::eSine, {0.0, 1.0, 0.0, -1.0, 0.0}}, Case{MG::eTriangle, {-1.0, 0.0, 1.0, 0.0, -1.0}},
          Case{MG::eSawDown, {1.0, 0.5, 0.0, -0.5, -1.0}}, Case{MG::eSawUp, {-1.0, -0.5, 0.0, 0.5, 1.0}},
          Case{MG::eRectangle, {1.0, 1.0, -1.0, -1.0, -1.0}}}) {
        MG mg = makeMG(waveform, 5);
        mg.update();
        const std::vector<double> out = run(mg, 5);
        for (size_t i = 0; i < out.size(); ++i) EXPECT_NEAR(out[i], values[i], 1e-12) << waveform << " " << i;
    }
}

TEST(MG, SampleAndHoldChangesOncePerCycle) {
    MG::setSeed(1);
    MG mg = makeMG(MG::eSampleHold, 10);
    const std::vector<double> out = run(mg, 41);
    int changes = 0;
    for (size_t i = 1; i < out.size(); ++i) {
        if (out[i] != out[i - 1]) {
            ++changes;
            EXPECT_EQ(i % 10, 1u) << i; // the tick after a cycle's end
        }
    }
    EXPECT_EQ(changes, 4);
    // The shared sequence: seed · 16807 with 32-bit wrap-around, scaled by 4.6566129e-10. The very
    // first tick ends a cycle without having begun one, so nothing is drawn until the second.
    EXPECT_EQ(out[0], 0.0);
    EXPECT_DOUBLE_EQ(out[1], 16807 * 4.6566129e-10);
}

TEST(MG, SetPeriodKeepsThePhase) {
    MG mg = makeMG(MG::eSawUp, 1000);
    mg.update(); // counter 0 -> 999
    for (int n = 0; n < 399; ++n) mg.update();
    ASSERT_EQ(mg.getCounter(), 600);
    mg.setPeriod(500);
    EXPECT_EQ(std::pair(mg.getCounter(), mg.getPeriod()), std::pair(300, 500));
}

TEST(MG, SyncedGeneratorTakesItsPhaseFromTheClock) {
    Clock clock;
    clock.setRate(44100.0);
    ClockTime time;
    std::tie(time.tempo, time.samplePos, time.ppqPos, time.transportRunning) =
        std::tuple(120.0, 0.0, 0.0, true);
    clock.synchronize(&time);
    clock.reset();

    MG mg = makeMG(MG::eSawUp, 1000);
    mg.setClock(&clock);
    mg.setSync(true);
    mg.syncRate = 9; // "1/4": 22050 samples
    std::vector<double> ramp;
    for (int tick = 0; tick < 1002; ++tick) {
        mg.update();
        ramp.push_back(mg.output);
        for (int n = 0; n < 44; ++n) clock.tick();
    }
    EXPECT_EQ(mg.getPeriod(), 2 * 44 * 22050);
    // A quarter note is 22050 samples, about 501 ticks of 44: one full rise per quarter note.
    for (const auto& [tick, value] : {std::pair{1, -1.0}, {251, 0.0}, {501, 1.0}, {502, -1.0}})
        EXPECT_NEAR(ramp[tick], value, 0.01) << tick;

    // Back to free running: the requested period returns.
    mg.setSync(false);
    EXPECT_EQ(mg.getPeriod(), 1000);
}
