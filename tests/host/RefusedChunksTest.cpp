// A program or bank chunk that a host hands over cut short or damaged is refused whole: effSetChunk
// answers 0 and parameters, program names, tuning and user waves stay as they were.

#include "engine/ParameterIds.h"
#include "tests/host/PluginUnderTest.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kHeader = 8;
constexpr int kMarker = 14;
constexpr int kTuningName = 256;
constexpr int kNotes = 128;
constexpr int kWaveSamples = 2048;

int32_t int32At(const Bytes& b, size_t at) {
    int32_t v = 0;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

void putInt32(Bytes& b, int32_t v) {
    const auto* p = reinterpret_cast<const unsigned char*>(&v);
    b.insert(b.end(), p, p + 4);
}

// Where the fields of a program chunk begin, in order, as the format lays them out.
struct Layout {
    size_t values, tuning, slots, end;
};

Layout layoutOf(const Bytes& chunk) {
    Layout l{};
    l.values = kHeader + kMarker + 8 + static_cast<size_t>(int32At(chunk, kHeader + kMarker + 4));
    l.tuning = l.values + 8 * kNumParams;
    l.slots = l.tuning + 4 + kTuningName + 2 * kNotes;
    return l;
}

// The module's own program chunk, given a user tuning and a user wave in slot 1 that oscillator 1 plays.
Bytes richProgram(PluginUnderTest& plugin, int seed) {
    plugin.SetParameter(kFilterCutoff, 0.2f + 0.1f * seed);
    plugin.SetParameter(kVolume, 0.4f + 0.1f * seed);
    Bytes chunk = plugin.Chunk(1);
    const Layout l = layoutOf(chunk);
    const double userTable = kFirstUserTable;
    std::memcpy(chunk.data() + l.values + 8 * kWaveTable1, &userTable, 8);
    const int32_t userTuning = 14;
    std::memcpy(chunk.data() + l.tuning, &userTuning, 4);
    const std::string tuningName = "Tuning " + std::to_string(seed);
    std::memcpy(chunk.data() + l.tuning + 4, tuningName.c_str(), tuningName.size() + 1);
    for (int n = 0; n < kNotes; ++n) {
        const int pitch = 128 * n + 16 * seed;
        chunk[l.tuning + 4 + kTuningName + 2 * n] = static_cast<unsigned char>(pitch >> 8);
        chunk[l.tuning + 4 + kTuningName + 2 * n + 1] = static_cast<unsigned char>(pitch & 0xFF);
    }
    Bytes wave = {1};
    putInt32(wave, kWaveSamples);
    for (int i = 0; i < kWaveSamples; ++i) {
        const auto s = static_cast<int16_t>(
            std::lround(20000.0 * std::sin(2 * std::numbers::pi * (seed + 1) * i / kWaveSamples)));
        wave.push_back(static_cast<unsigned char>(s & 0xFF));
        wave.push_back(static_cast<unsigned char>((s >> 8) & 0xFF));
    }
    putInt32(wave, 8);
    wave.insert(wave.end(), {'w', 'a', 'v', 'e', '.', 'w', 'a', 'v'});
    chunk.erase(chunk.begin() + static_cast<long>(l.slots + 1)); // slot 1 was empty: flag 0
    chunk.insert(chunk.begin() + static_cast<long>(l.slots + 1), wave.begin(), wave.end());
    return chunk;
}

class RefusedChunks : public ::testing::Test {
protected:
    // Everything a chunk can change: the live sound (parameters, tuning, user waves) and every program.
    std::vector<Bytes> Everything() {
        std::vector<Bytes> all = {plugin.Chunk(1), plugin.Chunk(0), {}};
        for (int i = 0; i < kNumParams; ++i) {
            const float v = plugin.GetParameter(i);
            all.back().insert(all.back().end(), reinterpret_cast<const unsigned char*>(&v),
                              reinterpret_cast<const unsigned char*>(&v) + 4);
        }
        return all;
    }
    void ExpectRefused(int index, const Bytes& chunk, const std::string& what) {
        const std::vector<Bytes> before = Everything();
        EXPECT_EQ(plugin.SetChunk(index, chunk), 0) << what;
        EXPECT_TRUE(Everything() == before) << what;
    }

    PluginUnderTest plugin, source;
};

} // namespace

