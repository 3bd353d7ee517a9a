#include "plugin/IMidiQueue.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

IMidiMsg noteAt(int offset, int note = 60) {
    return IMidiMsg(offset, 0x90, static_cast<uint8_t>(note), 100);
}

// Drains the queue, returning (offset, note) of each message in order.
std::vector<std::pair<int, int>> drain(IMidiQueue& queue) {
    std::vector<std::pair<int, int>> out;
    while (!queue.Empty()) {
        out.emplace_back(queue.Peek()->offset, queue.Peek()->data1);
        queue.Remove();
    }
    return out;
}

} // namespace

TEST(IMidiQueue, KeepsOffsetOrderAndArrivalOrderForEqualOffsets) {
    IMidiQueue queue;
    for (auto [offset, note] : {std::pair{10, 1}, {5, 2}, {5, 3}, {0, 4}}) {
        const IMidiMsg msg = noteAt(offset, note);
        queue.Add(&msg);
    }
    EXPECT_EQ(queue.ToBeProcessed(), 4);
    const std::vector<std::pair<int, int>> expected = {{0, 4}, {5, 2}, {5, 3}, {10, 1}};
    EXPECT_EQ(drain(queue), expected);
}

TEST(IMidiQueue, ResizeRoundsToWholePagesAndNeverDropsPendingMessages) {
    IMidiQueue queue;
    EXPECT_EQ(queue.GetSize(), 1024);
    for (auto [blockSize, expected] :
         {std::pair{100, 512}, {512, 512}, {513, 1024}, {1024, 1024}, {0, 512}}) {
        queue.Resize(blockSize);
        EXPECT_EQ(queue.GetSize(), expected) << blockSize;
        EXPECT_EQ(queue.GetGrow(), expected) << blockSize;
    }
    for (int i = 0; i < 600; ++i) {
        const IMidiMsg msg = noteAt(i);
        queue.Add(&msg);
    }
    queue.Resize(100);
    EXPECT_EQ(queue.GetSize(), 1024);
    EXPECT_EQ(queue.GetGrow(), 512);
    EXPECT_EQ(queue.ToBeProcessed(), 600);
    EXPECT_EQ(drain(queue).back().first, 599);
}

TEST(IMidiQueue, FullQueueCompactsBeforeGrowing) {
    IMidiQueue queue(4);
    for (int i = 0; i < 4; ++i) {
        const IMidiMsg msg = noteAt(i);
        queue.Add(&msg);
    }
    for (int i = 0; i < 3; ++i) queue.Remove();
    const IMidiMsg late = noteAt(9);
    queue.Add(&late);
    EXPECT_EQ(queue.GetSize(), 4);
    const std::vector<std::pair<int, int>> expected = {{3, 60}, {9, 60}};
    EXPECT_EQ(drain(queue), expected);

    for (int i = 0; i < 5; ++i) {
        const IMidiMsg msg = noteAt(i);
        queue.Add(&msg);
    }
    EXPECT_EQ(queue.GetSize(), 8);
    EXPECT_EQ(queue.ToBeProcessed(), 5);
}

TEST(IMidiQueue, WithoutGrowthStepAFullQueueDropsTheMessage) {
    IMidiQueue queue(2);
    queue.SetGrow(0);
    for (int i = 0; i < 3; ++i) {
        const IMidiMsg msg = noteAt(i);
        queue.Add(&msg);
    }
    EXPECT_EQ(queue.ToBeProcessed(), 2);
}

TEST(IMidiQueue, FlushCarriesLaterMessagesIntoTheNextStep) {
    IMidiQueue queue;
    for (int offset : {3, 63, 70}) {
        const IMidiMsg msg = noteAt(offset);
        queue.Add(&msg);
    }
    while (!queue.Empty() && queue.Peek()->offset < 64) queue.Remove();
    queue.Flush(64);
    ASSERT_EQ(queue.ToBeProcessed(), 1);
    EXPECT_EQ(queue.Peek()->offset, 6);
}
