#pragma once

// Counts the allocations of the whole test program that uses it: linking this replaces the global
// operator new, so that the audio path can be shown to allocate nothing.
class AllocationCounter {
public:
    static long count();
    // Allocations made by threads while they are marked, for instance while one plays the host's audio
    // thread and others change programs meanwhile.
    static void markThisThread(bool marked);
    static long markedCount();
};
