#include "Pitch.h"

#include <gtest/gtest.h>

TEST(Pitch, ConvertsTheReferencePitchesExactly) {
    EXPECT_DOUBLE_EQ(Pitch::convert2Hz(0), 8.176);
    EXPECT_DOUBLE_EQ(Pitch::convert2Hz(8832), 440.0);
    EXPECT_DOUBLE_EQ(Pitch::convert2Hz(64), (8.176 + 8.662) / 2.0);
    EXPECT_DOUBLE_EQ(Pitch::convert2Hz(17280), 19912.127);
    EXPECT_DOUBLE_EQ(Pitch::convert2Hz(-17280), 0.0033570162);
    EXPECT_DOUBLE_EQ(Pitch::convert2Hz(1 << 30), 19912.127);
    EXPECT_DOUBLE_EQ(Pitch::convert2Hz(-(1 << 30)), 0.0033570162);
}

TEST(Pitch, TablesKeepTheirHistoricRounding) {
    const auto& hz = Pitch::MIDI2Hz();
    EXPECT_DOUBLE_EQ(hz[0], 8.176);
    EXPECT_DOUBLE_EQ(hz[69], 440.0);
    EXPECT_DOUBLE_EQ(hz[124], 10548.08);
    EXPECT_DOUBLE_EQ(hz[125], 11175.3);
    EXPECT_DOUBLE_EQ(hz[126], 11839.82);
    EXPECT_DOUBLE_EQ(hz[127], 12543.85);
    EXPECT_DOUBLE_EQ(hz[128], 13289.75);
    EXPECT_DOUBLE_EQ(hz[135], 19912.127);
    EXPECT_DOUBLE_EQ(Pitch::AntiMIDI2Hz()[0], 8.176);
    EXPECT_DOUBLE_EQ(Pitch::AntiMIDI2Hz()[135], 0.0033570162);
}

TEST(Pitch, InterpolatesLinearlyInHzBetweenSemitones) {
    const auto& hz = Pitch::MIDI2Hz();
    EXPECT_DOUBLE_EQ(Pitch::convert2Hz(69 * 128 + 32), hz[69] + (hz[70] - hz[69]) * 0.25);
    const auto& anti = Pitch::AntiMIDI2Hz();
    EXPECT_DOUBLE_EQ(Pitch::convert2Hz(-(12 * 128 + 96)), anti[12] + (anti[13] - anti[12]) * 0.75);
    for (int p = -17279; p < 17279; ++p) ASSERT_LT(Pitch::convert2Hz(p), Pitch::convert2Hz(p + 1)) << p;
}
