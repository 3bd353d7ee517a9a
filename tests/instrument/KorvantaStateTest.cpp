#include "tests/instrument/TempHome.h"
#include "tests/support/KorvantaTestHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using namespace testhost;

namespace {

constexpr int kMarkerSize = 14;
constexpr int kParamBytes = 153 * 8;

int paramNamed(Korvanta& plug, const char* name) {
    for (int i = 0; i < plug.NParams(); ++i)
        if (std::strcmp(plug.GetParam(i)->GetNameForHost(), name) == 0) return i;
    return -1;
}

int tuningBlockSize(Korvanta& plug) {
    ByteChunk tuning;
    plug.serializeTuning(&tuning);
    return tuning.Size();
}

void loadUserWave(Korvanta& plug, int k, int waves, const char* name) {
    std::vector<double> samples(static_cast<size_t>(2048 * waves));
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = std::sin(i * 0.01 * (k + 1));
    plug.getUserWave(k).putFrom(samples.data(), static_cast<int>(samples.size()), name);
}

// Where the parameter values start, after the marker, the index and the first program's name.
int valuesStart(Korvanta& plug) {
    return kMarkerSize + 8 + static_cast<int>(std::strlen(plug.GetPresetName(0)));
}

// Where the user wave slots start, after the values and the tuning block.
int slotsStart(Korvanta& plug) {
    return valuesStart(plug) + kParamBytes + tuningBlockSize(plug);
}

ByteChunk stateOf(Korvanta& plug) {
    ByteChunk chunk;
    plug.SerializeState(&chunk);
    return chunk;
}

class KorvantaState : public ::testing::Test {
protected:
    TempHome home;
};

} // namespace

TEST_F(KorvantaState, LayoutIsMarkerIndexNameValuesTuningSlotsAndExtension) {
    auto plug = makeInstrument();
    plug->ModifyCurrentPreset("Bass");
    plug->GetParam(140)->Set(1.0); // reserved: written as zero
    const ByteChunk chunk = stateOf(*plug);
    const int t = tuningBlockSize(*plug);
    ASSERT_EQ(chunk.Size(), 14 + 4 + 4 + 4 + 1224 + t + 1 + 3 + 8);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(chunk.GetData()), kMarkerSize), "Korvanta_1.1.3");
    int32_t index = -1;
    chunk.Get(&index, kMarkerSize);
    EXPECT_EQ(index, plug->GetCurrentPresetIdx());
    std::string name;
    chunk.GetStr(&name, kMarkerSize + 4);
    EXPECT_EQ(name, "Bass");
    const int volume = paramNamed(*plug, "Volume");
    double value = -1.0;
    chunk.Get(&value, kMarkerSize + 8 + 4 + 8 * volume);
    EXPECT_DOUBLE_EQ(value, plug->GetParam(volume)->Value());
    chunk.Get(&value, kMarkerSize + 8 + 4 + 8 * 140);
    EXPECT_EQ(value, 0.0);
    const int slots = kMarkerSize + 8 + 4 + kParamBytes + t;
    EXPECT_EQ(std::vector<unsigned char>(chunk.GetData() + slots, chunk.GetData() + chunk.Size()),
              (std::vector<unsigned char>{3, 0, 0, 0, 4, 0, 0, 0, 0x51, 0x04, 0, 0}));
    EXPECT_TRUE(plug->isNewVersion_1_1_3(const_cast<ByteChunk*>(&chunk), 0));
    EXPECT_FALSE(plug->isNewVersion_1_1_3(const_cast<ByteChunk*>(&chunk), 1));
}

TEST_F(KorvantaState, ARestoredStateWritesTheSameBytesAndEndsExactlyAtItsLength) {
    auto plug = makeInstrument();
    setParam(*plug, 11, 65533); // oscillator 1 plays user table 3
    loadUserWave(*plug, 2, 3, "three.wav");
    setParam(*plug, 11, 65533);
    setParam(*plug, paramNamed(*plug, "Volume"), 0.8);
    plug->setTuning(static_cast<MicroTuning>(3));
    plug->ModifyCurrentPreset("Same");
    ByteChunk chunk = stateOf(*plug);

    auto other = makeInstrument();
    other->ModifyCurrentPreset("Same");
    EXPECT_EQ(other->UnserializeState(&chunk, 0), chunk.Size());
    EXPECT_STREQ(other->getUserWaveName(2), "three.wav");
    EXPECT_EQ(other->getMipMap(0).getNumberOfWaves(), 3u); // the oscillator playing it is rebuilt
    EXPECT_TRUE(stateOf(*other).IsEqual(chunk));

    // Placed after other bytes, as in a bank.
    ByteChunk bank;
    bank.PutStr("prefix");
    bank.PutChunk(chunk);
    EXPECT_EQ(other->UnserializeState(&bank, 10), bank.Size());
}

