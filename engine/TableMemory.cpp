#include "engine/TableMemory.h"

#include <sys/mman.h>

namespace {

constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kCacheLine = 64;

size_t roundUp(size_t bytes, size_t unit) {
    return (bytes + unit - 1) / unit * unit;
}

} // namespace

TableMemory::TableMemory(size_t capacity) {
    const size_t bytes = roundUp(capacity * sizeof(int16_t), kHugePage);
    // One huge page more than needed, so that the reservation can start on a huge-page boundary.
    void* mapped = mmap(nullptr, bytes + kHugePage, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapped == MAP_FAILED) return;
    mapping = mapped;
    mappingBytes = bytes + kHugePage;
    const auto address = reinterpret_cast<uintptr_t>(mapped);
    base = reinterpret_cast<char*>(roundUp(address, kHugePage));
    capacityBytes = capacity * sizeof(int16_t);
    // Only a request: without huge pages the memory works the same, in small pages.
    madvise(base, bytes, MADV_HUGEPAGE);
}

TableMemory::~TableMemory() {
    if (mapping != nullptr) munmap(mapping, mappingBytes);
}

int16_t* TableMemory::allocate(size_t count) {
    const size_t bytes = roundUp(count * sizeof(int16_t), kCacheLine);
    size_t used = usedBytes.load();
    do {
        if (base == nullptr || bytes > capacityBytes - used) return nullptr;
    } while (!usedBytes.compare_exchange_weak(used, used + bytes));
    return reinterpret_cast<int16_t*>(base + used);
}
