#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

// Memory for wave tables that live as long as their owner: one reservation, handed out from the front
// and given back whole. The reservation asks for huge pages, so that a full set of tables fills a few
// dozen pages instead of thousands: they are built faster (far fewer page faults), and the voices that
// read them across many tables need far fewer address translations.
class TableMemory {
public:
    // Reserves address space for capacity samples; pages become resident only when written.
    explicit TableMemory(size_t capacity);
    ~TableMemory();
    TableMemory(const TableMemory&) = delete;
    TableMemory& operator=(const TableMemory&) = delete;

    // Room for count samples, aligned to a cache line; null once the reservation is used up. Safe to call
    // from several threads at once.
    int16_t* allocate(size_t count);

private:
    void* mapping = nullptr;
    size_t mappingBytes = 0;
    char* base = nullptr; // the reservation, aligned to a huge page
    size_t capacityBytes = 0;
    std::atomic<size_t> usedBytes{0};
};
