#include "instrument/WaveImport.h"

#include "instrument/Wave.h"
#include "tests/instrument/WaveTestFiles.h"

#include <gtest/gtest.h>
#include <tuple>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

using namespace WaveImport;
using namespace WaveTestFiles;

namespace {

const Format kMono16{1, 1, 16};

ImportedWaveTable load(const std::string& path) {
    ImportedWaveTable table;
    EXPECT_TRUE(loadWaveTable(path, &table)) << path;
    return table;
}

Bytes blofeldFile(int messages) {
    Bytes file;
    for (int m = 0; m < messages; ++m) file += blofeldMessage(blofeldSine(1 + m % 5, 0.9));
    return file;
}

// A failed load must leave the record it was meant for as it was.
void expectRecordKept(const std::string& path) {
    Wave wave;
    const std::vector<double> previous(2048, 0.5);
    wave.putFrom(previous.data(), 2048, "previous.wav");
    ImportedWaveTable table;
    if (loadWaveTable(path, &table)) table.storeInto(wave);
    EXPECT_STREQ(wave.getName(), "previous.wav") << path;
    ASSERT_EQ(wave.getSize(), 2048u) << path;
    EXPECT_EQ(wave.getSamples()[0], 16383) << path;
}

} // namespace

TEST(WaveImport, BlofeldTriplesAreTwentyOneBitTwosComplement) {
    struct Case {
        unsigned char h, m, l;
        double value;
    };
    const Case cases[] = {{0x3F, 0x7F, 0x7F, 1.0},
                          {0x40, 0x00, 0x00, 1048576.0 / 1048575.0 - 2.0},
                          {0x20, 0x00, 0x00, 524288.0 / 1048575.0},
                          {0xBF, 0xFF, 0xFF, 1.0}}; // only the low seven bits of each byte count
    unsigned char message[410] = {};
    for (const Case& c : cases) {
        message[23] = c.h;
        message[24] = c.m;
        message[25] = c.l;
        EXPECT_EQ(getFromTriple(message, 5), c.value) << int(c.h) << " " << int(c.m) << " " << int(c.l);
    }
}

// The verdict names the waves a file holds; whole waves are kept up to sixty-four, a single cycle (kept 0
// here) is stretched to one wave.
TEST(WaveImport, MonoWavFilesAreJudgedAndKeepWholeWavesUpToSixtyFour) {
    const std::string single = "This is a single cycle waveform file\nwith ";
    const std::string table = "This is assumed to be a wave table file\nwith ";
    const std::string odd = "This file does not have the correct Korvanta wave table format.\nHowever, it is "
                            "treated as a wave table with ";
    const std::tuple<uint32_t, std::string, size_t> cases[] = {
        {600, single + "600 samples.", 0},
        {2048, single + "2048 samples.", 2048},
        {4096, table + "2 waves of 2048 samples.", 4096},
        {133120, table + "65 waves of 2048 samples.", 131072},
        {5000, odd + "2 waves of 2048 samples.", 4096},
        {300000, odd + "64 waves of 2048 samples.", 131072}};
    ScratchFolder scratch;
    for (const auto& [frames, message, kept] : cases) {
        const std::string path = scratch.write("table.wav", wav(kMono16, ramp(frames)));
        const ImportVerdict verdict = checkSelectedFile(path);
        EXPECT_TRUE(verdict.accepted) << frames;
        EXPECT_EQ(verdict.message, message);
        if (kept == 0) continue;
        const ImportedWaveTable loaded = load(path);
        ASSERT_EQ(loaded.samples.size(), kept) << frames;
        EXPECT_EQ(loaded.numberOfWaves(), static_cast<int>(kept / 2048));
        EXPECT_EQ(loaded.name, "table.wav");
        for (size_t i = 0; i < kept; i += 97)
            ASSERT_EQ(loaded.samples[i], rampValue(static_cast<uint32_t>(i))) << i;
        EXPECT_EQ(loaded.samples.back(), rampValue(static_cast<uint32_t>(kept - 1)));
    }
}

TEST(WaveImport, SingleCyclesAreStretchedToOneWave) {
    const uint32_t n = 600;
    std::vector<double> cycle(n);
    for (uint32_t i = 0; i < n; ++i) cycle[i] = 0.8 * std::sin(2.0 * std::numbers::pi * i / n + 0.3);
    ScratchFolder scratch;
    const ImportedWaveTable table = load(scratch.write("cycle.wav", wav({3, 1, 64}, cycle)));
    ASSERT_EQ(table.samples.size(), 2048u);
    EXPECT_EQ(table.samples[0], cycle[0]);
    // The points advance by (n - 1) / 2047 file samples, so the last one lands on the last file sample.
    for (int i = 0; i < 2048; ++i)
        ASSERT_NEAR(table.samples[i], 0.8 * std::sin(2.0 * std::numbers::pi * i * (n - 1) / 2047.0 / n + 0.3),
                    1e-6)
            << i;
    EXPECT_NEAR(table.samples[2047], cycle[n - 1], 1e-9);

    const ImportedWaveTable one = load(scratch.write("one.wav", wav(kMono16, {0.25})));
    EXPECT_EQ(one.samples, std::vector<double>(2048, 0.25));
}

