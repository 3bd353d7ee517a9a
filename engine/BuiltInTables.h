#pragma once

#include "engine/MipMap.h"
#include "engine/TableMemory.h"

#include <array>
#include <cstddef>
#include <string>

// The built-in wave tables in their band-limited form, built once per process and never changed
// afterwards: every oscillator of every instance reads the same set, and choosing a table is a pointer
// swap. Building reads resource files, allocates and runs transforms, which is why it happens when an
// instance is created and never on the audio thread.
class BuiltInTables {
public:
    // The set whose resource-backed tables come from folder (ending in a separator). Built on first use
    // under a process-wide lock, spread over the processor's cores, and kept while the module is loaded;
    // a process normally knows one folder, test programs may ask for a second.
    static const BuiltInTables& forFolder(const std::string& folder);

    // Null for an id that names no built-in table.
    const MipMap* get(uint32_t id) const { return id < tables.size() ? &tables[id] : nullptr; }
    const std::string& getFolder() const { return folder; }
    // Bytes held by all levels of all tables.
    size_t getBytes() const;

    explicit BuiltInTables(const std::string& resourceFolder);
    BuiltInTables(const BuiltInTables&) = delete;
    BuiltInTables& operator=(const BuiltInTables&) = delete;

private:
    std::string folder;
    TableMemory memory; // outlives the tables that live in it
    std::array<MipMap, eNumROMTables> tables;
};
