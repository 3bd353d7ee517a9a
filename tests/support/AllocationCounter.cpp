#include "tests/support/AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> allocations{0};
std::atomic<long> markedAllocations{0};
thread_local bool threadMarked = false;

void countOne() {
    ++allocations;
    if (threadMarked) ++markedAllocations;
}

void* countedNew(size_t size) {
    countOne();
    if (void* p = std::malloc(size ? size : 1)) return p;
    std::abort();
}

} // namespace

long AllocationCounter::count() {
    return allocations.load();
}

void AllocationCounter::markThisThread(bool marked) {
    threadMarked = marked;
}

long AllocationCounter::markedCount() {
    return markedAllocations.load();
}

void* operator new(size_t size) {
    return countedNew(size);
}
void* operator new[](size_t size) {
    return countedNew(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return countedNew(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return countedNew(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}

// The C allocator too (the MIDI inbox uses realloc); the sanitizers bring their own, so only without them.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* malloc(size_t size) {
    countOne();
    return __libc_malloc(size);
}
void* calloc(size_t n, size_t size) {
    countOne();
    return __libc_calloc(n, size);
}
void* realloc(void* p, size_t size) {
    countOne();
    return __libc_realloc(p, size);
}
}
#endif
