#include "instrument/TableDefs.h"

#include "instrument/Wave.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Catalogue {
    std::array<Wave, 3> waves;
    TableDefs defs;
    Catalogue() { defs.setUserWaves(waves.data()); }

    void load(int k, const std::string& name) {
        const std::vector<double> samples(2048, 0.25);
        waves[k].putFrom(samples.data(), static_cast<int>(samples.size()), name);
    }
};

struct Entry {
    uint16_t sortId;
    uint16_t id;
    uint16_t category;
    const char* name;
};

constexpr std::array<Entry, 38> kBuiltIn = {{
    {0, 0, 0, "Saw"},
    {1, 1, 0, "Pulse"},
    {2, 2, 0, "Full PWM"},
    {3, 3, 0, "Tri"},
    {4, 4, 0, "Sine"},
    {5, 5, 0, "Sine-Tri-Square-Saw"},
    {6, 6, 0, "Saw-Square"},
    {7, 7, 0, "Saw-Sine"},
    {8, 8, 0, "Saw-Tri"},
    {9, 9, 0, "Square-Tri"},
    {10, 10, 0, "Square-Sine"},
    {11, 37, 0, "DW-6000"},
    {12, 11, 0, "DW-8000"},
    {13, 12, 1, "Dirac Meltdown"},
    {14, 13, 1, "Odd"},
    {15, 14, 1, "Even"},
    {16, 15, 1, "Even to Odd"},
    {17, 16, 1, "Primes"},
    {18, 17, 1, "Octaves"},
    {19, 18, 1, "Frequency Up"},
    {20, 19, 1, "Phased Saw"},
    {21, 20, 1, "Drawbar Full"},
    {22, 21, 1, "Drawbar Mixed"},
    {23, 22, 2, "Acoustic Piano"},
    {24, 23, 2, "Pianet"},
    {25, 24, 2, "Slap Low"},
    {26, 25, 2, "Slap High"},
    {27, 26, 2, "Re-PWM"},
    {28, 27, 2, "Resonance 1"},
    {29, 28, 2, "Resonance 2"},
    {30, 29, 2, "MP4 Cross Modulation"},
    {31, 30, 2, "Formant Shift"},
    {32, 31, 2, "A-O-E"},
    {33, 32, 2, "Geesh"},
    {34, 33, 2, "TD 'Teh'"},
    {35, 34, 2, "Texture 1"},
    {36, 35, 2, "Texture 2"},
    {37, 36, 2, "Ladies & Gentlemen"},
}};

} // namespace

TEST(TableDefs, BuiltInTablesInMenuOrder) {
    Catalogue c;
    const TableDefs::Map& tables = c.defs.getAllTablesSorted();
    ASSERT_EQ(tables.size(), 41u);
    for (const Entry& e : kBuiltIn) {
        const TableDef& def = tables.at(e.sortId);
        EXPECT_EQ(def.id, e.id) << e.name;
        EXPECT_EQ(def.category, e.category) << e.name;
        EXPECT_STREQ(def.name, e.name);
        EXPECT_EQ(c.defs.getIdBySortId(e.sortId), e.id);
        EXPECT_EQ(c.defs.getCategoryBySortId(e.sortId), e.category);
        EXPECT_STREQ(c.defs.getTableName(e.id), e.name);
        EXPECT_STREQ(c.defs.getTableNameBySortId(e.sortId), e.name);
    }
}

TEST(TableDefs, UserTablesCloseTheList) {
    Catalogue c;
    for (uint16_t k = 0; k < 3; ++k) {
        const TableDef* def = c.defs.getTableBySortId(38 + k);
        ASSERT_NE(def, nullptr);
        EXPECT_EQ(def->id, 65531 + k);
        EXPECT_EQ(def->category, 3);
        EXPECT_STREQ(def->name, "");
        EXPECT_EQ(c.defs.getCategoryBySortId(38 + k), 3);
    }
    EXPECT_EQ(c.defs.getNumTables(), 41);
    EXPECT_EQ(c.defs.getUserCategoryId(), 3);
    EXPECT_EQ(c.defs.getCategoryBySortId(1000), 3);
}