TEST_F(KorvantaState, OlderLayoutIsReadFromItsFirstByte) {
    auto plug = makeInstrument();
    setParam(*plug, paramNamed(*plug, "Volume"), 0.25);
    const ByteChunk current = stateOf(*plug);
    const int nameEnd = valuesStart(*plug);
    ByteChunk older;
    older.PutBytes(current.GetData() + nameEnd, current.Size() - nameEnd);

    auto other = makeInstrument();
    EXPECT_EQ(other->UnserializeState(&older, 0), older.Size());
    EXPECT_DOUBLE_EQ(other->GetParam(paramNamed(*other, "Volume"))->Value(), 0.25);
}

TEST_F(KorvantaState, ValuesOutsideTheRangeAreClampedAndNotANumberIsTheMinimum) {
    auto plug = makeInstrument();
    ByteChunk chunk = stateOf(*plug);
    const int first = valuesStart(*plug);
    const int volume = paramNamed(*plug, "Volume");
    const double values[] = {5.0, std::numeric_limits<double>::quiet_NaN()};
    const double expected[] = {1.0, 0.0};
    for (int i = 0; i < 2; ++i) {
        std::memcpy(chunk.GetData() + first + 8 * volume, &values[i], 8);
        EXPECT_EQ(plug->UnserializeState(&chunk, 0), chunk.Size());
        EXPECT_DOUBLE_EQ(plug->GetParam(volume)->Value(), expected[i]);
    }
}

TEST_F(KorvantaState, AUserWaveNoOscillatorSelectsIsNotStored) {
    auto plug = makeInstrument();
    loadUserWave(*plug, 2, 1, "unused.wav");
    ByteChunk chunk = stateOf(*plug);
    const int slots = slotsStart(*plug);
    EXPECT_EQ(chunk.GetData()[slots + 3], 0);
    EXPECT_EQ(plug->UnserializeState(&chunk, 0), chunk.Size());
    EXPECT_FALSE(plug->getUserWave(2).isValid());
}

TEST_F(KorvantaState, MoreThanThreeSlotsOrACutChunkFailAndApplyNothing) {
    auto plug = makeInstrument();
    loadUserWave(*plug, 1, 1, "one.wav");
    setParam(*plug, 50, 65532);
    ByteChunk chunk = stateOf(*plug);
    const int slots = slotsStart(*plug);
    chunk.GetData()[slots] = 4;
    auto other = makeInstrument();
    EXPECT_EQ(other->UnserializeState(&chunk, 0), -1);
    EXPECT_STREQ(other->getUserWaveName(1), "");
    EXPECT_NE(other->GetParam(kWaveTable3)->Value(), kFirstUserTable + 1);
    chunk.GetData()[slots] = 3;
    ByteChunk cut;
    cut.PutBytes(chunk.GetData(), chunk.Size() - 1);
    EXPECT_EQ(other->UnserializeState(&cut, 0), -1);
    EXPECT_STREQ(other->getUserWaveName(1), "");
}

TEST_F(KorvantaState, InitPresetNamesTheProgramInitAndEmptiesTheUserTables) {
    auto plug = makeInstrument();
    loadUserWave(*plug, 0, 1, "w.wav");
    setParam(*plug, 11, 65531);
    plug->setTuning(static_cast<MicroTuning>(5));
    const int volume = paramNamed(*plug, "Volume");
    setParam(*plug, volume, 0.9);
    plug->initPreset();
    EXPECT_STREQ(plug->GetPresetName(plug->GetCurrentPresetIdx()), "Init");
    for (int k = 0; k < 3; ++k) EXPECT_FALSE(plug->getUserWave(k).isValid());
    EXPECT_EQ(plug->getTableDefs().getTableName(65531), std::string(""));
    EXPECT_EQ(std::pair(plug->GetParam(volume)->Value(), plug->microTuning),
              std::pair(plug->GetParam(volume)->GetDefault(), eEqual));
}
