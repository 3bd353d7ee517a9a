#include "FactoryBank.h"
#include "Korvanta.h"
#include "ParameterTable.h"
#include "PresetParser.h"
#include "Spectrum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// One program around a line under test, so that the parser's line numbers can be pinned.
std::string program(const std::string& line) {
    return "; a comment\n[Test Program]\n" + line + "\n";
}

struct GoodLine {
    const char* line;
    int index;
    double value;
};

constexpr GoodLine kGoodLines[] = {
    {"Filter Cutoff = 0.45", 78, 0.45},
    {"  Filter Cutoff=0.45  ", 78, 0.45},
    {"Filter Type = Lowpass 12", 77, 1},
    {"MG 1 Sync Rate = 1/16", 124, 15},
    {"Vibrato Sync Rate = 1/4", 135, 9},
    {"Number of Voices = 8", 2, 3},
    {"Octave 2 = 16'", 42, 0},
    {"Wave Table 1 = Pianet", 11, 23},
    {"Wave Table 2 = DW-6000", 30, 37},
    {"Wave Table 3 = Ladies & Gentlemen", 50, 36},
    {"Wave Table 3 = 65532", 50, 65532},
    {"Wave Table 1 = 12", 11, 12},
    {"Filter cFM = MG1", 83, 5},
    {"Filter cFM = -0.3", 82, -0.3},
    {"Amp EG Mod = Velo", 102, 11},
    {"Hard Sync 3 = Osc 2", 57, 2},
    {"Linear FM 3 = Osc 1", 59, 1},
    {"Linear FM 3 = 0.25", 58, 0.25},
    {"Pitch Bend = -12", 7, -12},
    {"Chorus Speed = 25", 89, 25},
    {"#78 = 0.45", 78, 0.45},
    {"#83 = 5", 83, 5},
    {"#83 = MG1", 83, 5},
    {"#140 = 1", 140, 1},
};

TEST(PresetParser, ResolvesNamesLabelsAndIndices) {
    for (const GoodLine& good : kGoodLines) {
        PresetParser parser;
        std::vector<ProgramDefinition> programs;
        ASSERT_TRUE(parser.parse(program(good.line), "good.txt", &programs)) << parser.getError();
        ASSERT_EQ(programs.size(), 1u);
        ASSERT_EQ(programs[0].settings.size(), 1u) << good.line;
        EXPECT_EQ(programs[0].settings[0].index, good.index) << good.line;
        EXPECT_DOUBLE_EQ(programs[0].settings[0].value, good.value) << good.line;
        EXPECT_EQ(programs[0].settings[0].line, 3) << good.line;
    }
}

TEST(PresetParser, ReadsProgramsInOrderWithTheirTunings) {
    PresetParser parser;
    std::vector<ProgramDefinition> programs;
    const std::string text = "[First]\nVolume = 0.4\n\n[Second]\nTuning = Werckmeister III\nPitch 1 = -3\n"
                             "[Third]\nTuning = Meantone 1/4 comma\n";
    ASSERT_TRUE(parser.parse(text, "order.txt", &programs)) << parser.getError();
    ASSERT_EQ(programs.size(), 3u);
    EXPECT_EQ(programs[0].name, "First");
    EXPECT_EQ(programs[0].tuning, 0);
    EXPECT_EQ(programs[1].name, "Second");
    EXPECT_EQ(programs[1].tuning, 5);
    EXPECT_EQ(programs[1].line, 4);
    EXPECT_EQ(programs[2].tuning, 6);
    EXPECT_TRUE(programs[2].settings.empty());
}

struct BadText {
    const char* text;
    const char* error; // the whole message begins with this
};

