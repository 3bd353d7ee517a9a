#include "plugin/ByteChunk.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytesOf(const ByteChunk& chunk) {
    return {chunk.GetData(), chunk.GetData() + chunk.Size()};
}

} // namespace

TEST(ByteChunk, PrimitivesAreLittleEndianWithoutPaddingAndReadBack) {
    ByteChunk chunk;
    chunk.Put(int32_t{5});
    chunk.PutStr("abc");
    EXPECT_EQ(bytesOf(chunk), (Bytes{5, 0, 0, 0, 3, 0, 0, 0, 'a', 'b', 'c'}));

    chunk.Clear();
    chunk.Put(true);
    chunk.Put(false);
    chunk.Put(1.0);
    chunk.Put(uint32_t{0xA1B2C3D4});
    EXPECT_EQ(bytesOf(chunk), (Bytes{1, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0xD4, 0xC3, 0xB2, 0xA1}));
    bool b = false;
    double d = 0.0;
    uint32_t u = 0;
    EXPECT_EQ(chunk.Get(&u, chunk.Get(&d, chunk.Get(&b, 1))), 14);
    EXPECT_EQ(std::tuple(b, d, u), std::tuple(false, 1.0, 0xA1B2C3D4u));

    // Reads that do not fit fail without touching the target; any non-zero byte is true.
    int32_t untouched = 99;
    for (int pos : {11, -1, 2147483646}) EXPECT_EQ(chunk.Get(&untouched, pos), -1) << pos;
    EXPECT_EQ(untouched, 99);
    EXPECT_EQ(chunk.Get(&b, 13), 14);
    EXPECT_TRUE(b);
}

TEST(ByteChunk, AppendingAChunkToItselfDoublesIt) {
    ByteChunk chunk;
    chunk.PutStr("xy");
    chunk.PutChunk(chunk);
    EXPECT_EQ(chunk.Size(), 12);
    EXPECT_EQ(std::memcmp(chunk.GetData(), chunk.GetData() + 6, 6), 0);
    EXPECT_EQ(chunk.Resize(-5), 0);
}
