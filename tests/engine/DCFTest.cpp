#include "engine/DCF.h"

#include "tuning/Pitch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

DCF makeFilter(double fs, int type, int cutoff, double resonance) {
    DCF filter;
    filter.setSampleRate(fs);
    filter.setType(type);
    filter.setResonance(resonance);
    filter.setCutoff(cutoff, false);
    return filter;
}

// Steady-state peak gain for a sine of hz on the left channel.
double sineGain(DCF& filter, double hz, double fs, double amplitude = 0.01) {
    const double w = 2.0 * std::numbers::pi * hz / fs;
    double peak = 0.0;
    for (int n = 0; n < 30000; ++n) {
        double l = amplitude * std::sin(w * n);
        double r = l;
        filter.process(&l, &r, 0);
        if (n > 20000) peak = std::max(peak, std::abs(l));
    }
    return peak / amplitude;
}

// Left output after samples of a unit step.
double stepAfter(DCF& filter, int samples, int mod) {
    double l = 0.0, r = 0.0;
    for (int n = 0; n < samples; ++n) {
        l = r = 1.0;
        filter.process(&l, &r, mod);
    }
    return l;
}

} // namespace

TEST(DCF, WithoutResonanceLowpass24IsFourBilinearPoles) {
    const double fs = 44100.0;
    const int cutoff = 128 * 83; // about 1 kHz
    DCF filter = makeFilter(fs, Properties::eLowpass24, cutoff, 0.0);
    const double omega = Pitch::convert2Hz(cutoff) * 2.0 * std::numbers::pi / fs;
    // One unwarped bilinear pole at its own cutoff: ω / |ω + j·2tan(ω/2)|.
    const double stage = omega / std::hypot(omega, 2.0 * std::tan(omega / 2.0));
    EXPECT_NEAR(sineGain(filter, Pitch::convert2Hz(cutoff), fs), std::pow(stage, 4), 2e-3);
    DCF dc = makeFilter(fs, Properties::eLowpass24, cutoff, 0.0);
    EXPECT_NEAR(stepAfter(dc, 5000, 0), 1.0, 1e-6);
}

TEST(DCF, OutputGainAndFeedbackFollowTheResonance) {
    using Case = std::tuple<double, double>;
    for (const auto& [resonance, gain] : {Case{0.0, 1.0}, Case{0.25, 1.75}, Case{0.5, 2.0}, Case{1.0, 1.0}}) {
        DCF filter = makeFilter(44100.0, Properties::eLowpass24, 0, resonance);
        double l = 0.0, r = 0.0;
        filter.process(&l, &r, 0);
        EXPECT_EQ(std::pair(filter.getOutputGain(), filter.getFeedback()), std::pair(gain, resonance * 4.1))
            << resonance;
    }
}

TEST(DCF, KnobCutoffSlidesOneStepPerSample) {
    DCF filter = makeFilter(44100.0, Properties::eLowpass24, 900, 0.0);
    filter.setCutoff(1000, true);
    double l = 0.0, r = 0.0;
    for (int n = 0; n < 99; ++n) filter.process(&l, &r, 0);
    EXPECT_EQ(filter.getCurrentCutoff(), 999);
    filter.process(&l, &r, 0);
    EXPECT_EQ(filter.getCurrentCutoff(), 1000);
    filter.process(&l, &r, 0);
    EXPECT_EQ(filter.getCurrentCutoff(), 1000);

    filter.setCutoff(990, true);
    for (int n = 0; n < 20; ++n) filter.process(&l, &r, 0);
    EXPECT_EQ(filter.getCurrentCutoff(), 990);
    filter.setCutoff(5000, false);
    EXPECT_EQ(filter.getCurrentCutoff(), 5000);
}