TEST_F(RefusedChunks, AProgramChunkCutAtAnyFieldOrDamagedChangesNothing) {
    ASSERT_TRUE(plugin.Ready() && source.Ready());
    ASSERT_EQ(plugin.SetChunk(1, richProgram(plugin, 0)), 1);
    const Bytes other = richProgram(source, 3);
    const Layout l = layoutOf(other);
    const size_t wave = l.slots + 2;
    const size_t stateEnd = wave + 4 + 2 * kWaveSamples + 4 + 8 + 2 + 8;
    std::vector<size_t> cuts = {1,
                                kHeader,
                                kHeader + kMarker,
                                kHeader + kMarker + 4,
                                l.values,
                                l.tuning,
                                l.tuning + 4,
                                l.tuning + 4 + kTuningName,
                                l.slots,
                                l.slots + 1,
                                wave,
                                wave + 4,
                                wave + 4 + kWaveSamples,
                                wave + 4 + 2 * kWaveSamples,
                                wave + 8 + 2 * kWaveSamples,
                                stateEnd - 10,
                                stateEnd - 8,
                                stateEnd - 4,
                                stateEnd + 2};
    for (int i = 1; i <= kNumParams; ++i) cuts.push_back(l.values + 8 * static_cast<size_t>(i) - 3);
    for (int n = 0; n < kNotes; n += 9)
        cuts.push_back(l.tuning + 4 + kTuningName + 2 * static_cast<size_t>(n) + 1);
    for (size_t n : cuts)
        ExpectRefused(1, Bytes(other.begin(), other.begin() + static_cast<long>(n)), std::to_string(n));

    struct Damage {
        const char* what;
        size_t at;
        int32_t value;
    };
    for (const Damage& d :
         {Damage{"negative name length", kHeader + kMarker + 4, -1},
          Damage{"name beyond the end", kHeader + kMarker + 4, 1 << 30},
          Damage{"negative wave length", wave, -5}, Damage{"wave beyond the end", wave, 1 << 28},
          Damage{"negative wave name length", wave + 4 + 2 * kWaveSamples, -100}}) {
        Bytes damaged = other;
        std::memcpy(damaged.data() + d.at, &d.value, 4);
        ExpectRefused(1, damaged, d.what);
    }
    Bytes slots = other;
    slots[l.slots] = 4;
    ExpectRefused(1, slots, "four user wave slots");

    // The whole chunk is taken as before, tuning and wave included.
    EXPECT_EQ(plugin.SetChunk(1, other), 1);
    EXPECT_EQ(plugin.Chunk(1), other);
}

TEST_F(RefusedChunks, ABankChunkCutAtAnyRecordOrDamagedChangesNothing) {
    ASSERT_TRUE(plugin.Ready() && source.Ready());
    ASSERT_EQ(plugin.SetChunk(1, richProgram(plugin, 1)), 1);
    plugin.Dispatch(effSetProgramName, 0, 0, const_cast<char*>("Kept"));
    source.Dispatch(effSetProgramName, 0, 0, const_cast<char*>("Taken"));
    richProgram(source, 2);
    const Bytes bank = source.Chunk(0);
    // Record boundaries: name length, name, flag, then a state of the current layout.
    size_t at = kHeader;
    std::vector<size_t> cuts = {1, kHeader + 2};
    for (int program = 0; program < 64; ++program) {
        const size_t name = at + 4 + static_cast<size_t>(int32At(bank, at));
        const size_t state = name + 1;
        const size_t stateSize =
            layoutOf(Bytes(bank.begin() + static_cast<long>(state - kHeader), bank.end())).slots - kHeader +
            4 + 8;
        cuts.insert(cuts.end(), {name, state, state + 100, state + stateSize - 2});
        at = state + stateSize;
        ASSERT_LE(at, bank.size());
    }
    ASSERT_EQ(at, bank.size());
    for (size_t n : cuts)
        ExpectRefused(0, Bytes(bank.begin(), bank.begin() + static_cast<long>(n)), std::to_string(n));
    Bytes damaged = bank;
    damaged[bank.size() - 12] = 9; // the last program's slot count
    ExpectRefused(0, damaged, "nine user wave slots");

    EXPECT_EQ(plugin.SetChunk(0, bank), 1);
    EXPECT_EQ(plugin.ProgramName(0), "Taken");
}
