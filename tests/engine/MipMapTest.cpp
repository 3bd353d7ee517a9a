#include "engine/MipMap.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/WaveSpectrum.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

namespace {

using testsupport::spectrumOfStoredWave;

constexpr uint32_t N = MipMap::kWaveLength;

class RecordedWave : public WaveSource {
public:
    explicit RecordedWave(std::vector<double> s) : samples(std::move(s)) {}
    uint32_t getSize() const override { return static_cast<uint32_t>(samples.size()); }
    void putInto(double* y) const override {
        for (size_t i = 0; i < samples.size(); ++i) y[i] = samples[i];
    }

private:
    std::vector<double> samples;
};

std::vector<double> sineWaves(uint32_t count, uint32_t extra = 0) {
    std::vector<double> s(count * N + extra);
    for (size_t i = 0; i < s.size(); ++i) s[i] = std::sin(2.0 * std::numbers::pi * ((i % N) + 1.0) / N);
    return s;
}

double rollOff(int bin, int bins) {
    const float ratio = static_cast<float>(bin) / static_cast<float>(bins);
    return static_cast<float>(1.0 - static_cast<double>(ratio) * ratio);
}

// Little-endian 16-bit samples: a rising ramp within each wave, so that every wave has content.
std::vector<unsigned char> rampFile(size_t bytes) {
    std::vector<unsigned char> data(bytes);
    for (size_t i = 0; i + 1 < bytes; i += 2) {
        const auto value = static_cast<int16_t>(static_cast<int>((i / 2) % N) * 16 - 16384);
        data[i] = static_cast<unsigned char>(value & 0xFF);
        data[i + 1] = static_cast<unsigned char>((value >> 8) & 0xFF);
    }
    return data;
}

std::unique_ptr<MipMap> inFolder(const ScratchFolder& folder) {
    auto table = std::make_unique<MipMap>();
    table->setResourcePath((folder.path + "/").c_str());
    return table;
}

} // namespace

TEST(MipMap, EachLevelKeepsOnlyItsBinsWithTheRollOff) {
    MipMap table;
    table.createMipMap(eSaw);
    for (uint32_t level = 0; level < MipMap::kLevels; ++level) {
        const int bins = static_cast<int>(1024u >> level);
        const auto spectrum = spectrumOfStoredWave(table.getLevel(level));
        // The saw's partials fall as 1/h; after normalisation only their ratios are known.
        const double fundamental = spectrum.magnitude(1) / rollOff(1, bins);
        for (int h = 1; h < 1024; ++h) {
            const double expected = h < bins ? fundamental * rollOff(h, bins) / h : 0.0;
            EXPECT_NEAR(spectrum.magnitude(h), expected, 2e-4) << "level " << level << " harmonic " << h;
        }
    }
}

TEST(MipMap, EveryWaveOfEveryLevelReachesFullScale) {
    MipMap table;
    table.createMipMap(eSawTri);
    for (uint32_t level = 0; level < MipMap::kLevels; ++level)
        for (uint32_t w = 0; w < table.getNumberOfWaves(); ++w) {
            int peak = 0;
            for (uint32_t i = 0; i < N; ++i)
                peak = std::max(peak, std::abs(table.getLevel(level)[w * N + i]));
            EXPECT_GE(peak, 32766) << "level " << level << " wave " << w;
            EXPECT_LE(peak, 32767);
        }
}

TEST(MipMap, StoredValuesAreTruncatedTowardsZero) {
    MipMap table;
    const RecordedWave sine(sineWaves(1));
    table.createMipMap(&sine);
    const int16_t* wave = table.getLevel(0);
    // One sample period of shift: the record's sine starts at i + 1.
    int truncated = 0;
    int rounded = 0;
    for (uint32_t i = 0; i < N; ++i) {
        const double exact =
            32767.0 * std::sin(2.0 * std::numbers::pi * (i + 1.0) / N) / rollOff(1, 1024) * rollOff(1, 1024);
        truncated += wave[i] == static_cast<int>(std::trunc(exact));
        rounded += wave[i] == static_cast<int>(std::lround(exact));
    }
    EXPECT_GE(truncated, 2030);
    EXPECT_LT(rounded, 1500);
}

TEST(MipMap, WaveRecordGivesWholeWavesUpToSixtyFour) {
    using Case = std::tuple<uint32_t, uint32_t, uint32_t>;
    for (const auto& [waves, extra, expected] : {Case{3, 100, 3}, Case{70, 0, 64}, Case{0, 100, 1}}) {
        MipMap table;
        const RecordedWave wave(sineWaves(waves, extra));
        table.createMipMap(&wave);
        EXPECT_EQ(std::tuple(table.getNumberOfWaves(), table.getTotalSamples(), table.getTableId(),
                             table.isValid()),
                  std::tuple(expected, expected * N, -1, true))
            << waves << "+" << extra;
    }
}

TEST(MipMap, UserSlotIdKeepsTheTableUntilTheWaveArrives) {
    MipMap table;
    table.createMipMap(eSaw);
    const int16_t* before = table.getLevel(0);
    table.createMipMap(65532);
    EXPECT_EQ(std::tuple(table.getTableId(), table.getLevel(0), table.getNumberOfWaves(), table.isValid()),
              std::tuple(65532, before, 1u, true));
}

