#include "engine/Chorus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Index of the largest left output for a unit impulse at sample 0, wet only.
int impulseDelay(Chorus& chorus, int samples) {
    int best = 0;
    double peak = 0.0;
    for (int n = 0; n < samples; ++n) {
        double l = n == 0 ? 1.0 : 0.0, r = l;
        chorus.process(&l, &r);
        if (std::abs(l) > peak) {
            peak = std::abs(l);
            best = n;
        }
    }
    return best;
}

Chorus& wetOnly(Chorus& chorus) {
    chorus.dryGain = 0.0;
    chorus.wetGain = 1.0;
    return chorus;
}

} // namespace

TEST(Chorus, StepSweepsBetweenDelayAndDepthBounds) {
    Chorus chorus;
    chorus.delay = 0.5;
    chorus.depth = 0.15;
    chorus.setPeriod(3); // triangle -1, +1, -1
    double low = 1.0, high = 0.0;
    for (int n = 0; n < 6; ++n) {
        chorus.update();
        low = std::min(low, chorus.getStep());
        high = std::max(high, chorus.getStep());
    }
    EXPECT_DOUBLE_EQ(low, 0.496875);
    EXPECT_DOUBLE_EQ(high, 0.628125);
}

TEST(Chorus, DelayTimeIsStagesTimesStep) {
    using Case = std::tuple<double, double>;
    for (const auto& [delay, step] : {Case{0.0, 0.125}, Case{1.0, 1.0}}) {
        Chorus chorus;
        chorus.delay = delay;
        chorus.depth = 0.0;
        chorus.update();
        ASSERT_EQ(chorus.getStep(), step);
        const int expected = static_cast<int>(882 * step);
        const int measured = impulseDelay(wetOnly(chorus), 2000);
        // The band-limiting filters add a few samples of group delay.
        EXPECT_GE(measured, expected) << delay;
        EXPECT_LE(measured, expected + 12) << delay;
    }
    // The line holds 20 ms.
    Chorus chorus;
    EXPECT_EQ(chorus.getStages(), 882);
    chorus.init(48000.0);
    EXPECT_EQ(chorus.getStages(), 960);
}

TEST(Chorus, ClearSilencesTheWetSignal) {
    Chorus chorus;
    wetOnly(chorus);
    for (int n = 0; n < 3000; ++n) {
        double l = std::sin(n * 0.05), r = l;
        chorus.process(&l, &r);
    }
    chorus.clear();
    for (int n = 0; n < 3000; ++n) {
        double l = 0.0, r = 0.0;
        chorus.process(&l, &r);
        ASSERT_EQ(std::pair(l, r), std::pair(0.0, 0.0)) << n;
    }
}

TEST(Chorus, FullFeedbackStaysBounded) {
    for (const double feedback : {1.0, -1.0}) {
        Chorus chorus;
        wetOnly(chorus).feedback = feedback;
        double peak = 0.0;
        for (int n = 0; n < 5 * 44100; ++n) {
            if (n % 44 == 0) chorus.update();
            double l = 0.9 * std::sin(n * 0.01), r = l;
            chorus.process(&l, &r);
            ASSERT_TRUE(std::isfinite(l));
            peak = std::max(peak, std::abs(l));
        }
        EXPECT_LT(peak, 10.0) << feedback;
    }
}
