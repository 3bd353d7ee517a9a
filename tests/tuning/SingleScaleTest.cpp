#include "CSingleScale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

using TUN::CSingleScale;

TEST(CSingleScale, StartsInEqualTemperamentAroundA440) {
    CSingleScale scale;
    EXPECT_EQ(scale.GetBaseNote(), 69);
    EXPECT_DOUBLE_EQ(scale.GetBaseFreq(), 440.0);
    for (int i = 0; i < 128; ++i)
        EXPECT_DOUBLE_EQ(scale.GetFrequency(i), 440.0 * std::pow(2.0, (i - 69) / 12.0));
    for (int i = 0; i < 128; ++i) EXPECT_EQ(scale.MapMIDI2Scale(i), i);
    EXPECT_TRUE(scale.AppliesToChannel(12345));
}

TEST(CSingleScale, InitEqualRewritesTheTableAndDropsFormulas) {
    CSingleScale scale;
    scale.AddFormula(TUN::CFormula(3));
    scale.InitEqual(60, 261.0);
    EXPECT_TRUE(scale.GetFormulas().empty());
    EXPECT_DOUBLE_EQ(scale.GetFrequency(72), 522.0);
    // Far-away base notes must not overflow the exponent's arithmetic.
    scale.InitEqual(-2147483647L - 1, 1.0);
    EXPECT_TRUE(std::isinf(scale.GetFrequency(0)));
}

TEST(CSingleScale, LoopedMappingRepeatsAndClamps) {
    CSingleScale scale;
    scale.SetMappingLoopSize(-4);
    EXPECT_EQ(scale.GetMappingLoopSize(), 0);
    std::istringstream text(
        "[Scale Begin]\nFormat = \"AnaMark-TUN\"\nFormatVersion = 200\n"
        "[Functional Tuning]\n[Mapping]\nLoopSize = 12\nKeyboard 0 = 2\nKeyboard 1 = -5\n"
        "Keyboard 2 = 9223372036854775807\nKeyboard 3 = -9223372036854775808\n[Scale End]\n");
    TUN::CStringParser parser;
    ASSERT_EQ(scale.Read(text, parser), 1) << scale.GetErrorText();
    EXPECT_EQ(scale.MapMIDI2Scale(24), 26);
    EXPECT_EQ(scale.MapMIDI2Scale(25), 19);
    EXPECT_EQ(scale.MapMIDI2Scale(1), 0);
    EXPECT_EQ(scale.MapMIDI2Scale(14), 127);
    EXPECT_EQ(scale.MapMIDI2Scale(15), 0);
    EXPECT_EQ(scale.MapMIDI2Scale(120), 122);
    EXPECT_EQ(scale.MapMIDI2Scale(4), 4);
    // Notes outside the keyboard are clamped before they index the mapping.
    EXPECT_EQ(scale.MapMIDI2Scale(-3), 2);
    EXPECT_EQ(scale.MapMIDI2Scale(1000), 127);
}

TEST(CSingleScale, ChannelAssignmentReplacesTheListOnlyWhenValid) {
    CSingleScale scale;
    ASSERT_TRUE(scale.SetMIDIChannelsAssignment("2-3, 65535"));
    EXPECT_FALSE(scale.SetMIDIChannelsAssignment("1,x"));
    EXPECT_EQ(scale.GetMIDIChannelRanges().size(), 2u);
    EXPECT_TRUE(scale.AppliesToChannel(65535));
    EXPECT_FALSE(scale.AppliesToChannel(1));
    ASSERT_TRUE(scale.SetMIDIChannelsAssignment(""));
    EXPECT_TRUE(scale.AppliesToChannel(1));
}

TEST(CSingleScale, ResetKeepsTheExactTuningPreference) {
    CSingleScale scale;
    scale.SetExactTuningPreference(true);
    scale.Reset();
    EXPECT_TRUE(scale.GetExactTuningPreference());
}
