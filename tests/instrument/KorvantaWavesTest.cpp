#include "tests/support/KorvantaTestHost.h"

#include <gtest/gtest.h>

#include <vector>

using testhost::makeInstrument;
using testhost::setParam;

namespace {

void loadUserWave(Korvanta& plug, int k, const char* name) {
    const std::vector<double> wave(2048, 0.5);
    plug.getUserWave(k).putFrom(wave.data(), static_cast<int>(wave.size()), name);
}

} // namespace

TEST(KorvantaWaves, NamesTheSelectedTable) {
    auto plug = makeInstrument();
    EXPECT_STREQ(plug->getWaveTableName(11), "Saw");
    setParam(*plug, 30, 37);
    EXPECT_STREQ(plug->getWaveTableName(30), "DW-6000");
    setParam(*plug, 50, 1000);
    EXPECT_STREQ(plug->getWaveTableName(50), "");
    loadUserWave(*plug, 0, "mine");
    setParam(*plug, 50, 65531);
    EXPECT_STREQ(plug->getWaveTableName(50), "mine");
    EXPECT_STREQ(plug->getUserWaveName(0), "mine");
    EXPECT_STREQ(plug->getUserWaveName(1), "");
    EXPECT_STREQ(plug->getUserWaveName(7), "");
}

TEST(KorvantaWaves, StepsThroughTheCatalogueWrappingAtBothEnds) {
    auto plug = makeInstrument();
    setParam(*plug, 11, 36); // "Ladies & Gentlemen", the last built-in
    plug->incrementWaveTable(11, false);
    EXPECT_EQ(plug->GetParam(11)->Value(), 0.0);
    plug->incrementWaveTable(11, true);
    EXPECT_EQ(plug->GetParam(11)->Value(), 36.0);
    setParam(*plug, 11, 10); // "Square-Sine" is followed by "DW-6000"
    plug->incrementWaveTable(11, false);
    EXPECT_EQ(plug->GetParam(11)->Value(), 37.0);
    EXPECT_EQ(plug->getMipMap(0).getTableId(), 37);
    // Unknown tables and other parameters stay where they are.
    setParam(*plug, 11, 500);
    plug->incrementWaveTable(11, false);
    EXPECT_EQ(plug->GetParam(11)->Value(), 500.0);
    plug->incrementWaveTable(12, false);
    EXPECT_EQ(plug->GetParam(12)->Value(), 0.0);
}

TEST(KorvantaWaves, SteppingVisitsOnlyLoadedUserTables) {
    auto plug = makeInstrument();
    loadUserWave(*plug, 1, "loaded");
    setParam(*plug, 30, 36);
    plug->incrementWaveTable(30, false);
    EXPECT_EQ(plug->GetParam(30)->Value(), 65532.0);
    plug->incrementWaveTable(30, false);
    EXPECT_EQ(plug->GetParam(30)->Value(), 0.0);
    plug->incrementWaveTable(30, true);
    EXPECT_EQ(plug->GetParam(30)->Value(), 65532.0);
}

TEST(KorvantaWaves, KnowsWhichUserWavesAreInUse) {
    auto plug = makeInstrument();
    EXPECT_FALSE(plug->isWaveUsed(0));
    setParam(*plug, 50, 65532);
    EXPECT_TRUE(plug->isWaveUsed(1));
    EXPECT_FALSE(plug->isWaveUsed(0));
    EXPECT_FALSE(plug->isWaveUsed(2));
}
