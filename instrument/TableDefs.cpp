#include "instrument/TableDefs.h"

#include "instrument/Wave.h"

namespace {

constexpr std::array<const char*, 4> kCategoryNames = {
    "Standard Waveforms",
    "Additive Synthesis",
    "Resynthesis",
    "User-Defined",
};

// Indexed by sort position. "DW-6000" was added after the others and took id 37, but belongs beside
// "DW-8000" in the menu.
constexpr std::array<uint16_t, TableDefs::kNumBuiltIn> kBuiltInIds = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 37, 11, 12, 13, 14, 15, 16, 17,
    18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36,
};

constexpr std::array<const char*, TableDefs::kNumBuiltIn> kBuiltInNames = {
    "Saw",
    "Pulse",
    "Full PWM",
    "Tri",
    "Sine",
    "Sine-Tri-Square-Saw",
    "Saw-Square",
    "Saw-Sine",
    "Saw-Tri",
    "Square-Tri",
    "Square-Sine",
    "DW-6000",
    "DW-8000",
    "Dirac Meltdown",
    "Odd",
    "Even",
    "Even to Odd",
    "Primes",
    "Octaves",
    "Frequency Up",
    "Phased Saw",
    "Drawbar Full",
    "Drawbar Mixed",
    "Acoustic Piano",
    "Pianet",
    "Slap Low",
    "Slap High",
    "Re-PWM",
    "Resonance 1",
    "Resonance 2",
    "MP4 Cross Modulation",
    "Formant Shift",
    "A-O-E",
    "Geesh",
    "TD 'Teh'",
    "Texture 1",
    "Texture 2",
    "Ladies & Gentlemen",
};

// First sort position of the categories 1, 2 and 3.
constexpr uint16_t kFirstAdditive = 13;
constexpr uint16_t kFirstResynthesis = 23;

} // namespace

void TableDefs::setUserWaves(const Wave* waves) {
    userWaves = waves;
    getAllCategoriesSorted();
    getAllTablesSorted();
}

const TableDefs::Map& TableDefs::getAllCategoriesSorted() {
    if (categories.empty()) {
        for (uint16_t c = 0; c < kCategoryNames.size(); ++c)
            categories[c] = TableDef{c, 0, c, kCategoryNames[c]};
    }
    return categories;
}

const TableDefs::Map& TableDefs::getAllTablesSorted() {
    if (tables.empty()) {
        for (uint16_t s = 0; s < kNumTables; ++s)
            tables[s] = TableDef{getIdBySortId(s), getCategoryBySortId(s), s,
                                 s < kNumBuiltIn ? kBuiltInNames[s] : ""};
    }
    updateUserTables();
    return tables;
}

void TableDefs::updateUserTables() {
    if (tables.empty()) return;
    for (uint16_t k = 0; k < kNumUserTables; ++k) {
        const char* current = userWaves != nullptr ? userWaves[k].getName() : "";
        // Reassigning only on change keeps earlier pointers to an unchanged name valid.
        if (userNames[k] != current) userNames[k] = current;
        tables[kNumBuiltIn + k].name = userNames[k].c_str();
    }
}

uint16_t TableDefs::getCategoryBySortId(uint16_t sortId) const {
    if (sortId < kFirstAdditive) return 0;
    if (sortId < kFirstResynthesis) return 1;
    if (sortId < kNumBuiltIn) return 2;
    return kUserCategory;
}

uint16_t TableDefs::getIdBySortId(uint16_t sortId) const {
    if (sortId < kNumBuiltIn) return kBuiltInIds[sortId];
    if (sortId < kNumTables) return static_cast<uint16_t>(kFirstUserTable + (sortId - kNumBuiltIn));
    return kNoTableId;
}

const TableDef* TableDefs::getTable(uint16_t id) {
    for (const auto& [sortId, def] : getAllTablesSorted())
        if (def.id == id) return &def;
    return nullptr;
}

const TableDef* TableDefs::getTableBySortId(uint16_t sortId) {
    const Map& list = getAllTablesSorted();
    const auto it = list.find(sortId);
    return it != list.end() ? &it->second : nullptr;
}

const char* TableDefs::getTableName(uint16_t id) {
    const TableDef* def = getTable(id);
    return def != nullptr ? def->name : "";
}

const char* TableDefs::getTableNameBySortId(uint16_t sortId) {
    const TableDef* def = getTableBySortId(sortId);
    return def != nullptr ? def->name : "";
}

uint16_t TableDefs::getNeighbourSortId(uint16_t sortId, bool down) {
    const uint16_t count = getNumTables();
    // The built-in names are never empty, so the walk ends within one round.
    int s = sortId < count ? sortId : 0;
    do {
        if (down) {
            s = (s < 1 ? count : s) - 1;
        } else {
            s = s + 1 < count ? s + 1 : 0;
        }
    } while (getTableNameBySortId(static_cast<uint16_t>(s))[0] == '\0');
    return static_cast<uint16_t>(s);
}
