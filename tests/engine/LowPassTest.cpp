#include "engine/LowPass.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

// Peak output amplitude of a steady sine after the filter has settled.
double sineGain(LowPass& filter, double hz, double fs) {
    const double w = 2.0 * std::numbers::pi * hz / fs;
    double peak = 0.0;
    for (int n = 0; n < 40000; ++n) {
        const double y = filter.process(std::sin(w * n));
        if (n > 20000) peak = std::max(peak, std::abs(y));
    }
    return peak;
}

LowPass makeLowPass(double fs, double fc) {
    LowPass filter;
    filter.setSampleRate(fs);
    filter.setCutoff(fc);
    return filter;
}

} // namespace

TEST(LowPass, GainAtCutoffEqualsQ) {
    using Case = std::tuple<double, double, bool, double>;
    for (const auto& [fs, fc, setQ, expected] :
         {Case{44100.0, 2000.0, false, 0.7071067811865476}, Case{48000.0, 7000.0, false, 0.7071067811865476},
          Case{44100.0, 2000.0, true, 0.7363961030678928}}) {
        LowPass filter = makeLowPass(fs, fc);
        if (setQ) filter.setQ(0.7071067811865476);
        EXPECT_NEAR(sineGain(filter, fc, fs), expected, 2e-3) << fc << " Hz at " << fs;
    }
    LowPass mapped;
    mapped.setSampleRate(44100.0);
    EXPECT_EQ(mapped.getQ(), 0.7071067811865476);
    mapped.setQ(0.7071067811865476);
    EXPECT_DOUBLE_EQ(mapped.getQ(), 0.7363961030678928);
}

// Non-numbers in the input never poison the state.
TEST(LowPass, PassesDcAfterNonNumbersAndRejectsHighFrequencies) {
    LowPass filter = makeLowPass(44100.0, 2000.0);
    filter.process(std::numeric_limits<double>::quiet_NaN());
    filter.process(std::numeric_limits<double>::infinity());
    double y = 0.0;
    for (int n = 0; n < 2000; ++n) y = filter.process(1.0);
    EXPECT_NEAR(y, 1.0, 1e-9);
    LowPass high = makeLowPass(44100.0, 2000.0);
    EXPECT_LT(sineGain(high, 15000.0, 44100.0), 0.03);
}
