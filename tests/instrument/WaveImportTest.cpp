#include "instrument/WaveImport.h"

#include "engine/MipMap.h"
#include "instrument/Wave.h"
#include "tests/instrument/WaveTestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

using namespace WaveImport;
using namespace WaveTestFiles;

namespace {

const Format kMono16{1, 1, 16};

std::string writeRamp(const ScratchFolder& scratch, const std::string& name, uint32_t frames) {
    return scratch.write(name, wav(kMono16, ramp(frames)));
}

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

// A record that must survive a failed load.
void fillPrevious(Wave& wave) {
    const std::vector<double> previous(2048, 0.5);
    wave.putFrom(previous.data(), 2048, "previous.wav");
}

void loadInto(Wave& wave, const std::string& path) {
    ImportedWaveTable table;
    if (loadWaveTable(path, &table)) table.storeInto(wave);
}

void expectPrevious(const Wave& wave) {
    EXPECT_STREQ(wave.getName(), "previous.wav");
    ASSERT_EQ(wave.getSize(), 2048u);
    EXPECT_EQ(wave.getSamples()[0], 16383);
}

} // namespace

TEST(WaveImport, CubicInterpolationPassesThroughTheMiddlePoints) {
    struct Case {
        double y0, y1, y2, y3, mu, expected;
    };
    const std::vector<Case> cases = {
        {0.3, -0.25, 0.75, 0.1, 0.0, -0.25}, {0.3, -0.25, 0.75, 0.125, 1.0, 0.75},
        {0.0, 1.0, 2.0, 3.0, 0.5, 1.5},      {0.0, 1.0, 2.0, 3.0, 0.25, 1.25},
        {1.0, 0.0, 0.0, 1.0, 0.5, -0.125},   {0.0, 0.0, 1.0, 0.0, 0.5, 0.5625},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(CubicInterpolate(c.y0, c.y1, c.y2, c.y3, c.mu), c.expected) << c.mu;
}

TEST(WaveImport, BlofeldTriplesAreTwentyOneBitTwosComplement) {
    struct Case {
        unsigned char h, m, l;
        double value;
    };
    const std::vector<Case> cases = {
        {0x3F, 0x7F, 0x7F, 1.0},
        {0x40, 0x00, 0x00, 1048576.0 / 1048575.0 - 2.0},
        {0x00, 0x00, 0x00, 0.0},
        {0x7F, 0x7F, 0x7F, 2097151.0 / 1048575.0 - 2.0},
        {0x20, 0x00, 0x00, 524288.0 / 1048575.0},
        {0xBF, 0xFF, 0xFF, 1.0}, // only the low seven bits of each byte count
    };
    unsigned char message[410] = {};
    for (const Case& c : cases) {
        message[8 + 3 * 5] = c.h;
        message[9 + 3 * 5] = c.m;
        message[10 + 3 * 5] = c.l;
        EXPECT_EQ(getFromTriple(message, 5), c.value) << int(c.h) << " " << int(c.m) << " " << int(c.l);
    }
}

TEST(WaveImport, KindOfFileIsTheExtensionOfTheLastPathComponent) {
    struct Case {
        const char* path;
        FileKind kind;
        const char* name;
    };
    const std::vector<Case> cases = {
        {"/home/u/saw.wav", FileKind::eWAV, "saw.wav"},
        {"/home/u/SAW.WaV", FileKind::eWAV, "SAW.WaV"},
        {"C:\\tables\\dump.SYX", FileKind::eBlofeldSYX, "dump.SYX"},
        {"/a.wav/table", FileKind::eUnknown, "table"},
        {"/a/table.wav.txt", FileKind::eUnknown, "table.wav.txt"},
        {"/a/table.", FileKind::eUnknown, "table."},
        {"/a/.wav", FileKind::eWAV, ".wav"},
        {"wav", FileKind::eUnknown, "wav"},
        {"", FileKind::eUnknown, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fileKindOf(c.path), c.kind) << c.path;
        EXPECT_EQ(fileNameOf(c.path), c.name) << c.path;
    }
}

TEST(WaveImport, VerdictOnMonoWavFilesNamesTheirWaves) {
    struct Case {
        uint32_t frames;
        const char* message;
    };
    const std::vector<Case> cases = {
        {600, "This is a single cycle waveform file\nwith 600 samples."},
        {1, "This is a single cycle waveform file\nwith 1 samples."},
        {2048, "This is a single cycle waveform file\nwith 2048 samples."},
        {4096, "This is assumed to be a wave table file\nwith 2 waves of 2048 samples."},
        {133120, "This is assumed to be a wave table file\nwith 65 waves of 2048 samples."},
        {5000,
         "This file does not have the correct Korvanta wave table format.\nHowever, it is treated as a wave "
         "table with 2 waves of 2048 samples."},
        {133119,
         "This file does not have the correct Korvanta wave table format.\nHowever, it is treated as a "
         "wave table with 64 waves of 2048 samples."},
        {300000,
         "This file does not have the correct Korvanta wave table format.\nHowever, it is treated as a "
         "wave table with 64 waves of 2048 samples."},
    };
    ScratchFolder scratch;
    for (const Case& c : cases) {
        const ImportVerdict verdict = checkSelectedFile(writeRamp(scratch, "v.wav", c.frames));
        EXPECT_TRUE(verdict.accepted) << c.frames;
        EXPECT_EQ(verdict.message, c.message);
    }
}

TEST(WaveImport, WavFilesKeepWholeWavesUpToSixtyFour) {
    struct Case {
        uint32_t frames;
        size_t kept;
    };
    const std::vector<Case> cases = {
        {2048, 2048}, {4096, 4096}, {5000, 4096}, {131072, 131072}, {300000, 131072}};
    ScratchFolder scratch;
    for (const Case& c : cases) {
        const ImportedWaveTable table = load(writeRamp(scratch, "table.wav", c.frames));
        ASSERT_EQ(table.samples.size(), c.kept) << c.frames;
        EXPECT_EQ(table.numberOfWaves(), static_cast<int>(c.kept / 2048));
        EXPECT_EQ(table.name, "table.wav");
        for (size_t i = 0; i < c.kept; i += 97)
            ASSERT_EQ(table.samples[i], rampValue(static_cast<uint32_t>(i))) << i;
        EXPECT_EQ(table.samples.back(), rampValue(static_cast<uint32_t>(c.kept - 1)));
    }
}

TEST(WaveImport, SingleCycleIsStretchedToOneWave) {
    const uint32_t n = 600;
    std::vector<double> cycle(n);
    for (uint32_t i = 0; i < n; ++i) cycle[i] = 0.8 * std::sin(2.0 * std::numbers::pi * i / n + 0.3);
    ScratchFolder scratch;
    const ImportedWaveTable table = load(scratch.write("cycle.wav", wav({3, 1, 64}, cycle)));
    ASSERT_EQ(table.samples.size(), 2048u);
    EXPECT_EQ(table.samples[0], cycle[0]);
    // The points advance by (n - 1) / 2047 file samples, so the last one lands on the last file sample.
    for (int i = 0; i < 2048; ++i) {
        const double x = i * (n - 1) / 2047.0;
        ASSERT_NEAR(table.samples[i], 0.8 * std::sin(2.0 * std::numbers::pi * x / n + 0.3), 1e-6) << i;
    }
    EXPECT_NEAR(table.samples[2047], cycle[n - 1], 1e-9);
}

TEST(WaveImport, TinySingleCyclesWrapAround) {
    ScratchFolder scratch;
    const ImportedWaveTable one = load(scratch.write("one.wav", wav(kMono16, {0.25})));
    ASSERT_EQ(one.samples.size(), 2048u);
    for (double v : one.samples) ASSERT_EQ(v, 0.25);

    // Two points: the curve runs from the first to the second and reads the first again beyond it.
    const ImportedWaveTable two = load(scratch.write("two.wav", wav(kMono16, {-0.5, 0.5})));
    ASSERT_EQ(two.samples.size(), 2048u);
    EXPECT_EQ(two.samples[0], -0.5);
    EXPECT_NEAR(two.samples[2047], 0.5, 1e-9);
    EXPECT_NEAR(two.samples[1023], CubicInterpolate(0.5, -0.5, 0.5, -0.5, 1023 / 2047.0), 1e-9);
}

TEST(WaveImport, NonFiniteFloatSamplesBecomeFiniteWithoutSpreading) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> values(4096, 0.25);
    values[10] = nan;
    values[20] = inf;
    values[30] = -inf;
    std::vector<double> cycle(100, 0.25);
    cycle[50] = nan;
    ScratchFolder scratch;
    const ImportedWaveTable table = load(scratch.write("nan.wav", wav({3, 1, 64}, values)));
    EXPECT_EQ(table.samples[10], 0.0);
    EXPECT_EQ(table.samples[20], 1.0);
    EXPECT_EQ(table.samples[30], -1.0);
    EXPECT_EQ(table.samples[11], 0.25);
    const ImportedWaveTable stretched = load(scratch.write("nan-cycle.wav", wav({3, 1, 32}, cycle)));
    for (double v : stretched.samples) ASSERT_TRUE(std::isfinite(v));
}

