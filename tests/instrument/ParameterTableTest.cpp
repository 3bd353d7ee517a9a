#include "instrument/ParameterTable.h"
#include "engine/Properties.h"
#include "plugin/IParam.h"

#include <gtest/gtest.h>
#include <string>

using ParameterTable::Kind;
using ParameterTable::row;

namespace {

// Builds a parameter from its row the way the instrument does, enums with their label texts.
IParam makeParam(int index) {
    const ParameterTable::Row& r = row(index);
    IParam p;
    switch (r.kind) {
    case Kind::Double:
        p.InitDouble(r.name, r.defaultValue, r.min, r.max, r.step, "", "", r.shape);
        break;
    case Kind::Int:
        p.InitInt(r.name, int(r.defaultValue), int(r.min), int(r.max));
        break;
    case Kind::Enum:
        p.InitEnum(r.name, int(r.defaultValue), r.labelCount);
        for (int i = 0; i < r.labelCount; ++i) p.SetDisplayText(i, r.labels[i]);
        break;
    }
    p.SetDisplayFunc(r.display);
    return p;
}

std::string shown(int index, double value) {
    const IParam p = makeParam(index);
    char text[IParam::kTextSize] = "";
    p.GetDisplayForHost(value, false, text, true);
    return text;
}

} // namespace

TEST(ParameterTable, NamesInTheirFixedOrderWithTheDuplicatedPairs) {
    const struct {
        int index;
        const char* name;
    } cases[] = {
        {0, "Volume"},           {2, "Number of Voices"}, {15, "Wave Shape Mod 1"}, {16, "Start Phase 1"},
        {17, "Restart Mode 1"},  {35, "Restart Mode 2"},  {36, "Start Phase 2"},    {55, "Restart Mode 3"},
        {56, "Start Phase 3"},   {39, "Linear FM 2"},     {78, "Filter Cutoff"},    {92, "Chorus Mix"},
        {121, "MG 1 Frequency"}, {137, "Vibrato Mod"},    {138, "reserved"},        {152, "reserved"}};
    for (const auto& c : cases) EXPECT_STREQ(row(c.index).name, c.name) << c.index;

    int pairs = 0;
    for (int i = 1; i < ParameterTable::kNumParams; ++i) {
        if (std::string(row(i).name) != row(i - 1).name || row(i).name == std::string("reserved")) continue;
        ++pairs;
        EXPECT_EQ(row(i).kind, Kind::Enum) << i;
    }
    EXPECT_EQ(pairs, 23);
}

TEST(ParameterTable, KindsRangesDefaultsStepsAndShapes) {
    const struct {
        int index;
        Kind kind;
        double min, max, def, step, shape;
    } cases[] = {
        {0, Kind::Double, 0, 1, 0.5, 0.01, 1},    {2, Kind::Enum, 0, 6, 0, 1, 1},
        {7, Kind::Int, -12, 12, 2, 1, 1},         {8, Kind::Double, 0, 1, 0, 0.01, 2},
        {11, Kind::Int, 0, 65535, 0, 1, 1},       {16, Kind::Double, 0, 360, 0, 1, 1},
        {22, Kind::Enum, 0, 3, 1, 1, 1},          {25, Kind::Double, -1, 1, 0, 0.005, 1},
        {37, Kind::Enum, 0, 2, 0, 1, 1},          {69, Kind::Double, 0, 2, 1, 0.01, 1},
        {78, Kind::Double, 0, 1, 1, 0.001, 0.5},  {89, Kind::Double, 0.01, 25, 0.3, 0.01, 4},
        {95, Kind::Enum, 0, 20, 1, 1, 1},         {105, Kind::Double, 0, 1, 1, 0.01, 1},
        {124, Kind::Enum, 0, 19, 9, 1, 1},        {133, Kind::Double, 0.01, 100, 5.8, 0.01, 4},
        {136, Kind::Double, -1, 1, 0.1, 0.01, 1}, {137, Kind::Enum, 0, 20, 8, 1, 1},
        {140, Kind::Int, 0, 1, 0, 1, 1},
    };
    for (const auto& c : cases) {
        const IParam p = makeParam(c.index);
        EXPECT_EQ(row(c.index).kind, c.kind) << c.index;
        EXPECT_DOUBLE_EQ(p.GetMin(), c.min) << c.index;
        EXPECT_DOUBLE_EQ(p.GetMax(), c.max) << c.index;
        EXPECT_DOUBLE_EQ(p.GetDefault(), c.def) << c.index;
        EXPECT_DOUBLE_EQ(p.GetStep(), c.step) << c.index;
        EXPECT_DOUBLE_EQ(p.GetShape(), c.shape) << c.index;
    }
}