TEST(TableDefs, CategoriesAreNumberedBySortId) {
    Catalogue c;
    const TableDefs::Map& categories = c.defs.getAllCategoriesSorted();
    const std::array<const char*, 4> names = {"Standard Waveforms", "Additive Synthesis", "Resynthesis",
                                              "User-Defined"};
    ASSERT_EQ(categories.size(), names.size());
    for (uint16_t s = 0; s < names.size(); ++s) {
        EXPECT_EQ(categories.at(s).id, s);
        EXPECT_EQ(categories.at(s).category, 0);
        EXPECT_STREQ(categories.at(s).name, names[s]);
    }
}

TEST(TableDefs, UnknownIdsAndPositionsGiveNothing) {
    Catalogue c;
    for (uint16_t id : {38, 100, 65530, 65534, 65535}) {
        EXPECT_EQ(c.defs.getTable(id), nullptr) << id;
        EXPECT_STREQ(c.defs.getTableName(id), "") << id;
    }
    for (uint16_t s : {41, 42, 65535}) {
        EXPECT_EQ(c.defs.getTableBySortId(s), nullptr) << s;
        EXPECT_STREQ(c.defs.getTableNameBySortId(s), "") << s;
        EXPECT_EQ(c.defs.getIdBySortId(s), TableDefs::kNoTableId);
    }
}

TEST(TableDefs, UserNamesFollowTheWaveRecordsAtEveryLookup) {
    Catalogue c;
    c.load(1, "Choir.wav");
    EXPECT_STREQ(c.defs.getTableName(65532), "Choir.wav");
    EXPECT_STREQ(c.defs.getTableNameBySortId(39), "Choir.wav");
    EXPECT_STREQ(c.defs.getTableName(65531), "");

    c.waves[1].clear();
    EXPECT_STREQ(c.defs.getTable(65532)->name, "");
    // An empty record hides its name, as the instrument's user wave name does.
    c.waves[2].putFrom(nullptr, 0, "nothing");
    EXPECT_STREQ(c.defs.getTableName(65533), "");
}

TEST(TableDefs, HandedOutNameStaysReadableWhileItsRecordChanges) {
    Catalogue c;
    c.load(0, "Pad");
    const char* name = c.defs.getTableName(65531);
    c.waves[0].clear();
    EXPECT_STREQ(name, "Pad");
    EXPECT_STREQ(c.defs.getTableName(65531), "");
}

TEST(TableDefs, WithoutWaveRecordsUserTablesStayNameless) {
    TableDefs defs;
    EXPECT_EQ(defs.getAllTablesSorted().size(), 41u);
    EXPECT_STREQ(defs.getTableName(65531), "");
    EXPECT_STREQ(defs.getTableName(0), "Saw");
}

TEST(TableDefs, SteppingWrapsAndSkipsEmptyUserTables) {
    Catalogue c;
    struct Step {
        uint16_t from;
        bool down;
        uint16_t to;
    };
    const std::vector<Step> steps = {
        {37, false, 0},  // "Ladies & Gentlemen" up to "Saw"
        {0, true, 37},   // and back down
        {10, false, 11}, // "Square-Sine" up to "DW-6000" (id 37)
        {12, true, 11},  {22, false, 23}, {5, true, 4},
    };
    for (const Step& s : steps) EXPECT_EQ(c.defs.getNeighbourSortId(s.from, s.down), s.to) << s.from;
    EXPECT_EQ(c.defs.getIdBySortId(c.defs.getNeighbourSortId(10, false)), 37);
}

TEST(TableDefs, SteppingReachesLoadedUserTables) {
    Catalogue c;
    c.load(1, "Only one");
    const uint16_t up = c.defs.getNeighbourSortId(37, false);
    EXPECT_EQ(up, 39);
    EXPECT_EQ(c.defs.getIdBySortId(up), 65532);
    EXPECT_EQ(c.defs.getNeighbourSortId(39, false), 0);
    EXPECT_EQ(c.defs.getNeighbourSortId(0, true), 39);
    EXPECT_EQ(c.defs.getNeighbourSortId(39, true), 37);

    c.load(0, "A");
    c.load(2, "C");
    EXPECT_EQ(c.defs.getNeighbourSortId(37, false), 38);
    EXPECT_EQ(c.defs.getNeighbourSortId(40, false), 0);
    EXPECT_EQ(c.defs.getNeighbourSortId(0, true), 40);
}
