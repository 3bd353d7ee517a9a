#include "engine/Clock.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

ClockTime timeAt(double tempo, double ppq, bool running = true) {
    ClockTime time;
    time.tempo = tempo;
    time.ppqPos = ppq;
    time.samplePos = ppq < 0.0 ? -1.0 : 0.0;
    time.transportRunning = running;
    return time;
}

// A clock at rate, synchronised once to time; the clock may keep the address of what it was given.
Clock clockAt(double rate, const ClockTime& time) {
    static ClockTime given;
    given = time;
    Clock clock;
    clock.setRate(rate);
    clock.synchronize(&given);
    return clock;
}

} // namespace

TEST(Clock, PeriodsAt120BpmAnd44100) {
    Clock clock = clockAt(44100.0, timeAt(120.0, 0.0));
    EXPECT_EQ(clock.getSamplesPerBeat(), 22050.0);
    using Case = std::tuple<int, double, int>;
    for (const auto& [index, exact, rounded] :
         {Case{9, 22050.0, 22050}, Case{14, 7350.0, 7350}, Case{0, 352800.0, 352800},
          Case{11, 14700.0, 14700}, Case{19, 1378.125, 1378}, Case{16, 4134.375, 4134}}) {
        EXPECT_DOUBLE_EQ(clock.getExactPeriod(index), exact) << index;
        EXPECT_EQ(clock.getRoundedPeriod(index), rounded) << index;
    }
}

TEST(Clock, TempoIsRoundedToAThousandthBpmAndBrokenTempoCountsAs120) {
    EXPECT_EQ(roundTempo(119.99951), 120.0);
    EXPECT_DOUBLE_EQ(roundTempo(97.1234), 97.123);
    EXPECT_EQ(clockAt(44100.0, timeAt(119.99951, 0.0)).getRoundedPeriod(9), 22050);
    // A missing or broken tempo counts as 120 BPM.
    for (const double tempo :
         {0.0, -10.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(clockAt(48000.0, timeAt(tempo, 0.0)).getRoundedPeriod(9), 24000) << tempo;
    }
}

TEST(Clock, CountdownsRestartOnTheGrid) {
    Clock clock = clockAt(44100.0, timeAt(120.0, 0.0));
    clock.reset();
    EXPECT_EQ(clock.getCountdown(9), 22050);
    clock.tick(); // the boundary at the song start
    EXPECT_EQ(clock.getCountdown(9), 22050);
    for (int n = 0; n < 22049; ++n) clock.tick();
    EXPECT_EQ(clock.getCountdown(9), 1);
    EXPECT_NE(clock.getCountdown(12), 11025);
    clock.tick(); // one quarter note later the next one begins
    EXPECT_EQ(clock.getCountdown(9), 22050);
    EXPECT_EQ(clock.getCountdown(12), 11025); // "1/8" restarted on the same boundary
}

TEST(Clock, HostJumpingBackRestartsTheCountdowns) {
    ClockTime time = timeAt(120.0, 8.0);
    time.samplePos = 8.0 * 22050.0;
    Clock clock = clockAt(44100.0, time);
    for (int n = 0; n < 1000; ++n) clock.tick();
    time.ppqPos = 2.5;
    clock.synchronize(&time);
    EXPECT_EQ(clock.getPosition(), 0.0);
    EXPECT_EQ(clock.getCountdown(9), 22050);
    // The next block puts the position back on the host's grid: beat 3 is 8820 samples away.
    time.ppqPos = 2.6;
    clock.synchronize(&time);
    EXPECT_DOUBLE_EQ(clock.getPosition(), 2.6 * 22050.0);
    for (int n = 0; n < 8819; ++n) clock.tick();
    EXPECT_NE(clock.getCountdown(9), 22050);
    clock.tick();
    EXPECT_EQ(clock.getCountdown(9), 22050);
}
