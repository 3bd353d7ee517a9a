#include "plugin/IMidiQueue.h"

#include <cstdlib>
#include <cstring>

static_assert(sizeof(IMidiMsg) == 8, "the queue stores 8-byte messages");

IMidiQueue::IMidiQueue(int initialSize) : grow(initialSize) {
    reallocate(initialSize);
}

IMidiQueue::~IMidiQueue() {
    std::free(buf);
}

bool IMidiQueue::reallocate(int newSize) {
    if (newSize <= 0) return false;
    void* grown = std::realloc(buf, static_cast<size_t>(newSize) * sizeof(IMidiMsg));
    if (!grown) return false;
    buf = static_cast<IMidiMsg*>(grown);
    size = newSize;
    return true;
}

void IMidiQueue::compact() {
    if (front == 0) return;
    const int pending = back - front;
    if (pending > 0) std::memmove(buf, buf + front, pending * sizeof(IMidiMsg));
    back = pending;
    front = 0;
}

void IMidiQueue::Add(const IMidiMsg* msg) {
    if (back >= size) {
        if (front > 0) {
            compact();
        } else if (grow <= 0 || size > (1 << 24) || !reallocate((size / grow + 1) * grow)) {
            return;
        }
    }
    int insertAt = back;
    if (!Empty() && msg->offset < buf[back - 1].offset) {
        int i = back - 2;
        while (i >= front && buf[i].offset > msg->offset) --i;
        insertAt = i + 1;
        std::memmove(buf + insertAt + 1, buf + insertAt, (back - insertAt) * sizeof(IMidiMsg));
    }
    buf[insertAt] = *msg;
    ++back;
}

void IMidiQueue::Flush(int nFrames) {
    compact();
    for (int i = front; i < back; ++i) buf[i].offset -= nFrames;
}

void IMidiQueue::Resize(int n) {
    compact();
    auto roundUp = [](int count) {
        const int pages = (count + kMessagesPerPage - 1) / kMessagesPerPage;
        return (pages > 0 ? pages : 1) * kMessagesPerPage;
    };
    int newSize = roundUp(n);
    grow = newSize;
    if (back > newSize) newSize = roundUp(back);
    if (newSize != size) reallocate(newSize);
}