TEST(DCF, ResetStatesSeedSelfOscillationAndOnlyANewTypeResetsThem) {
    DCF filter = makeFilter(44100.0, Properties::eLowpass24, 9000, 0.0);
    EXPECT_EQ(std::tuple(filter.getStageState(0, 0), filter.getStageState(1, 0), filter.getStageState(2, 1),
                         filter.getStageState(3, 1)),
              std::tuple(0.0, 0.01, 0.0, -0.01));

    // With full resonance and no input at all, the seed grows into a sustained oscillation.
    filter.setResonance(1.0);
    double sum = 0.0;
    for (int n = 0; n < 88200; ++n) {
        double l = 0.0, r = 0.0;
        filter.process(&l, &r, 0);
        if (n >= 44100) sum += l * l;
    }
    EXPECT_GT(std::sqrt(sum / 44100.0), 0.1);
    // Only a new type resets the states.
    DCF typed = makeFilter(44100.0, Properties::eLowpass24, 9000, 0.3);
    double l = 0.5, r = 0.5;
    for (int n = 0; n < 10; ++n) typed.process(&l, &r, 0);
    const double state = typed.getStageState(0, 0);
    typed.setType(Properties::eLowpass24);
    EXPECT_EQ(typed.getStageState(0, 0), state);
    typed.setType(Properties::eHighpass24);
    EXPECT_EQ(std::pair(typed.getStageState(0, 0), typed.getStageState(1, 0)), std::pair(0.0, 0.01));
}

TEST(DCF, TypesShapeTheResponse) {
    const double fs = 48000.0;
    const int cutoff = 128 * 83;
    const double fc = Pitch::convert2Hz(cutoff);
    // Four poles pass about 1/8^4 three octaves into the stop band, two poles about 1/8^2.
    using Case = std::tuple<int, double, double, double>;
    for (const auto& [type, hz, low, high] : {Case{Properties::eLowpass24, 8.0 * fc, 0.0, 1.0 / 3000.0},
                                              Case{Properties::eLowpass12, 8.0 * fc, 0.01, 0.02},
                                              Case{Properties::eHighpass24, 8.0 * fc, 0.95, 1.05},
                                              Case{Properties::eHighpass24, fc / 8.0, 0.0, 1.0 / 3000.0}}) {
        DCF filter = makeFilter(fs, type, cutoff, 0.0);
        const double gain = sineGain(filter, hz, fs);
        EXPECT_TRUE(gain > low && gain < high) << type << " at " << hz << ": " << gain;
    }
}

TEST(DCF, CutoffModulationIsClampedToTheTableEnds) {
    using Case = std::tuple<int, int, int>;
    for (const auto& [cutoff, mod, equivalent] :
         {Case{0, -500, 0}, Case{100, std::numeric_limits<int>::min(), 0}, Case{17000, 1000, 17280},
          Case{17280, std::numeric_limits<int>::max(), 17280}}) {
        DCF modulated = makeFilter(44100.0, Properties::eLowpass24, cutoff, 0.7);
        DCF plain = makeFilter(44100.0, Properties::eLowpass24, equivalent, 0.7);
        for (int n = 0; n < 200; ++n) {
            double l1 = std::sin(n * 0.3), r1 = l1, l2 = l1, r2 = l1;
            modulated.process(&l1, &r1, mod);
            plain.process(&l2, &r2, 0);
            ASSERT_EQ(l1, l2) << cutoff << " " << mod;
        }
    }
}

TEST(DCF, RecursiveStatesNeverGoSubnormalInALongSilentTail) {
    for (const int type : {Properties::eLowpass24, Properties::eLowpass12, Properties::eHighpass24}) {
        DCF filter = makeFilter(44100.0, type, 12000, 0.2);
        for (int n = 0; n < 10 * 44100; ++n) {
            double l = n < 1000 ? std::sin(n * 0.2) : 0.0, r = l;
            filter.process(&l, &r, 0);
            for (int state = 0; state < 8; ++state)
                ASSERT_NE(std::fpclassify(filter.getStageState(state / 2, state % 2)), FP_SUBNORMAL);
            ASSERT_NE(std::fpclassify(l), FP_SUBNORMAL);
        }
    }
}

TEST(DCF, AnEffectiveCutoffOfMinusOneStillGetsCoefficients) {
    // Right after a reset the coefficients are zero; an effective cutoff that happens to be −1 must
    // not be mistaken for "already computed", or the filter stays silent.
    DCF filter = makeFilter(44100.0, Properties::eLowpass24, 0, 0.0);
    EXPECT_GT(stepAfter(filter, 20000, -1), 0.5);
}