TEST(WaveImport, StereoWavAndMonoWavWithoutAWholeFrameAreRefusedSilently) {
    const std::vector<Bytes> files = {
        wav({1, 2, 16}, ramp(4096)),
        riff(chunk("fmt ", fmtBody(kMono16))),
        riff(chunk("fmt ", fmtBody(kMono16)) + chunk("data", "\x01")),
        riff(chunk("fmt ", fmtBody({1, 1, 24})) + chunk("data", Bytes("\x01\x02", 2))),
        riff(chunk("fmt ", fmtBody(kMono16)) + chunk("data", "")),
    };
    ScratchFolder scratch;
    for (const Bytes& file : files) {
        const std::string path = scratch.write("empty.wav", file);
        const ImportVerdict verdict = checkSelectedFile(path);
        EXPECT_FALSE(verdict.accepted);
        EXPECT_EQ(verdict.message, "");
        Wave wave;
        fillPrevious(wave);
        loadInto(wave, path);
        expectPrevious(wave);
    }
}

TEST(WaveImport, SoxFilesPassTheVerdictAndLoad) {
    if (!haveSox()) GTEST_SKIP() << "sox is not installed; the files written by a real tool are not checked";
    const std::vector<double> values = ramp(4096);
    ScratchFolder scratch;
    for (const char* encoding :
         {"-e signed-integer -b 16", "-e signed-integer -b 24", "-e floating-point -b 32"}) {
        ASSERT_TRUE(soxWrite(scratch, values, encoding, "sox.wav")) << encoding;
        EXPECT_EQ(checkSelectedFile(scratch.file("sox.wav")).message,
                  "This is assumed to be a wave table file\nwith 2 waves of 2048 samples.")
            << encoding;
        EXPECT_EQ(load(scratch.file("sox.wav")).samples, values) << encoding;
    }
}

