#pragma once

#include "plugin/IMidiMsg.h"

// The block's channel messages, kept in non-decreasing offset order. A flat array: adding appends in
// the common (sorted) case, removal only advances the front, and memory is reclaimed by compaction.
class IMidiQueue {
public:
    explicit IMidiQueue(int size = 1024);
    ~IMidiQueue();
    IMidiQueue(const IMidiQueue&) = delete;
    IMidiQueue& operator=(const IMidiQueue&) = delete;

    // Inserts a copy after every pending message with an offset not above its own.
    void Add(const IMidiMsg* msg);
    bool Empty() const { return front == back; }
    int ToBeProcessed() const { return back - front; }
    // The front message; only valid while the queue is not empty.
    IMidiMsg* Peek() { return buf + front; }
    void Remove() { ++front; }
    // End of a rendering step: compacts, then shifts every pending offset back by nFrames.
    void Flush(int nFrames);
    // Room for at least n messages, rounded up to whole 4096-byte pages; never drops pending messages.
    void Resize(int n);
    void Clear() { front = back = 0; }

    int GetSize() const { return size; }
    int GetGrow() const { return grow; }
    void SetGrow(int newGrow) { grow = newGrow; }

private:
    static constexpr int kMessagesPerPage = 4096 / static_cast<int>(sizeof(IMidiMsg));

    void compact();
    bool reallocate(int newSize);

    IMidiMsg* buf = nullptr;
    int size = 0;
    int grow = 0;
    int front = 0;
    int back = 0;
};
