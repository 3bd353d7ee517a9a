#include "plugin/IMidiQueue.h"

#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace {

void add(IMidiQueue& queue, int offset, int note = 60) {
    const IMidiMsg msg(offset, 0x90, static_cast<uint8_t>(note), 100);
    queue.Add(&msg);
}

// Drains the queue, returning (offset, note) of each message in order.
std::vector<std::pair<int, int>> drain(IMidiQueue& queue) {
    std::vector<std::pair<int, int>> out;
    for (; !queue.Empty(); queue.Remove()) out.emplace_back(queue.Peek()->offset, queue.Peek()->data1);
    return out;
}

} // namespace

TEST(IMidiQueue, KeepsOffsetOrderAndArrivalOrderForEqualOffsets) {
    IMidiQueue queue;
    for (auto [offset, note] : {std::pair{10, 1}, {5, 2}, {5, 3}, {0, 4}}) add(queue, offset, note);
    EXPECT_EQ(drain(queue), (std::vector<std::pair<int, int>>{{0, 4}, {5, 2}, {5, 3}, {10, 1}}));
}

TEST(IMidiQueue, ResizeRoundsToWholePagesAndNeverDropsPendingMessages) {
    IMidiQueue queue;
    EXPECT_EQ(queue.GetSize(), 1024);
    for (auto [blockSize, expected] :
         {std::pair{100, 512}, {512, 512}, {513, 1024}, {1024, 1024}, {0, 512}}) {
        queue.Resize(blockSize);
        EXPECT_EQ(std::pair(queue.GetSize(), queue.GetGrow()), std::pair(expected, expected)) << blockSize;
    }
    for (int i = 0; i < 600; ++i) add(queue, i);
    queue.Resize(100);
    EXPECT_EQ((std::array{queue.GetSize(), queue.GetGrow(), queue.ToBeProcessed()}),
              (std::array{1024, 512, 600}));
    EXPECT_EQ(drain(queue).back().first, 599);
}

TEST(IMidiQueue, AFullQueueCompactsThenGrowsByItsStepOrDropsWithoutOne) {
    IMidiQueue queue(4);
    for (int i = 0; i < 4; ++i) add(queue, i);
    for (int i = 0; i < 3; ++i) queue.Remove();
    add(queue, 9);
    EXPECT_EQ(queue.GetSize(), 4);
    EXPECT_EQ(drain(queue), (std::vector<std::pair<int, int>>{{3, 60}, {9, 60}}));

    for (auto [grow, size, kept] : {std::tuple{4, 8, 5}, {1, 5, 5}, {0, 4, 4}}) {
        IMidiQueue fixed(4);
        fixed.SetGrow(grow);
        for (int i = 0; i < 5; ++i) add(fixed, i);
        EXPECT_EQ(std::pair(fixed.GetSize(), fixed.ToBeProcessed()), std::pair(size, kept)) << grow;
    }
}

TEST(IMidiQueue, FlushCarriesLaterMessagesIntoTheNextStep) {
    IMidiQueue queue;
    for (int offset : {3, 63, 70}) add(queue, offset);
    while (!queue.Empty() && queue.Peek()->offset < 64) queue.Remove();
    queue.Flush(64);
    ASSERT_EQ(queue.ToBeProcessed(), 1);
    EXPECT_EQ(queue.Peek()->offset, 6);
}