TEST(WaveImport, BlofeldDumpBecomesOneWavePerMessage) {
    ScratchFolder scratch;
    const std::string path = scratch.write("blofeld.syx", blofeldFile(64));
    const ImportVerdict verdict = checkSelectedFile(path);
    EXPECT_TRUE(verdict.accepted);
    EXPECT_EQ(verdict.message, "This is assumed to be a Blofield\nwave table file with 64 waves.");

    Wave wave;
    loadInto(wave, path);
    EXPECT_EQ(wave.getSize(), 64u * 2048u);
    EXPECT_STREQ(wave.getName(), "blofeld.syx");

    const ImportedWaveTable table = load(path);
    for (int m = 0; m < 64; ++m) {
        const std::vector<int> raw = blofeldSine(1 + m % 5, 0.9);
        const double* out = table.samples.data() + m * 2048;
        EXPECT_EQ(out[0], raw[0] / 1048575.0);
        // Points step by 127/2047 of a message sample: the stretched wave follows the sine closely.
        for (int i = 0; i < 2048; i += 31) {
            const double x = i * 127.0 / 2047.0;
            ASSERT_NEAR(out[i], 0.9 * std::sin(2.0 * std::numbers::pi * (1 + m % 5) * x / 128.0), 2e-3)
                << m << " " << i;
        }
    }
}

TEST(WaveImport, BlofeldWaveEndsOnItsLastSample) {
    std::vector<int> raw(128, 0);
    raw[127] = 1048575; // 1.0
    ScratchFolder scratch;
    const ImportedWaveTable table = load(scratch.write("edge.syx", blofeldMessage(raw)));
    ASSERT_EQ(table.samples.size(), 2048u);
    EXPECT_NEAR(table.samples[2047], 1.0, 1e-9);
    EXPECT_NEAR(table.samples[2031], CubicInterpolate(0.0, 0.0, 1.0, 0.0, 2031 * 127.0 / 2047.0 - 126.0),
                1e-9);
}

TEST(WaveImport, BlofeldDumpReadsAtMostSixtyFourWaves) {
    Bytes file = blofeldFile(100);
    file[70 * 410 + 4] = 0x00; // beyond the waves a table plays: never read
    ScratchFolder scratch;
    const ImportedWaveTable table = load(scratch.write("huge.syx", file));
    EXPECT_EQ(table.numberOfWaves(), 64);
}

TEST(WaveImport, BadLaterBlofeldMessageKeepsThePreviousWave) {
    for (int badByte : {0, 1, 2, 4}) {
        Bytes file = blofeldFile(5);
        file[3 * 410 + badByte] = 0x55;
        ScratchFolder scratch;
        const std::string path = scratch.write("bad.syx", file);
        EXPECT_TRUE(checkSelectedFile(path).accepted); // only the first message is checked up front
        Wave wave;
        fillPrevious(wave);
        loadInto(wave, path);
        expectPrevious(wave);
    }
    Bytes anyModel = blofeldFile(2);
    anyModel[410 + 3] = 0x7F; // byte 3 is not part of the check
    ScratchFolder scratch;
    EXPECT_EQ(load(scratch.write("any.syx", anyModel)).numberOfWaves(), 2);
}

