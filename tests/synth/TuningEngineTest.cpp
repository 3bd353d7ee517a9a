#include "synth/TuningEngine.h"
#include "synth/TuningBuiltinScales.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Nobody offers an MTS-ESP master here: the engine plays its own tables.
const MTSLibrary& noLibrary() {
    static MTSLibrary library;
    return library;
}

using TuningBuiltinScales::Scale;

// The cents of a note from the scale's own degree texts: the check below is the independent part.
double centsOf(const Scale& scale, int note) {
    const int degree = note % 12;
    return 1200.0 * (note / 12) + (degree == 0 ? 0.0 : std::stod(std::string(scale.degrees[degree - 1])));
}

// The pitch step for frequency f, searched outward from the note's equal-tempered pitch.
int nearestStepFromEqual(int note, double f) {
    f = std::clamp(f, 8.176, 19912.127);
    const double equal = Pitch::MIDI2Hz()[note];
    int p = 128 * note;
    if (equal > f) {
        for (--p; Pitch::convert2Hz(p) > f;) --p;
        return f - Pitch::convert2Hz(p) > equal - f ? p + 1 : p;
    }
    for (++p; f > Pitch::convert2Hz(p);) ++p;
    return Pitch::convert2Hz(p) - f > f - equal ? p - 1 : p;
}

std::array<int, 128> expectedTable(const Scale& scale) {
    std::array<int, 128> table{};
    for (int n = 0; n < 128; ++n)
        table[n] =
            nearestStepFromEqual(n, 440.0 * std::pow(2.0, (centsOf(scale, n) - centsOf(scale, 69)) / 1200.0));
    return table;
}

std::array<int, 128> equalTable() {
    std::array<int, 128> table{};
    for (int n = 0; n < 128; ++n) table[n] = 128 * n;
    return table;
}

class TuningEngineTest : public ::testing::Test {
protected:
    // Loads a file of the given name and content into the user tuning; returns the loader's answer.
    int load(const char* name, const std::string& content, bool preferExact = false) {
        return engine.loadTuning(files.write(name, content).c_str(), preferExact);
    }

    TuningEngine engine{noLibrary()};
    ScratchFolder files;
};

} // namespace

TEST_F(TuningEngineTest, EveryBuiltInScaleGivesItsCentsRuleTable) {
    EXPECT_EQ(engine.tuningTable, equalTable());
    EXPECT_EQ(engine.customTuningTable, equalTable());
    for (int t = 1; t <= 13; ++t) {
        engine.setTuning(static_cast<MicroTuning>(t));
        const Scale& scale = TuningBuiltinScales::kScales[t - 1];
        EXPECT_EQ(engine.getTuningName(t), scale.label);
        EXPECT_EQ(engine.tuningTable, expectedTable(scale)) << scale.label;
        EXPECT_EQ(std::tuple(engine.getFrequency(69), engine.getFrequency(128), engine.getFrequency(-1)),
                  std::tuple(8832, 0, 0))
            << scale.label;
    }
    engine.setTuning(ePentatonic);
    // B sounds like C.
    EXPECT_EQ(std::tuple(engine.getFrequency(71), engine.getFrequency(72), engine.getFrequency(1 << 30)),
              std::tuple(9217, 9216, 0));
    // Values outside the selector select "Equal".
    for (int value : {15, -1}) {
        engine.setTuning(eBagpipe);
        engine.setTuning(static_cast<MicroTuning>(value));
        EXPECT_EQ(std::pair(engine.microTuning, engine.tuningTable), std::pair(eEqual, equalTable()))
            << value;
        EXPECT_STREQ(engine.getTuningName(-1), "Equal");
    }
}

TEST_F(TuningEngineTest, NamesTheTuningsAndCutsLongNamesToTheField) {
    EXPECT_STREQ(engine.getTuningName(0), "Equal");
    EXPECT_STREQ(engine.getTuningName(14), "");
    engine.setCustomTuningName("Mine");
    EXPECT_STREQ(engine.getTuningName(14), "Mine");
    engine.setTuning(eChineseLu);
    EXPECT_STREQ(engine.getTuningName(15), "Chinese Lu");
    engine.setTuning(eUserTuning);
    EXPECT_STREQ(engine.getTuningName(-1), "Mine");
    const std::string longName(400, 'n');
    engine.setCustomTuningName(longName.c_str());
    EXPECT_EQ(std::string(engine.customTuningName), longName.substr(0, 255));
    engine.setCustomTuningName(nullptr);
    EXPECT_STREQ(engine.customTuningName, "");
    ASSERT_EQ(load("long.scl", longName + "\n1\n2/1\n"), TuningEngine::kLoadDone);
    EXPECT_EQ(std::string(engine.customTuningName), longName.substr(0, 255));
}

