#pragma once

#include <cstdint>

// One entry of the wave-table catalogue. For a category entry, id is the category number and
// category is 0.
struct TableDef {
    uint16_t id = 0;
    uint16_t category = 0;
    uint16_t sortId = 0;
    // Owned elsewhere; never null ("" when there is no name).
    const char* name = "";
};