TEST(WaveImport, BlofeldDumpBecomesOneWavePerMessage) {
    ScratchFolder scratch;
    const std::string path = scratch.write("blofeld.syx", blofeldFile(64));
    const ImportVerdict verdict = checkSelectedFile(path);
    EXPECT_TRUE(verdict.accepted);
    EXPECT_EQ(verdict.message, "This is assumed to be a Blofield\nwave table file with 64 waves.");
    const ImportedWaveTable table = load(path);
    EXPECT_EQ(table.name, "blofeld.syx");
    ASSERT_EQ(table.numberOfWaves(), 64);
    for (int m = 0; m < 64; ++m) {
        const double* out = table.samples.data() + m * 2048;
        EXPECT_EQ(out[0], blofeldSine(1 + m % 5, 0.9)[0] / 1048575.0);
        // Points step by 127/2047 of a message sample: the stretched wave follows the sine closely.
        for (int i = 0; i < 2048; i += 31)
            ASSERT_NEAR(out[i],
                        0.9 * std::sin(2.0 * std::numbers::pi * (1 + m % 5) * i * 127.0 / 2047.0 / 128.0),
                        2e-3)
                << m << " " << i;
    }
    // A wave ends on its last sample.
    std::vector<int> raw(128, 0);
    raw[127] = 1048575;
    const ImportedWaveTable edge = load(scratch.write("edge.syx", blofeldMessage(raw)));
    ASSERT_EQ(edge.samples.size(), 2048u);
    EXPECT_NEAR(edge.samples[2047], 1.0, 1e-9);
    EXPECT_NEAR(edge.samples[2031], CubicInterpolate(0.0, 0.0, 1.0, 0.0, 2031 * 127.0 / 2047.0 - 126.0),
                1e-9);
    // Beyond the waves a table plays nothing is read.
    Bytes huge = blofeldFile(100);
    huge[70 * 410 + 4] = 0x00;
    EXPECT_EQ(load(scratch.write("huge.syx", huge)).numberOfWaves(), 64);
}

TEST(WaveImport, BadLaterBlofeldMessageKeepsThePreviousWave) {
    ScratchFolder scratch;
    for (int badByte : {0, 4}) {
        Bytes file = blofeldFile(5);
        file[3 * 410 + badByte] = 0x55;
        const std::string path = scratch.write("bad.syx", file);
        EXPECT_TRUE(checkSelectedFile(path).accepted); // only the first message is checked up front
        expectRecordKept(path);
    }
    Bytes anyModel = blofeldFile(2);
    anyModel[410 + 3] = 0x7F; // byte 3 is not part of the check
    EXPECT_EQ(load(scratch.write("any.syx", anyModel)).numberOfWaves(), 2);
}

TEST(WaveImport, InvalidBlofeldFilesAreRefusedWithTheirName) {
    Bytes badHeader = blofeldFile(1);
    badHeader[4] = 0x13;
    const std::pair<const char*, Bytes> cases[] = {{"short.syx", blofeldFile(2).substr(0, 819)},
                                                   {"long.syx", blofeldFile(2) + "x"},
                                                   {"header.syx", badHeader}};
    ScratchFolder scratch;
    for (const auto& [name, content] : cases) {
        const ImportVerdict verdict = checkSelectedFile(scratch.write(name, content));
        EXPECT_FALSE(verdict.accepted) << name;
        EXPECT_EQ(verdict.message, "Invalid file format! Cannot load\n\"" + std::string(name) + "\".");
    }
    // The loader itself reads whole messages and ignores a trailing part.
    EXPECT_EQ(load(scratch.file("short.syx")).numberOfWaves(), 1);
    EXPECT_EQ(load(scratch.file("long.syx")).numberOfWaves(), 2);
}

TEST(WaveImport, UnreadablePathsAreRefused) {
    ScratchFolder scratch;
    std::filesystem::create_directory(scratch.file("folder.wav"));
    std::filesystem::create_directory(scratch.file("folder.syx"));
    const std::string paths[] = {scratch.file("folder.wav"), scratch.file("missing.wav"),
                                 scratch.write("table.txt", blofeldFile(1))};
    for (const std::string& path : paths) {
        EXPECT_FALSE(checkSelectedFile(path).accepted) << path;
        expectRecordKept(path);
    }
    EXPECT_EQ(checkSelectedFile(scratch.file("folder.syx")).message,
              "Invalid file format! Cannot load\n\"folder.syx\".");
}