TEST_F(TuningEngineTest, LoadsAnSclFileIntoTheUserTuningWithoutSelectingIt) {
    engine.setTuning(eWerckmeisterIII);
    const std::array<int, 128> before = engine.tuningTable;
    ASSERT_EQ(load("mine.SCL", "!\nMy Pentatonic\n12\n0.0\n200.0\n200.0\n500.0\n500.0\n500.0\n"
                               "700.0\n700.0\n900.0\n900.0\n1200.0\n1200.0\n"),
              TuningEngine::kLoadDone);
    EXPECT_EQ(std::tuple(std::string(engine.customTuningName), engine.microTuning, engine.tuningTable),
              std::tuple("My Pentatonic", eWerckmeisterIII, before));
    EXPECT_EQ(engine.customTuningTable, expectedTable(TuningBuiltinScales::kScales[ePentatonic - 1]));
    engine.setTuning(eUserTuning);
    EXPECT_EQ(engine.getFrequency(71), 9217);
    ASSERT_EQ(load("octave-only.scl", "1\n2/1\n"), TuningEngine::kLoadDone);
    EXPECT_STREQ(engine.customTuningName, "octave-only.scl");
}

TEST_F(TuningEngineTest, AKbmFileRemapsTheScaleHeldAndKeepsTheName) {
    const std::string kbm = "12\n0\n127\n60\n69\n415.0\n12\n0\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n";
    engine.setCustomTuningName("kept");
    // After "Equal" the importer holds 128 degrees of 100 cents: plain equal temperament at A = 415 Hz.
    ASSERT_EQ(load("a415.KBM", kbm), TuningEngine::kLoadDone);
    EXPECT_STREQ(engine.customTuningName, "kept");
    for (int n = 0; n < 128; ++n)
        EXPECT_EQ(engine.customTuningTable[n],
                  nearestStepFromEqual(n, 415.0 * std::pow(2.0, (n - 69) / 12.0)))
            << n;
}

TEST_F(TuningEngineTest, LoadsATunFileWithItsDescriptionAndPreference) {
    const std::string text = "[Scale Begin]\nFormat = \"AnaMark-TUN\"\nFormatVersion = 200\n"
                             "[Info]\nDescription = \"Quarter-comma test\"\n"
                             "[Functional Tuning]\nNote 69 = \"#440\"\nNote 70 = \"#450\"\n"
                             "[Exact Tuning]\nNote 70 = 7050.0\n[Scale End]\n";
    ASSERT_EQ(load("test.tun", text), TuningEngine::kLoadDone);
    EXPECT_STREQ(engine.customTuningName, "Quarter-comma test");
    EXPECT_EQ(engine.customTuningTable[70], nearestStepFromEqual(70, 450.0));
    ASSERT_EQ(load("test.tun", text, true), TuningEngine::kLoadDone);
    EXPECT_EQ(engine.customTuningTable[70],
              nearestStepFromEqual(70, 8.17579891564371 * std::pow(2.0, 70.5 / 12.0)));
    ASSERT_EQ(load("plain.tun", "[Tuning]\nNote 69 = 6950\n"), TuningEngine::kLoadDone);
    EXPECT_STREQ(engine.customTuningName, "");
    EXPECT_EQ(engine.customTuningTable[69], 8832 + 64);
}

TEST_F(TuningEngineTest, TuningsFarFromEqualTemperamentFindTheNearestStep) {
    // 19 steps to the octave: high notes lie many semitones below their equal-tempered pitch; 6 steps: far
    // above.
    for (const double stepCents : {1200.0 / 19, 200.0}) {
        std::string text = "[Exact Tuning]\nBaseFreq = 30.0\n";
        for (int n = 0; n < 128; ++n)
            text += "Note " + std::to_string(n) + " = " + std::to_string(n * stepCents) + "\n";
        ASSERT_EQ(load("edo.tun", text), TuningEngine::kLoadDone);
        for (int n = 0; n < 128; ++n) {
            const double hz = 30.0 * std::pow(2.0, std::stod(std::to_string(n * stepCents)) / 1200.0);
            EXPECT_EQ(engine.customTuningTable[n], nearestStepFromEqual(n, hz)) << n;
        }
    }
}

