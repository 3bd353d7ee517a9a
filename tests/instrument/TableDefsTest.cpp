#include "instrument/TableDefs.h"

#include "engine/MipMap.h"
#include "instrument/Wave.h"

#include <array>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <tuple>
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

} // namespace

// Every lookup agrees with the sorted list, each built-in id appears once, and the menu groups by category.
TEST(TableDefs, BuiltInTablesInMenuOrder) {
    Catalogue c;
    const TableDefs::Map& tables = c.defs.getAllTablesSorted();
    ASSERT_EQ(tables.size(), 41u);
    std::set<uint16_t> ids;
    std::set<std::string> names;
    for (uint16_t sortId = 0; sortId < TableDefs::kNumBuiltIn; ++sortId) {
        const TableDef& def = tables.at(sortId);
        ids.insert(def.id);
        names.insert(def.name);
        if (sortId > 0) {
            EXPECT_GE(def.category, tables.at(sortId - 1).category) << def.name;
        }
        EXPECT_EQ(c.defs.getIdBySortId(sortId), def.id);
        EXPECT_EQ(c.defs.getCategoryBySortId(sortId), def.category);
        EXPECT_STREQ(c.defs.getTableName(def.id), def.name);
        EXPECT_NE(std::string(def.name), "");
    }
    EXPECT_EQ(ids.size(), TableDefs::kNumBuiltIn);
    EXPECT_EQ(names.size(), TableDefs::kNumBuiltIn);
    EXPECT_STREQ(c.defs.getTableName(eDW6000), "DW-6000");
}

TEST(TableDefs, UserTablesCloseTheList) {
    Catalogue c;
    for (uint16_t k = 0; k < 3; ++k) {
        const TableDef* def = c.defs.getTableBySortId(38 + k);
        ASSERT_NE(def, nullptr);
        EXPECT_EQ(std::tuple(int{def->id}, int{def->category}, std::string(def->name),
                             int{c.defs.getCategoryBySortId(38 + k)}),
                  std::tuple(65531 + k, 3, std::string(), 3));
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

TEST(TableDefs, UserNamesFollowTheWaveRecordsAtEveryLookup) {
    EXPECT_STREQ(TableDefs().getTableName(65531), ""); // without records
    Catalogue c;
    c.load(1, "Choir.wav");
    EXPECT_STREQ(c.defs.getTableName(65532), "Choir.wav");
    EXPECT_STREQ(c.defs.getTableNameBySortId(39), "Choir.wav");
    EXPECT_STREQ(c.defs.getTableName(65531), "");
    // A name handed out stays readable while its record changes.
    const char* name = c.defs.getTableName(65532);
    c.waves[1].clear();
    EXPECT_STREQ(name, "Choir.wav");
    EXPECT_STREQ(c.defs.getTable(65532)->name, "");
    // An empty record hides its name, as the instrument's user wave name does.
    c.waves[2].putFrom(nullptr, 0, "nothing");
    EXPECT_STREQ(c.defs.getTableName(65533), "");
}

TEST(TableDefs, SteppingWrapsAndSkipsEmptyUserTables) {
    Catalogue c;
    struct Step {
        uint16_t from;
        bool down;
        uint16_t to;
    };
    // "Ladies & Gentlemen" up to "Saw" and back down; "Square-Sine" up to "DW-6000" (id 37).
    for (const Step& s : {Step{37, false, 0}, Step{0, true, 37}, Step{10, false, 11}, Step{12, true, 11}})
        EXPECT_EQ(c.defs.getNeighbourSortId(s.from, s.down), s.to) << s.from;
    EXPECT_EQ(c.defs.getIdBySortId(c.defs.getNeighbourSortId(10, false)), 37);
}

TEST(TableDefs, SteppingReachesLoadedUserTables) {
    Catalogue c;
    c.load(1, "Only one");
    const auto step = [&c](uint16_t from, bool down) { return int{c.defs.getNeighbourSortId(from, down)}; };
    EXPECT_EQ((std::vector{step(37, false), step(39, false), step(0, true), step(39, true)}),
              (std::vector{39, 0, 39, 37}));
    EXPECT_EQ(c.defs.getIdBySortId(39), 65532);
    c.load(0, "A");
    c.load(2, "C");
    EXPECT_EQ((std::vector{step(37, false), step(40, false), step(0, true)}), (std::vector{38, 0, 40}));
}
