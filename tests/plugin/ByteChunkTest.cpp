#include "plugin/ByteChunk.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> bytesOf(const ByteChunk& chunk) {
    return {chunk.GetData(), chunk.GetData() + chunk.Size()};
}

} // namespace

TEST(ByteChunk, PrimitivesAreLittleEndianWithoutPadding) {
    ByteChunk chunk;
    chunk.Put(int32_t{5});
    chunk.PutStr("abc");
    EXPECT_EQ(bytesOf(chunk), (std::vector<unsigned char>{5, 0, 0, 0, 3, 0, 0, 0, 'a', 'b', 'c'}));

    chunk.Clear();
    chunk.Put(true);
    chunk.Put(false);
    chunk.Put(1.0);
    chunk.Put(uint32_t{0xA1B2C3D4});
    EXPECT_EQ(bytesOf(chunk),
              (std::vector<unsigned char>{1, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0xD4, 0xC3, 0xB2, 0xA1}));
}

TEST(ByteChunk, ReadsRoundTripAndFailWithoutTouchingTheTarget) {
    ByteChunk chunk;
    chunk.Put(int32_t{-7});
    chunk.Put(3.25);
    chunk.Put(true);
    int32_t i = 0;
    double d = 0.0;
    bool b = false;
    int pos = chunk.Get(&i, 0);
    pos = chunk.Get(&d, pos);
    pos = chunk.Get(&b, pos);
    EXPECT_EQ(pos, 13);
    EXPECT_EQ(i, -7);
    EXPECT_DOUBLE_EQ(d, 3.25);
    EXPECT_TRUE(b);

    int32_t untouched = 99;
    EXPECT_EQ(chunk.Get(&untouched, 10), -1);
    EXPECT_EQ(chunk.Get(&untouched, -1), -1);
    EXPECT_EQ(chunk.Get(&untouched, 2147483646), -1);
    EXPECT_EQ(untouched, 99);

    const unsigned char two = 2;
    ByteChunk boolChunk;
    boolChunk.PutBytes(&two, 1);
    b = false;
    EXPECT_EQ(boolChunk.Get(&b, 0), 1);
    EXPECT_TRUE(b);
}

TEST(ByteChunk, StringReadsFollowTheLengthField) {
    ByteChunk chunk;
    chunk.PutStr("");
    std::string text = "kept";
    EXPECT_EQ(chunk.GetStr(&text, 0), 4);
    EXPECT_EQ(text, "kept");

    chunk.Clear();
    chunk.Put(int32_t{6});
    chunk.PutBytes("ab\0cd", 5); // one byte short
    EXPECT_EQ(chunk.GetStr(&text, 0), 10);
    EXPECT_EQ(text, "kept");
    chunk.PutBytes("e", 1);
    EXPECT_EQ(chunk.GetStr(&text, 0), 10);
    EXPECT_EQ(text, "ab");

    chunk.Clear();
    chunk.Put(int32_t{0x7FFFFFFF});
    EXPECT_EQ(chunk.GetStr(&text, 0), -1);
    EXPECT_EQ(chunk.GetStr(&text, 3), -1);
    EXPECT_EQ(text, "ab");
}

TEST(ByteChunk, VersionHeader) {
    ByteChunk chunk;
    chunk.PutStr("stale");
    InitChunkWithIPlugVer(&chunk);
    EXPECT_EQ(bytesOf(chunk), (std::vector<unsigned char>{0x74, 0x66, 0x66, 0x70, 0, 0, 1, 0}));
    int pos = 0;
    EXPECT_EQ(GetIPlugVerFromChunk(&chunk, &pos), 0x00010000);
    EXPECT_EQ(pos, 8);

    ByteChunk other;
    other.Put(int32_t{1234});
    pos = 0;
    EXPECT_EQ(GetIPlugVerFromChunk(&other, &pos), 0);
    EXPECT_EQ(pos, 0);

    ByteChunk cut;
    cut.Put(kIPlugChunkMagic);
    cut.PutBytes("\1\0", 2);
    pos = 0;
    EXPECT_EQ(GetIPlugVerFromChunk(&cut, &pos), 0);
    EXPECT_EQ(pos, -1);
}

TEST(ByteChunk, AppendingAChunkToItselfDoublesIt) {
    ByteChunk chunk;
    chunk.PutStr("xy");
    chunk.PutChunk(chunk);
    EXPECT_EQ(chunk.Size(), 12);
    EXPECT_EQ(std::memcmp(chunk.GetData(), chunk.GetData() + 6, 6), 0);
    EXPECT_EQ(chunk.Resize(-5), 0);
}
