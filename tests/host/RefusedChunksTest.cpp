// A program or bank chunk that a host hands over cut short or damaged is refused whole: effSetChunk
// answers 0 and parameters, program names, tuning and user waves stay as they were.

#include "engine/ParameterIds.h"
#include "tests/host/PluginUnderTest.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <numbers>
#include <string>
#include <tuple>
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

// Writes a value's bytes at a place in the chunk, growing it when the place is its end.
template <class T>
void poke(Bytes& b, size_t at, T v) {
    b.resize(std::max(b.size(), at + sizeof v));
    std::memcpy(b.data() + at, &v, sizeof v);
}

// Where the fields of a program chunk begin, in order, as the format lays them out.
struct Layout {
    size_t values, tuning, slots;
};

Layout layoutOf(const Bytes& chunk) {
    const size_t values = kHeader + kMarker + 8 + static_cast<size_t>(int32At(chunk, kHeader + kMarker + 4));
    return {values, values + 8 * kNumParams, values + 8 * kNumParams + 4 + kTuningName + 2 * kNotes};
}

// The module's own program chunk, given a user tuning and a user wave in slot 1 that oscillator 1 plays.
Bytes richProgram(PluginUnderTest& plugin, int seed) {
    plugin.SetParameter(kFilterCutoff, 0.2f + 0.1f * seed);
    plugin.SetParameter(kVolume, 0.4f + 0.1f * seed);
    Bytes chunk = plugin.Chunk(1);
    const Layout l = layoutOf(chunk);
    poke(chunk, l.values + 8 * kWaveTable1, double{kFirstUserTable});
    poke(chunk, l.tuning, int32_t{14}); // a user tuning
    const std::string tuningName = "Tuning " + std::to_string(seed);
    std::memcpy(chunk.data() + l.tuning + 4, tuningName.c_str(), tuningName.size() + 1);
    for (int n = 0; n < kNotes; ++n) {
        const int pitch = 128 * n + 16 * seed;
        chunk[l.tuning + 4 + kTuningName + 2 * n] = static_cast<unsigned char>(pitch >> 8);
        chunk[l.tuning + 4 + kTuningName + 2 * n + 1] = static_cast<unsigned char>(pitch & 0xFF);
    }
    Bytes wave = {1};
    poke(wave, 1, int32_t{kWaveSamples});
    for (int i = 0; i < kWaveSamples; ++i)
        poke(wave, wave.size(),
             static_cast<int16_t>(
                 std::lround(20000.0 * std::sin(2 * std::numbers::pi * (seed + 1) * i / kWaveSamples))));
    poke(wave, wave.size(), int32_t{8});
    wave.insert(wave.end(), {'w', 'a', 'v', 'e', '.', 'w', 'a', 'v'});
    chunk.erase(chunk.begin() + static_cast<long>(l.slots + 1)); // slot 1 was empty: flag 0
    chunk.insert(chunk.begin() + static_cast<long>(l.slots + 1), wave.begin(), wave.end());
    return chunk;
}

class RefusedChunks : public ::testing::Test {
protected:
    // Everything a chunk can change: the live sound (parameters, tuning, user waves) and every program.
    std::tuple<Bytes, Bytes, std::vector<float>> Everything() {
        std::vector<float> values(kNumParams);
        for (int i = 0; i < kNumParams; ++i) values[i] = plugin.GetParameter(i);
        return {plugin.Chunk(1), plugin.Chunk(0), values};
    }
    void ExpectRefused(int index, const Bytes& chunk, const std::string& what) {
        const auto before = Everything();
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
    // Every field boundary: header, marker, name, values, tuning, slots, the wave and what follows it.
    std::vector<size_t> cuts = {1, kHeader, kHeader + kMarker, kHeader + kMarker + 4, l.values, l.tuning};
    for (size_t at : {l.tuning + 4, l.tuning + 4 + kTuningName, l.slots, l.slots + 1, wave, wave + 4,
                      wave + 4 + kWaveSamples, wave + 4 + 2 * kWaveSamples, wave + 8 + 2 * kWaveSamples,
                      stateEnd - 10, stateEnd - 8, stateEnd - 4, stateEnd + 2})
        cuts.push_back(at);
    for (size_t n : cuts)
        ExpectRefused(1, Bytes(other.begin(), other.begin() + static_cast<long>(n)), std::to_string(n));

    using Damage = std::tuple<const char*, size_t, int32_t>;
    for (const auto& [what, at, value] :
         {Damage{"negative name length", kHeader + kMarker + 4, -1},
          Damage{"name beyond the end", kHeader + kMarker + 4, 1 << 30},
          Damage{"negative wave length", wave, -5}, Damage{"wave beyond the end", wave, 1 << 28},
          Damage{"negative wave name length", wave + 4 + 2 * kWaveSamples, -100}}) {
        Bytes damaged = other;
        poke(damaged, at, value);
        ExpectRefused(1, damaged, what);
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
    // Inside the first record's name, at its flag, inside its state, and two bytes before the last one ends.
    const size_t name = kHeader + 4 + static_cast<size_t>(int32At(bank, kHeader));
    for (size_t n :
         {size_t{1}, size_t{kHeader + 2}, name, name + 1, name + 100, bank.size() / 2, bank.size() - 2})
        ExpectRefused(0, Bytes(bank.begin(), bank.begin() + static_cast<long>(n)), std::to_string(n));
    Bytes damaged = bank;
    damaged[bank.size() - 12] = 9; // the last program's slot count
    ExpectRefused(0, damaged, "nine user wave slots");

    EXPECT_EQ(plugin.SetChunk(0, bank), 1);
    EXPECT_EQ(plugin.ProgramName(0), "Taken");
}