TEST_F(TuningEngineTest, AFailedLoadChangesNothingThatPlays) {
    ASSERT_EQ(load("good.scl", "Good\n1\n1300.0\n"), TuningEngine::kLoadDone);
    engine.setTuning(eUserTuning);
    const std::array<int, 128> user = engine.customTuningTable;
    for (const auto& [name, content] :
         {std::pair{"bad.scl", "Bad\n3\n100.0\n"}, std::pair{"bad.kbm", "12\n0\n"},
          std::pair{"bad.tun", "[Tuning]\nNote 1 = x\n"}, std::pair{"empty.tun", ""}}) {
        EXPECT_EQ(load(name, content, true), TuningEngine::kLoadFailed) << name;
        EXPECT_EQ(std::tuple(engine.microTuning, engine.tuningTable, engine.customTuningTable,
                             std::string(engine.customTuningName)),
                  std::tuple(eUserTuning, user, user, "Good"))
            << name;
    }
    for (const char* path : {"/nonexistent/file.tun", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(engine.loadTuning(path, false), TuningEngine::kLoadFailed);
}

TEST_F(TuningEngineTest, TuningBlockRoundTrips) {
    ASSERT_EQ(load("t.scl", "Stored\n2\n300.0\n2/1\n"), TuningEngine::kLoadDone);
    engine.setTuning(eUserTuning);
    ByteChunk chunk;
    chunk.Put(int32_t{77});
    ASSERT_TRUE(engine.serializeTuning(&chunk));
    ASSERT_EQ(chunk.Size(), 4 + 516);
    const unsigned char* block = chunk.GetData() + 4;
    // The tuning as a little-endian number, the name in 256 bytes, then the table as big-endian 16-bit
    // entries.
    EXPECT_EQ(std::tuple(block[0], block[1] | block[2] | block[3],
                         std::string(reinterpret_cast<const char*>(block + 4))),
              std::tuple(14, 0, "Stored"));
    for (const int n : {69, 127})
        EXPECT_EQ((block[260 + 2 * n] << 8) | block[261 + 2 * n], engine.customTuningTable[n]);
    TuningEngine restored(noLibrary());
    EXPECT_EQ(restored.unserializeTuning(&chunk, 4), 4 + 516);
    EXPECT_EQ(std::tuple(restored.microTuning, std::string(restored.customTuningName),
                         restored.customTuningTable, restored.tuningTable),
              std::tuple(eUserTuning, "Stored", engine.customTuningTable, engine.customTuningTable));
}

TEST_F(TuningEngineTest, ACutBlockReadsWhatIsThereAndStillSelectsTheStoredTuning) {
    ByteChunk full;
    engine.setCustomTuningName("Cut");
    for (int n = 0; n < 128; ++n) engine.customTuningTable[n] = 1000 + n;
    engine.setTuning(eUserTuning);
    engine.serializeTuning(&full);
    // Bytes kept; whether the tuning and the name are read, and how many table entries.
    using Cut = std::tuple<int, bool, bool, int>;
    for (const auto& [size, tuningRead, nameRead, entriesRead] :
         {Cut{3, false, false, 0}, Cut{4, true, false, 0}, Cut{260, true, true, 0}, Cut{262, true, true, 1},
          Cut{515, true, true, 127}}) {
        ByteChunk chunk;
        chunk.PutBytes(full.GetData(), size);
        TuningEngine target(noLibrary());
        target.setCustomTuningName("Before");
        target.setTuning(eBagpipe);
        EXPECT_EQ(target.unserializeTuning(&chunk, 0), -1) << size;
        std::array<int, 128> entries = equalTable();
        for (int n = 0; n < entriesRead; ++n) entries[n] = 1000 + n;
        EXPECT_EQ(
            std::tuple(target.microTuning, std::string(target.customTuningName), target.customTuningTable),
            std::tuple(tuningRead ? eUserTuning : eBagpipe, nameRead ? "Cut" : "Before", entries))
            << size;
        EXPECT_TRUE(!tuningRead || target.tuningTable == target.customTuningTable) << size;
    }
    TuningEngine target(noLibrary());
    EXPECT_EQ(target.unserializeTuning(&full, -1), -1);
    EXPECT_EQ(target.unserializeTuning(&full, 1), -1);
}