TEST(ParameterTable, DisplayTexts) {
    const struct {
        int index;
        double value;
        const char* text;
    } cases[] = {
        {0, 0.0, "-oo"},          {0, 0.5, "-6.0"},          {78, 1.0, "19912"},  {78, 0.0, "8"},
        {25, -0.5, "-12.00"},     {25, 1.0, "48.00"},        {73, 0.25, "75:25"}, {73, 0.5, "50:50"},
        {73, 0.0, "100:0"},       {23, -3.0, "-3"},          {23, 0.0, "+0"},     {23, 2.0, "+2"},
        {1, -0.5, "-50"},         {69, 2.0, "6.0"},          {92, 0.5, "50:50"},  {2, 6.0, "64"},
        {15, 20.0, "EG 2"},       {37, 2.0, "Osc 3"},        {59, 0.0, "Osc 2"},  {124, 9.0, "1/4"},
        {77, 2.0, "Highpass 24"}, {122, 5.0, "Sample/Hold"}, {22, 0.0, "16'"},    {4, 0.1, "0.10"},
        {16, 90.0, "90"},         {7, -12.0, "-12"},         {89, 0.3, "0.30"},
    };
    for (const auto& c : cases) EXPECT_EQ(shown(c.index, c.value), c.text) << c.index << " at " << c.value;
}

TEST(ParameterTable, LabelArraysEndWhereTheyShould) {
    EXPECT_EQ(labelPolyphonyModes[7], nullptr);
    EXPECT_EQ(labelHardSync2[3], nullptr);
    EXPECT_EQ(Properties::labelDCFType[3], nullptr);
    EXPECT_EQ(Properties::labelModSources[21], nullptr);
    EXPECT_STREQ(Properties::labelModSrcDesc[20], "Linear EG 2");
    EXPECT_EQ(Properties::labelModSrcDesc[21], nullptr);
    EXPECT_EQ(makeParam(2).GetNDisplayTexts(), 7);
    EXPECT_EQ(makeParam(15).GetNDisplayTexts(), 21);
    EXPECT_STREQ(labelLinFM3[1], "Osc 1");
}

TEST(ParameterTable, DisplayFunctionsStayInsideTheirBuffers) {
    char text[16];
    const double extremes[] = {-1e300, -1.0, 0.0, 1e-300, 1.0, 1e300};
    const struct {
        ParameterTable::DisplayFunc func;
        size_t bytes;
    } funcs[] = {
        {ParameterTable::setDisplayTextForDB, 8},         {ParameterTable::setDisplayTextForCent, 12},
        {ParameterTable::setDisplayTextForPitch, 12},     {ParameterTable::setDisplayTextForFM, 8},
        {ParameterTable::setDisplayTextForFrequency, 12}, {ParameterTable::setDisplayTextForPan, 8}};
    for (const auto& f : funcs) {
        for (double v : extremes) {
            std::fill(std::begin(text), std::end(text), '#');
            f.func(v, text);
            EXPECT_EQ(text[f.bytes], '#') << v;
            EXPECT_LT(std::string(text, f.bytes).find('\0'), f.bytes) << v;
        }
    }
    std::fill(std::begin(text), std::end(text), '#');
    ParameterTable::setDisplayTextForOctave(1.0, text);
    EXPECT_EQ(text[0], '#');
}
