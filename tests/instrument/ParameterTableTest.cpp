#include "instrument/ParameterTable.h"

#include <gtest/gtest.h>
#include <string>

using ParameterTable::Kind;
using ParameterTable::row;

TEST(ParameterTable, NamesInTheirFixedOrderWithTheDuplicatedPairs) {
    const struct {
        int index;
        const char* name;
    } cases[] = {{0, "Volume"},         {16, "Start Phase 1"}, {17, "Restart Mode 1"}, {35, "Restart Mode 2"},
                 {36, "Start Phase 2"}, {78, "Filter Cutoff"}, {137, "Vibrato Mod"},   {152, "reserved"}};
    for (const auto& c : cases) EXPECT_STREQ(row(c.index).name, c.name) << c.index;

    int pairs = 0;
    for (int i = 1; i < ParameterTable::kNumParams; ++i) {
        if (std::string(row(i).name) != row(i - 1).name || row(i).name == std::string("reserved")) continue;
        ++pairs;
        EXPECT_EQ(row(i).kind, Kind::Enum) << i;
    }
    EXPECT_EQ(pairs, 23);
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