TEST(WaveImport, InvalidBlofeldFilesAreRefusedWithTheirName) {
    Bytes badHeader = blofeldFile(1);
    badHeader[4] = 0x13;
    struct Case {
        const char* name;
        Bytes content;
    };
    const std::vector<Case> cases = {
        {"short.syx", blofeldFile(2).substr(0, 819)},
        {"long.syx", blofeldFile(2) + "x"},
        {"empty.syx", ""},
        {"header.syx", badHeader},
        {"tiny.syx", blofeldFile(1).substr(0, 4)},
    };
    ScratchFolder scratch;
    for (const Case& c : cases) {
        const ImportVerdict verdict = checkSelectedFile(scratch.write(c.name, c.content));
        EXPECT_FALSE(verdict.accepted) << c.name;
        EXPECT_EQ(verdict.message, "Invalid file format! Cannot load\n\"" + std::string(c.name) + "\".");
    }
    // The loader itself reads whole messages and ignores a trailing part.
    EXPECT_EQ(load(scratch.file("short.syx")).numberOfWaves(), 1);
    EXPECT_EQ(load(scratch.file("long.syx")).numberOfWaves(), 2);
}

TEST(WaveImport, UnreadablePathsAreRefused) {
    ScratchFolder scratch;
    std::filesystem::create_directory(scratch.file("folder.wav"));
    std::filesystem::create_directory(scratch.file("folder.syx"));
    const std::string file = scratch.write("plain.syx", blofeldFile(1));
    const std::vector<std::string> paths = {"",
                                            scratch.file("folder.wav"),
                                            scratch.file("missing.wav"),
                                            scratch.write("empty.wav", ""),
                                            scratch.write("text.wav", "RIFF is not enough"),
                                            file + "/below.syx",
                                            scratch.file("missing.syx"),
                                            scratch.write("table.txt", blofeldFile(1)),
                                            scratch.write("nothing.syx", ""),
                                            scratch.write("cut.syx", blofeldFile(1).substr(0, 409))};
    for (const std::string& path : paths) {
        const ImportVerdict verdict = checkSelectedFile(path);
        EXPECT_FALSE(verdict.accepted) << path;
        Wave wave;
        fillPrevious(wave);
        loadInto(wave, path);
        expectPrevious(wave);
    }
    const ImportVerdict folder = checkSelectedFile(scratch.file("folder.syx"));
    EXPECT_FALSE(folder.accepted);
    EXPECT_EQ(folder.message, "Invalid file format! Cannot load\n\"folder.syx\".");
}

TEST(WaveImport, LoadedTableBuildsItsMipMap) {
    // Low harmonics only, so that level 0 (everything below harmonic 1024) is the table itself.
    std::vector<double> values(3 * 2048);
    for (size_t i = 0; i < values.size(); ++i) {
        const double phase = 2.0 * std::numbers::pi * static_cast<double>(i % 2048) / 2048.0;
        values[i] = 0.6 * std::sin(phase * static_cast<double>(1 + i / 2048)) + 0.2 * std::cos(3 * phase);
    }
    ScratchFolder scratch;
    Wave wave;
    loadInto(wave, scratch.write("three.wav", wav({3, 1, 32}, values)));
    ASSERT_EQ(wave.getSize(), values.size());

    // Storing the record builds its table.
    ASSERT_NE(wave.getTable(), nullptr);
    const MipMap& mipMap = *wave.getTable();
    ASSERT_TRUE(mipMap.isValid());
    EXPECT_EQ(mipMap.getNumberOfWaves(), 3u);
    // Each wave of a level is brought to full scale on its own.
    for (uint32_t w = 0; w < 3; ++w) {
        double peak = 0.0;
        for (uint32_t i = 0; i < 2048; ++i) peak = std::max(peak, std::abs(values[w * 2048 + i]));
        for (uint32_t i = 0; i < 2048; i += 7)
            ASSERT_NEAR(mipMap.getSample(0, w, i), values[w * 2048 + i] / peak, 3.0 / 32767.0)
                << w << " " << i;
    }

    Wave blofeld;
    loadInto(blofeld, scratch.write("b.syx", blofeldFile(64)));
    EXPECT_EQ(blofeld.getTable()->getNumberOfWaves(), 64u);
}
