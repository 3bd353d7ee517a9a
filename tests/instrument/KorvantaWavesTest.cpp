#include "tests/support/KorvantaTestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testhost::makeInstrument;
using testhost::setParam;

TEST(KorvantaWaves, NamesTheSelectedTableAndKnowsWhichUserWavesAreInUse) {
    auto plug = makeInstrument();
    EXPECT_STREQ(plug->getWaveTableName(kWaveTable1), "Saw");
    setParam(*plug, kWaveTable2, 37);
    EXPECT_STREQ(plug->getWaveTableName(kWaveTable2), "DW-6000");
    setParam(*plug, kWaveTable3, 1000);
    EXPECT_STREQ(plug->getWaveTableName(kWaveTable3), "");
    EXPECT_FALSE(plug->isWaveUsed(0));
    const std::vector<double> wave(2048, 0.5);
    plug->getUserWave(0).putFrom(wave.data(), 2048, "mine");
    setParam(*plug, kWaveTable3, kFirstUserTable);
    EXPECT_STREQ(plug->getWaveTableName(kWaveTable3), "mine");
    EXPECT_EQ((std::vector<std::string>{plug->getUserWaveName(0), plug->getUserWaveName(1),
                                        plug->getUserWaveName(7)}),
              (std::vector<std::string>{"mine", "", ""}));
    EXPECT_EQ(std::pair(plug->isWaveUsed(0), plug->isWaveUsed(1)), std::pair(true, false));
}

// The catalogue's own order and wrapping are the table definitions' business; here the step reaches the
// parameter and the oscillator's table.
TEST(KorvantaWaves, SteppingMovesTheParameterAndTheTable) {
    auto plug = makeInstrument();
    setParam(*plug, kWaveTable1, 10); // "Square-Sine" is followed by "DW-6000"
    plug->incrementWaveTable(kWaveTable1, false);
    EXPECT_EQ(std::pair(plug->GetParam(kWaveTable1)->Value(), plug->getMipMap(0).getTableId()),
              std::pair(37.0, 37));
    plug->incrementWaveTable(kWaveTable1, true);
    EXPECT_EQ(plug->GetParam(kWaveTable1)->Value(), 10.0);
    // Unknown tables and other parameters stay where they are.
    setParam(*plug, kWaveTable1, 500);
    plug->incrementWaveTable(kWaveTable1, false);
    EXPECT_EQ(plug->GetParam(kWaveTable1)->Value(), 500.0);
    plug->incrementWaveTable(kWaveShape1, false);
    EXPECT_EQ(plug->GetParam(kWaveShape1)->Value(), 0.0);
}
