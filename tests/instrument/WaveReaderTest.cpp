#include "instrument/WaveReader.h"

#include "tests/instrument/WaveTestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace WaveTestFiles;

namespace {

// Exact in every accepted encoding, 8-bit included.
const std::vector<double> kExactValues = {-1.0, -0.5, 0.0, 0.25, 0.9921875, -0.0078125};

std::vector<double> readAll(WaveReader& reader, unsigned count) {
    std::vector<double> values(count, 99.0);
    values.resize(reader.ReadDoubles(values.data(), count));
    return values;
}

struct NamedFormat {
    const char* name;
    Format format;
};

} // namespace

TEST(WaveReader, ReadsEveryAcceptedFormat) {
    ScratchFolder scratch;
    for (const NamedFormat& f :
         {NamedFormat{"pcm8", {1, 1, 8}}, NamedFormat{"pcm16", {1, 1, 16}}, NamedFormat{"pcm24", {1, 1, 24}},
          NamedFormat{"float32", {3, 1, 32}}, NamedFormat{"float64", {3, 1, 64}},
          NamedFormat{"ext pcm16", {1, 1, 16, 44100, true}},
          NamedFormat{"ext pcm24", {1, 1, 24, 44100, true}},
          NamedFormat{"ext float32", {3, 1, 32, 44100, true}},
          NamedFormat{"ext float64", {3, 1, 64, 44100, true}}}) {
        SCOPED_TRACE(f.name);
        Format stereo = f.format;
        stereo.channels = 2;
        stereo.rate = 48000;
        WaveReader reader;
        ASSERT_TRUE(reader.Open(scratch.write("t.wav", wav(stereo, kExactValues)).c_str()));
        EXPECT_EQ(reader.getBitsPerSample(), f.format.bits);
        EXPECT_EQ(reader.getChannels(), 2);
        EXPECT_EQ(reader.getSampleRate(), 48000u);
        EXPECT_EQ(reader.getFrames(), kExactValues.size() / 2);
        EXPECT_EQ(readAll(reader, 100), kExactValues);
    }
}

TEST(WaveReader, RefusesOtherFormats) {
    Bytes noSubFormat = fmtBody({1, 1, 16});
    noSubFormat.replace(0, 2, "\xFE\xFF");
    noSubFormat += Bytes("\x00\x00", 2); // cbSize 0: no sub-format follows
    Bytes foreign = fmtBody({1, 1, 16, 44100, true});
    foreign[30] = 0x11; // a sub-format GUID outside the registered family
    std::vector<std::pair<std::string, Bytes>> files = {
        {"extensible without sub-format", riff(chunk("fmt ", noSubFormat) + chunk("data", "\0\0"))},
        {"foreign sub-format", riff(chunk("fmt ", foreign) + chunk("data", "\0\0"))}};
    for (const NamedFormat& f :
         {NamedFormat{"pcm32", {1, 1, 32}}, NamedFormat{"pcm12", {1, 1, 12}}, NamedFormat{"u-law", {7, 1, 8}},
          NamedFormat{"no channels", {1, 0, 16}}, NamedFormat{"extensible pcm32", {1, 1, 32, 44100, true}}})
        files.emplace_back(f.name, wav(f.format, {0.5, 0.5}));
    ScratchFolder scratch;
    for (const auto& [name, file] : files) {
        WaveReader reader;
        EXPECT_FALSE(reader.Open(scratch.write("r.wav", file).c_str())) << name;
        EXPECT_FALSE(reader.hasFormat()) << name;
        EXPECT_EQ(reader.getChannels(), 0) << name;
    }
}

TEST(WaveReader, WalksPastOtherChunksWithTheirPadBytes) {
    const Format f{1, 1, 16};
    const Bytes data = chunk("data", encode(f, kExactValues));
    const Bytes longFmt = chunk("fmt ", fmtBody(f) + Bytes("\x00\x00\x07", 3)); // size 19, padded
    struct Case {
        const char* name;
        Bytes file;
    };
    const std::vector<Case> cases = {
        {"odd chunk before fmt", riff(chunk("LIST", "abc") + chunk("fmt ", fmtBody(f)) + data)},
        {"odd-sized fmt", riff(longFmt + data)},
        {"data before fmt", riff(chunk("data", "zzz") + chunk("fmt ", fmtBody(f)) + data)},
        {"short fmt is skipped", riff(chunk("fmt ", "12345678") + chunk("fmt ", fmtBody(f)) + data)}};
    ScratchFolder scratch;
    for (const Case& c : cases) {
        WaveReader reader;
        ASSERT_TRUE(reader.Open(scratch.write("p.wav", c.file).c_str())) << c.name;
        EXPECT_EQ(reader.getFrames(), kExactValues.size()) << c.name;
        EXPECT_EQ(readAll(reader, 100), kExactValues) << c.name;
    }
}

TEST(WaveReader, ReadingEndsWithTheDataChunk) {
    const Format f{1, 1, 16};
    const Bytes file = riff(chunk("fmt ", fmtBody(f)) + chunk("data", encode(f, {0.5, -0.5}) + "\x01") +
                            chunk("LIST", "trailing chunk"));
    ScratchFolder scratch;
    WaveReader reader;
    ASSERT_TRUE(reader.Open(scratch.write("e.wav", file).c_str()));
    EXPECT_EQ(reader.getFrames(), 2u); // the odd byte is no whole frame
    EXPECT_EQ(reader.getFirstSamplePosition(), 44);
    EXPECT_EQ(readAll(reader, 1), std::vector<double>{0.5});
    EXPECT_EQ(readAll(reader, 10), std::vector<double>{-0.5});
    EXPECT_EQ(readAll(reader, 10), std::vector<double>{});
}

TEST(WaveReader, LeavesNoFileOpenOnAnyPath) {
    const auto openFiles = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    };
    ScratchFolder scratch;
    const Bytes good = wav({1, 1, 16}, {0.5, 0.25});
    const std::vector<Bytes> files = {good, good.substr(0, 30)};
    const auto before = openFiles();
    for (const Bytes& content : files) {
        WaveReader reader;
        reader.Open(scratch.write("leak.wav", content).c_str());
        reader.Open(scratch.write("leak2.wav", content).c_str()); // reopening drops the first file
    }
    EXPECT_EQ(openFiles(), before);
}
