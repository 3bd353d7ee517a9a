#include "tuning/Pitch.h"

#include <gtest/gtest.h>

TEST(Pitch, ConvertsTheReferencePitchesExactlyAndInterpolatesInHz) {
    const auto& hz = Pitch::MIDI2Hz();
    const auto& anti = Pitch::AntiMIDI2Hz();
    using P = std::pair<int, double>;
    for (const auto& [pitch, expected] :
         {P{0, 8.176}, P{8832, 440.0}, P{64, (8.176 + 8.662) / 2.0}, P{17280, 19912.127},
          P{1 << 30, 19912.127}, P{-17280, 0.0033570162}, P{-(1 << 30), 0.0033570162}, P{127 * 128, 12543.85},
          P{124 * 128, 10548.08}, P{69 * 128 + 32, hz[69] + (hz[70] - hz[69]) * 0.25},
          P{-(12 * 128 + 96), anti[12] + (anti[13] - anti[12]) * 0.75}})
        EXPECT_DOUBLE_EQ(Pitch::convert2Hz(pitch), expected) << pitch;
    EXPECT_DOUBLE_EQ(hz[128], 13289.75);
    for (int p = -17279; p < 17279; ++p) ASSERT_LT(Pitch::convert2Hz(p), Pitch::convert2Hz(p + 1)) << p;
}
