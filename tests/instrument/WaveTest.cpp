#include "instrument/Wave.h"

#include "plugin/ByteChunk.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace {

std::vector<int16_t> samplesOf(const Wave& wave) {
    return std::vector<int16_t>(wave.getSamples(), wave.getSamples() + wave.getSize());
}

void fill(Wave& wave, std::vector<double> values, const std::string& name) {
    wave.putFrom(values.data(), static_cast<int>(values.size()), name);
}

} // namespace

TEST(Wave, PutFromClampsAndTruncatesTowardsZero) {
    struct Case {
        double in;
        int16_t stored;
    };
    const double inf = std::numeric_limits<double>::infinity();
    for (const Case& c : {Case{1.5, 32767}, Case{-0.5, -16383}, Case{-7.0, -32767}, Case{0.99999, 32766},
                          Case{-inf, -32767}, Case{std::nan(""), 0}}) {
        Wave wave;
        fill(wave, {c.in}, "x");
        ASSERT_TRUE(wave.isValid());
        EXPECT_EQ(wave.getSamples()[0], c.stored) << c.in;
    }
}

TEST(Wave, RecordHoldsTheLastSamplesAndNameWhileItHasSamples) {
    Wave wave;
    fill(wave, {0.1, 0.2, 0.3}, "first");
    fill(wave, {1.0, -0.5, 0.0}, "second");
    EXPECT_EQ(samplesOf(wave), (std::vector<int16_t>{32767, -16383, 0}));
    EXPECT_STREQ(wave.getName(), "second");
    std::vector<double> out(3, 9.0);
    wave.putInto(out.data());
    EXPECT_EQ(out, (std::vector<double>{1.0, -16383 / 32767.0, 0.0}));
    wave.clear();
    EXPECT_EQ(wave.getSamples(), nullptr);
    EXPECT_STREQ(wave.getName(), "");
    wave.putFrom(nullptr, 0, "ghost");
    EXPECT_FALSE(wave.isValid());
    EXPECT_STREQ(wave.getName(), "");
    const double one = 1.0;
    wave.putFrom(&one, -3, "negative");
    EXPECT_EQ(wave.getSize(), 0u);
}

TEST(Wave, SerializeWritesCountSamplesThenNameAndAnEmptyRecordReadsBackInvalid) {
    const auto bytesOf = [](const Wave& wave) {
        ByteChunk chunk;
        EXPECT_TRUE(wave.serialize(&chunk));
        return std::vector<unsigned char>(chunk.GetData(), chunk.GetData() + chunk.Size());
    };
    Wave wave;
    fill(wave, {1.0, -1.0}, "ab");
    EXPECT_EQ(bytesOf(wave),
              (std::vector<unsigned char>{2, 0, 0, 0, 0xFF, 0x7F, 0x01, 0x80, 2, 0, 0, 0, 'a', 'b'}));
    Wave empty;
    empty.putFrom(nullptr, 0, "x");
    EXPECT_EQ(bytesOf(empty), (std::vector<unsigned char>{0, 0, 0, 0, 1, 0, 0, 0, 'x'}));
    ByteChunk chunk;
    empty.serialize(&chunk);
    EXPECT_EQ(wave.unserialize(&chunk, 0), chunk.Size());
    EXPECT_FALSE(wave.isValid());
    EXPECT_STREQ(wave.getName(), "");
}

TEST(Wave, EmptyOrCutNameReadsAsEmptyAtTheStringPosition) {
    ByteChunk chunk;
    chunk.Put(int32_t{1});
    chunk.PutBytes("\x10\x00", 2);
    chunk.Put(int32_t{0});
    Wave wave;
    fill(wave, {0.1}, "previous");
    EXPECT_EQ(wave.unserialize(&chunk, 0), chunk.Size());
    EXPECT_TRUE(wave.isValid());
    EXPECT_STREQ(wave.getName(), "");

    ByteChunk cut;
    cut.Put(int32_t{1});
    cut.PutBytes("\x10\x00", 2);
    cut.Put(int32_t{50});
    cut.PutBytes("abc", 3);
    // The position points past the end, so the next read of the caller fails.
    EXPECT_EQ(wave.unserialize(&cut, 0), 10 + 50);
    EXPECT_STREQ(wave.getName(), "");
}

TEST(Wave, UnreadableRecordsAndPositionsFailAndLeaveTheRecordEmpty) {
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
    };
    const std::vector<Case> cases = {{"samples cut", {3, 0, 0, 0, 1, 0, 2, 0, 3}},
                                     {"negative count", {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}},
                                     {"negative name length", {1, 0, 0, 0, 5, 0, 0xF8, 0xFF, 0xFF, 0xFF}}};
    for (const Case& c : cases) {
        ByteChunk chunk;
        chunk.PutBytes(c.bytes.data(), static_cast<int>(c.bytes.size()));
        Wave wave;
        fill(wave, {0.5, 0.5}, "kept?");
        EXPECT_EQ(wave.unserialize(&chunk, 0), -1) << c.what;
        EXPECT_EQ(wave.getSamples(), nullptr) << c.what;
    }
    Wave wave;
    fill(wave, {0.5}, "n");
    ByteChunk chunk;
    wave.serialize(&chunk);
    for (int pos : {-1, chunk.Size()}) EXPECT_EQ(wave.unserialize(&chunk, pos), -1) << pos;
}