TEST(MipMap, ResourceFileSamplesAreLittleEndianOverThirtyTwoThousand) {
    const ScratchFolder folder;
    folder.write("dw6000.bin", rampFile(4096 + 1000)); // a trailing partial wave is ignored
    const auto table = inFolder(folder);
    const std::unique_ptr<double[]> samples = table->loadWaveFromResources("WAVE_DW6000", "WAV");
    ASSERT_NE(samples, nullptr);
    EXPECT_EQ(table->getNumberOfWaves(), 1u);
    EXPECT_EQ(samples[0], -16384 / 32768.0);
    EXPECT_EQ(samples[2047], (2047 * 16 - 16384) / 32768.0);
    // A short file reads the rest as silence.
    folder.write("geesh.bin", rampFile(1000));
    const auto shortTable = inFolder(folder);
    const std::unique_ptr<double[]> rest = shortTable->loadWaveFromResources("WAVE_GEESH", "WAV");
    ASSERT_NE(rest, nullptr);
    EXPECT_EQ(shortTable->getNumberOfWaves(), 1u);
    EXPECT_EQ(rest[499], (499 * 16 - 16384) / 32768.0);
    for (uint32_t i = 500; i < N; ++i) ASSERT_EQ(rest[i], 0.0) << i;
}

TEST(MipMap, MissingOrUnreadableResourcesLeaveTheTableAsItWas) {
    const ScratchFolder folder;
    std::filesystem::create_directory((folder.path + "/") + "texture2.bin");
    const auto table = inFolder(folder);
    table->createMipMap(eDW6000);
    EXPECT_EQ(table->getLevel(0), nullptr);
    EXPECT_EQ(table->getSample(0, 0, 0), 0.0f);

    table->createMipMap(eSawTri);
    const int16_t* before = table->getLevel(0);
    table->createMipMap(eTexture1);
    EXPECT_EQ(table->getTableId(), eTexture1);
    EXPECT_EQ(table->getLevel(0), before);
    EXPECT_EQ(table->getNumberOfWaves(), 64u);
    table->createMipMap(eNumROMTables); // one past the built-in tables
    EXPECT_EQ(table->getLevel(0), before);
    // A folder in place of the file reads as missing.
    table->createMipMap(eTexture2);
    EXPECT_EQ(table->getLevel(0), before);
    EXPECT_EQ(table->loadWaveFromResources("WAVE_TEXTURE2", "WAV"), nullptr);
    EXPECT_EQ(table->loadWaveFromResources("WAVE_NONE", "WAV"), nullptr);
    EXPECT_EQ(table->loadWaveFromResources(nullptr, "WAV"), nullptr);
    const std::string longPath(5000, 'x');
    table->setResourcePath(longPath.c_str());
    EXPECT_EQ(std::string(table->getResourcePath()).size(), MipMap::kPathLength - 1);
    EXPECT_EQ(table->loadWaveFromResources("WAVE_DW6000", "WAV"), nullptr);
}

// A silent wave is not scaled up to full scale, and neither is one that is not finite.
TEST(MipMap, RebuildAfterALargerTableReadsOnlyTheNewOne) {
    MipMap fresh;
    fresh.createMipMap(eSaw);
    MipMap reused;
    reused.createMipMap(eSawTri);
    reused.createMipMap(eSaw);
    EXPECT_EQ(reused.getNumberOfWaves(), 1u);
    EXPECT_EQ(reused.getSample(0, 1, 100), 0.0f);
    for (uint32_t level = 0; level < MipMap::kLevels; ++level)
        for (uint32_t i = 0; i < N; ++i) ASSERT_EQ(reused.getLevel(level)[i], fresh.getLevel(level)[i]);
}

// Tables built into shared memory hold what tables built on their own hold, never overlap, and a table
// that no longer fits gets memory of its own.
TEST(MipMap, TablesInSharedMemoryMatchTablesOnTheirOwn) {
    const size_t oneTable = size_t{MipMap::kLevels} * 2 * N; // two waves, all levels
    TableMemory memory(2 * oneTable + 100);
    std::array<MipMap, 3> shared;
    MipMap alone;
    alone.createMipMap(eSawSine);
    for (MipMap& table : shared) {
        table.setMemory(&memory);
        table.createMipMap(eSawSine);
        for (uint32_t level = 0; level < MipMap::kLevels; ++level)
            EXPECT_TRUE(
                std::equal(alone.getLevel(level), alone.getLevel(level) + 2 * N, table.getLevel(level)));
    }
    EXPECT_GE(shared[1].getLevel(0), shared[0].getLevel(MipMap::kLevels - 1) + 2 * N);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(shared[1].getLevel(0)) % 64, 0u);
    // The third did not fit into what was left.
    const auto* begin = reinterpret_cast<const char*>(shared[0].getLevel(0));
    const auto* third = reinterpret_cast<const char*>(shared[2].getLevel(0));
    EXPECT_TRUE(third < begin || third >= begin + 2 * oneTable * sizeof(int16_t) + 256);
    EXPECT_EQ(memory.allocate(oneTable), nullptr);
    EXPECT_NE(memory.allocate(10), nullptr);
}
