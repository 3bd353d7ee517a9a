#include "tuning/CSingleScale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

using TUN::CSingleScale;

TEST(CSingleScale, InitEqualRewritesTheTableAndDropsFormulas) {
    CSingleScale scale;
    EXPECT_DOUBLE_EQ(scale.GetFrequency(69), 440.0);
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
    std::istringstream text(
        "[Scale Begin]\nFormat = \"AnaMark-TUN\"\nFormatVersion = 200\n"
        "[Functional Tuning]\n[Mapping]\nLoopSize = 12\nKeyboard 0 = 2\nKeyboard 1 = -5\n"
        "Keyboard 2 = 9223372036854775807\nKeyboard 3 = -9223372036854775808\n[Scale End]\n");
    TUN::CStringParser parser;
    ASSERT_EQ(scale.Read(text, parser), 1) << scale.GetErrorText();
    // Notes outside the keyboard are clamped before they index the mapping.
    using P = std::pair<long, long>;
    for (const auto& [note, scaleNote] :
         {P{24, 26}, P{25, 19}, P{1, 0}, P{14, 127}, P{15, 0}, P{120, 122}, P{4, 4}, P{-3, 2}, P{1000, 127}})
        EXPECT_EQ(scale.MapMIDI2Scale(note), scaleNote) << note;
}

TEST(CSingleScale, ChannelAssignmentReplacesTheListOnlyWhenValid) {
    CSingleScale scale;
    EXPECT_TRUE(scale.AppliesToChannel(12345));
    ASSERT_TRUE(scale.SetMIDIChannelsAssignment("2-3, 65535"));
    EXPECT_FALSE(scale.SetMIDIChannelsAssignment("1,x"));
    EXPECT_EQ(std::pair(scale.AppliesToChannel(65535), scale.AppliesToChannel(1)), std::pair(true, false));
    ASSERT_TRUE(scale.SetMIDIChannelsAssignment(""));
    EXPECT_TRUE(scale.AppliesToChannel(1));
}
