#include "engine/ExpEG.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

int samplesUntil(ExpEG& eg, int state, int limit = 10000000) {
    int n = 0;
    while (eg.getState() != state && n < limit) {
        eg.update();
        ++n;
    }
    return n;
}

ExpEG makeEG(double fs, double attack, double decay, double sustain, double release) {
    ExpEG eg;
    eg.setSampleRate(fs);
    eg.setAttack(attack);
    eg.setDecay(decay);
    eg.setSustain(sustain);
    eg.setRelease(release);
    return eg;
}

} // namespace

TEST(ExpEG, StageTimesFollowTheTimeParameter) {
    // 1/k seconds with k = 5^(3.3 - 7.5x) + 0.05 decades per second.
    using Case = std::tuple<double, double>;
    for (const auto& [x, seconds] :
         {Case{0.0, 1.0 / 202.63}, Case{0.5, 1.0 / 0.5347}, Case{1.0, 1.0 / 0.05116}}) {
        ExpEG eg = makeEG(44100.0, x, 0.0, 1.0, x);
        eg.start();
        const int attack = samplesUntil(eg, ExpEG::kDecay);
        EXPECT_NEAR(attack / 44100.0, seconds, seconds * 0.005) << x;
        EXPECT_EQ(eg.getLevel(), 1.0) << x;
        eg.stop();
        const int release = samplesUntil(eg, ExpEG::kOff);
        EXPECT_NEAR(release / 44100.0, seconds, seconds * 0.005) << x;
        EXPECT_EQ(eg.getLevel(), 0.0);
    }
}

TEST(ExpEG, ZeroSustainHoldsTheDecayUntilStopped) {
    ExpEG eg = makeEG(44100.0, 0.0, 0.0, 0.0, 0.0);
    eg.start();
    samplesUntil(eg, ExpEG::kOff, 200000);
    EXPECT_EQ(eg.getState(), ExpEG::kDecay);
    EXPECT_LT(eg.getLevel(), 1e-6);
    eg.stop();
    EXPECT_EQ(eg.getState(), ExpEG::kRelease);
}

TEST(ExpEG, DecayGlidesToANewSustainLevel) {
    ExpEG eg = makeEG(44100.0, 0.0, 0.0, 0.2, 0.0);
    eg.start();
    for (const double sustain : {0.2, 0.8}) {
        eg.setSustain(sustain);
        samplesUntil(eg, ExpEG::kOff, 20000);
        EXPECT_NEAR(eg.getLevel(), sustain, 1e-9);
    }
}

TEST(ExpEG, TriggerModeDecidesWhetherAStartRestartsTheAttack) {
    for (const bool single : {true, false}) {
        ExpEG eg = makeEG(44100.0, 0.0, 0.5, 0.5, 0.5);
        eg.setTrigger(single);
        eg.start();
        samplesUntil(eg, ExpEG::kDecay);
        for (int n = 0; n < 1000; ++n) eg.update();
        const double level = eg.getLevel();
        eg.start();
        EXPECT_EQ(eg.getState(), single ? ExpEG::kDecay : ExpEG::kAttack);
        // Neither mode resets the level: a retriggered attack starts where the envelope is.
        EXPECT_EQ(eg.getLevel(), level);
    }
}

TEST(ExpEG, ChangingTheCurrentStageTimeTakesEffectAtOnce) {
    ExpEG eg = makeEG(44100.0, 1.0, 0.5, 0.5, 0.5);
    eg.start();
    eg.update();
    eg.setAttack(0.0);
    eg.setRelease(1.0); // not the current stage
    EXPECT_NEAR(eg.getCoefficient(), 0.01058, 5e-6);
}
