#pragma once

// Counts the allocations of the whole test program that uses it: linking this replaces the global
// operator new, so that the audio path can be shown to allocate nothing.
class AllocationCounter {
public:
    static long count();
};
