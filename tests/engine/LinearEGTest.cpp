#include "engine/LinearEG.h"

#include <gtest/gtest.h>

namespace {

LinearEG makeEG(double fs, double attack, double decay, double sustain, double release) {
    LinearEG eg;
    eg.setSampleRate(fs);
    eg.setAttack(attack);
    eg.setDecay(decay);
    eg.setSustain(sustain);
    eg.setRelease(release);
    return eg;
}

int samplesUntil(LinearEG& eg, int state) {
    int n = 0;
    while (eg.getState() != state && n < 10000000) {
        eg.update();
        ++n;
    }
    return n;
}

} // namespace

TEST(LinearEG, ZeroTimeStagesTakeOneSampleEach) {
    LinearEG eg = makeEG(44100.0, 0.0, 0.0, 0.5, 0.0);
    eg.start();
    using Step = std::pair<double, int>;
    for (const auto& expected :
         {Step{1.0, LinearEG::kAttack}, Step{1.0, LinearEG::kDecay}, Step{0.5, LinearEG::kSustain}}) {
        eg.update();
        EXPECT_EQ(Step(eg.getLevel(), eg.getState()), expected);
    }
    // Zero release ends in one sample.
    LinearEG quick = makeEG(1000.0, 0.0, 0.0, 0.7, 0.0);
    quick.start();
    for (int n = 0; n < 3; ++n) quick.update();
    quick.stop();
    quick.update();
    EXPECT_EQ(std::pair(quick.getLevel(), quick.isOn()), std::pair(0.0, false));
}

TEST(LinearEG, StagesLastTenSecondsTimesTheParameter) {
    // At 1000 Hz a parameter of 0.1 is 1000 samples.
    LinearEG eg = makeEG(1000.0, 0.1, 0.1, 0.5, 0.1);
    eg.start();
    EXPECT_EQ(eg.getSlope(), 1.0 / 1000.0);
    EXPECT_NEAR(samplesUntil(eg, LinearEG::kDecay), 1001, 1);
    EXPECT_EQ(eg.getSlope(), -0.5 / 1000.0);
    EXPECT_NEAR(samplesUntil(eg, LinearEG::kSustain), 1000, 1);
    EXPECT_EQ(eg.getLevel(), 0.5);
    eg.stop();
    EXPECT_EQ(eg.getSlope(), -0.5 / 1000.0);
    EXPECT_NEAR(samplesUntil(eg, LinearEG::kOff), 1000, 1);
    EXPECT_EQ(eg.getLevel(), 0.0);
}

TEST(LinearEG, RaisingTheSustainDuringDecayEndsTheDecayThere) {
    LinearEG eg = makeEG(1000.0, 0.0, 0.5, 0.1, 0.1);
    eg.start();
    for (int n = 0; n < 100; ++n) eg.update();
    ASSERT_EQ(eg.getState(), LinearEG::kDecay);
    const double level = eg.getLevel();
    eg.setSustain(level + 0.01);
    eg.update();
    EXPECT_EQ(std::pair(eg.getLevel(), eg.getState()), std::pair(level + 0.01, int(LinearEG::kSustain)));
}

TEST(LinearEG, ReleaseRetimedWithZeroSustainHoldsTheLevel) {
    LinearEG eg = makeEG(1000.0, 0.0, 0.0, 0.0, 0.5);
    eg.start();
    eg.update();
    eg.stop();
    for (int n = 0; n < 10; ++n) eg.update();
    eg.setRelease(0.2);
    EXPECT_EQ(eg.getSlope(), 0.0);
    const double held = eg.getLevel();
    for (int n = 0; n < 10000; ++n) eg.update();
    EXPECT_EQ(std::pair(eg.getLevel(), eg.getState()), std::pair(held, int(LinearEG::kRelease)));
    eg.reset();
    EXPECT_FALSE(eg.isOn());
}

TEST(LinearEG, SingleTriggerIgnoresStartsUntilRelease) {
    LinearEG eg = makeEG(1000.0, 0.0, 0.0, 0.7, 0.5);
    eg.setTrigger(true);
    eg.start();
    for (int n = 0; n < 3; ++n) eg.update();
    ASSERT_EQ(eg.getState(), LinearEG::kSustain);
    eg.start();
    EXPECT_EQ(eg.getState(), LinearEG::kSustain);
    eg.stop();
    eg.update();
    eg.start();
    EXPECT_EQ(eg.getState(), LinearEG::kAttack);
}
