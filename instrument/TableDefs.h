#pragma once

#include "engine/ParameterIds.h"
#include "instrument/TableDef.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>

class Wave;

// The catalogue of selectable wave tables in the order the editor's menu shows them: the built-in
// tables grouped by category, then the three user tables, whose names follow the user wave records.
class TableDefs {
public:
    using Map = std::map<uint16_t, TableDef>;

    static constexpr uint16_t kNumBuiltIn = 38;
    static constexpr uint16_t kNumUserTables = ::kNumUserTables;
    static constexpr uint16_t kNumTables = kNumBuiltIn + kNumUserTables;
    static constexpr uint16_t kUserCategory = 3;
    // Answered by getIdBySortId for a position outside the list; no table has this id.
    static constexpr uint16_t kNoTableId = 65535;

    TableDefs() = default;
    // The entries point into this object's own name storage.
    TableDefs(const TableDefs&) = delete;
    TableDefs& operator=(const TableDefs&) = delete;

    // waves: the instrument's three user wave records (null: the user tables have no names).
    // Builds both lists.
    void setUserWaves(const Wave* waves);

    const Map& getAllCategoriesSorted();
    const Map& getAllTablesSorted();
    void updateUserTables();

    uint16_t getNumTables() const { return kNumTables; }
    uint16_t getUserCategoryId() const { return kUserCategory; }
    uint16_t getCategoryBySortId(uint16_t sortId) const;
    uint16_t getIdBySortId(uint16_t sortId) const;

    // Null (or "") for an unknown id or a position outside the list.
    const TableDef* getTable(uint16_t id);
    const TableDef* getTableBySortId(uint16_t sortId);
    const char* getTableName(uint16_t id);
    const char* getTableNameBySortId(uint16_t sortId);

    // The sort position one step up or down from sortId, wrapping at both ends and skipping entries
    // without a name (user tables that hold no wave).
    uint16_t getNeighbourSortId(uint16_t sortId, bool down);

private:
    const Wave* userWaves = nullptr;
    Map categories;
    Map tables;
    // The catalogue's own copies, so that a name handed out stays readable while its record changes.
    std::array<std::string, kNumUserTables> userNames;
};