constexpr BadText kBadTexts[] = {
    {"[P]\nFilter Cutof = 0.4\n", "bad.txt:2: unknown parameter \"Filter Cutof\""},
    {"[P]\nFilter Cutoff = 1.5\n", "bad.txt:2: \"1.5\" for \"Filter Cutoff\" is out of range"},
    {"[P]\nFilter Cutoff = 0.4x\n", "bad.txt:2: \"0.4x\" for \"Filter Cutoff\" is not a number"},
    {"[P]\nFilter Cutoff = nan\n", "bad.txt:2: \"nan\" for \"Filter Cutoff\" is not a number"},
    {"[P]\nFilter Cutoff 0.4\n", "bad.txt:2: expected"},
    {"[P]\n= 0.4\n", "bad.txt:2: expected"},
    {"[P]\nFilter Cutoff =\n", "bad.txt:2: expected"},
    {"Volume = 0.4\n", "bad.txt:1: a setting before the first"},
    {"[P]\nFilter Type = 1\n", "bad.txt:2: \"1\" for \"Filter Type\" is none of its labels"},
    {"[P]\nNumber of Voices = 3\n", "bad.txt:2: \"3\" for \"Number of Voices\" is none of its labels"},
    {"[P]\n#77 = 3\n", "bad.txt:2: \"3\" for \"Filter Type\" is none of its labels"},
    {"[P]\nFilter cFM = MG3\n", "bad.txt:2: \"MG3\" for \"Filter cFM\" is not a number"},
    {"[P]\nPitch Bend = 1.5\n", "bad.txt:2: \"1.5\" for \"Pitch Bend\" is not a whole number"},
    {"[P]\nPitch Bend = 13\n", "bad.txt:2: \"13\" for \"Pitch Bend\" is out of range"},
    {"[P]\nWave Table 1 = 38\n", "bad.txt:2: \"38\" for \"Wave Table 1\" is neither"},
    {"[P]\nWave Table 1 = Pianet 2\n", "bad.txt:2: \"Pianet 2\" for \"Wave Table 1\" is neither"},
    {"[P]\nreserved = 1\n", "bad.txt:2: \"reserved\" names several parameters"},
    {"[P]\n#153 = 0\n", "bad.txt:2: no parameter has the index \"153\""},
    {"[P]\n#-1 = 0\n", "bad.txt:2: no parameter has the index \"-1\""},
    {"[P]\n\nVolume = 0.4\nVolume = 0.5\n", "bad.txt:4: parameter #0 \"Volume\" is already set at line 3"},
    {"[P]\nFilter cFM = MG1\n#83 = 2\n", "bad.txt:3: parameter #83 \"Filter cFM\" is already set at line 2"},
    {"[P]\nTuning = Just\nTuning = Equal\n", "bad.txt:3: the tuning is already set at line 2"},
    {"[P]\nTuning = [User]\n", "bad.txt:2: unknown tuning \"[User]\""},
    {"[P]\nTuning = just\n", "bad.txt:2: unknown tuning \"just\""},
    {"[P\nVolume = 0.4\n", "bad.txt:1: a program heading must end"},
    {"[ ]\nVolume = 0.4\n", "bad.txt:1: a program needs a name"},
    {"[A Name Of Twenty-Eight Chars]\nVolume = 0.4\n", "bad.txt:1: program name"},
    {"[P]\nVolume = 0.4\n[P]\nVolume = 0.3\n", "bad.txt:3: program name \"P\" is already used at bad.txt:1"},
    {"[P]\nVolume = 0.4\n[Q]\n; nothing\n", "bad.txt:3: program \"Q\" sets nothing"},
};

TEST(PresetParser, RejectsFaultsWithFileAndLine) {
    for (const BadText& bad : kBadTexts) {
        PresetParser parser;
        std::vector<ProgramDefinition> programs;
        EXPECT_FALSE(parser.parse(bad.text, "bad.txt", &programs)) << bad.text;
        EXPECT_EQ(parser.getError().rfind(bad.error, 0), 0u) << parser.getError();
    }
}

TEST(PresetParser, ProgramNamesStayUniqueAcrossFiles) {
    PresetParser parser;
    std::vector<ProgramDefinition> programs;
    ASSERT_TRUE(parser.parse("[Deep]\nVolume = 0.4\n", "a.txt", &programs));
    EXPECT_FALSE(parser.parse("\n[Deep]\nVolume = 0.3\n", "b.txt", &programs));
    EXPECT_EQ(parser.getError(), "b.txt:2: program name \"Deep\" is already used at a.txt:1");
}

TEST(PresetParser, ASettingNeverJoinsTheProgramOfAnEarlierFile) {
    PresetParser parser;
    std::vector<ProgramDefinition> programs;
    ASSERT_TRUE(parser.parse("[Deep]\nVolume = 0.4\n", "a.txt", &programs));
    EXPECT_FALSE(parser.parse("Volume = 0.3\n", "b.txt", &programs));
    EXPECT_EQ(parser.getError().rfind("b.txt:1: a setting before", 0), 0u);
}

TEST(PresetParser, AMissingFileIsAnError) {
    PresetParser parser;
    std::vector<ProgramDefinition> programs;
    EXPECT_FALSE(parser.parseFile("/nonexistent/presets.txt", &programs));
    EXPECT_EQ(parser.getError(), "/nonexistent/presets.txt:0: cannot be read");
}

} // namespace
