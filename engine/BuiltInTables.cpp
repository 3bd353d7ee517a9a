#include "engine/BuiltInTables.h"

#include "engine/FFT.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// The tables that take longest (64 waves written in the time domain, each transformed forward too);
// handed out first, they overlap with the others instead of finishing alone at the end.
constexpr std::array<uint32_t, 3> kSlowFirst{ePhasedSaw, eSawTri, eSquareTri};

std::array<uint32_t, eNumROMTables> buildOrder() {
    std::array<uint32_t, eNumROMTables> order{};
    size_t next = 0;
    for (const uint32_t id : kSlowFirst) order[next++] = id;
    for (uint32_t id = 0; id < eNumROMTables; ++id)
        if (std::find(kSlowFirst.begin(), kSlowFirst.end(), id) == kSlowFirst.end()) order[next++] = id;
    return order;
}

} // namespace

// Room for every built-in table at the most waves a table can hold; only what is written becomes resident.
constexpr size_t kMemoryCapacity =
    size_t{eNumROMTables} * MipMap::kMaxWaves * MipMap::kWaveLength * MipMap::kLevels;

BuiltInTables::BuiltInTables(const std::string& resourceFolder)
    : folder(resourceFolder), memory(kMemoryCapacity) {
    for (MipMap& table : tables) {
        table.setResourcePath(folder.c_str());
        table.setMemory(&memory);
    }
    static const std::array<uint32_t, eNumROMTables> order = buildOrder();
    std::atomic<size_t> next{0};
    const auto work = [this, &next] {
        for (size_t i = next++; i < order.size(); i = next++) tables[order[i]].createMipMap(order[i]);
    };
    // Each table is built by one thread alone; the FFT plans are made before any thread starts.
    FFT::init();
    const unsigned helpers = std::clamp(std::thread::hardware_concurrency(), 1u, 4u) - 1;
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < helpers; ++t) threads.emplace_back(work);
    work();
    for (std::thread& thread : threads) thread.join();
    // The transforms' scratch buffers are gone, but the allocator would keep their pages for good.
    malloc_trim(0);
}

const BuiltInTables& BuiltInTables::forFolder(const std::string& folder) {
    static std::mutex lock;
    static std::vector<std::unique_ptr<const BuiltInTables>> sets;
    const std::lock_guard<std::mutex> guard(lock);
    for (const auto& set : sets)
        if (set->folder == folder) return *set;
    sets.push_back(std::make_unique<const BuiltInTables>(folder));
    return *sets.back();
}

size_t BuiltInTables::getBytes() const {
    size_t bytes = 0;
    for (const MipMap& table : tables) {
        for (uint32_t level = 0; level < MipMap::kLevels; ++level)
            if (table.getLevel(level) != nullptr) bytes += table.getTotalSamples() * sizeof(int16_t);
    }
    return bytes;
}
