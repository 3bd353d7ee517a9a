#include "tools/make-factory-bank/FactoryBank.h"
#include "instrument/Korvanta.h"
#include "instrument/ParameterTable.h"
#include "tests/support/SignalAnalysis.h"
#include "tools/make-factory-bank/PresetParser.h"
#include "tools/measure-bank/SignalMeasures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

// One program around a line under test, so that the parser's line numbers can be pinned.
std::string program(const std::string& line) {
    return "; a comment\n[Test Program]\n" + line + "\n";
}

struct GoodLine {
    const char* line;
    int index;
    double value;
};

constexpr GoodLine kGoodLines[] = {
    {"Filter Cutoff = 0.45", 78, 0.45}, {"Filter Type = Lowpass 12", 77, 1},
    {"MG 1 Sync Rate = 1/16", 124, 15}, {"Number of Voices = 8", 2, 3},
    {"Wave Table 1 = Pianet", 11, 23},  {"Wave Table 3 = 65532", 50, 65532},
    {"Filter cFM = MG1", 83, 5},        {"Filter cFM = -0.3", 82, -0.3},
    {"Hard Sync 3 = Osc 2", 57, 2},     {"Pitch Bend = -12", 7, -12},
    {"#78 = 0.45", 78, 0.45},           {"#83 = MG1", 83, 5},
};

TEST(PresetParser, ResolvesNamesLabelsAndIndices) {
    for (const GoodLine& good : kGoodLines) {
        PresetParser parser;
        std::vector<ProgramDefinition> programs;
        ASSERT_TRUE(parser.parse(program(good.line), "good.txt", &programs)) << parser.getError();
        ASSERT_EQ(programs.size(), 1u);
        ASSERT_EQ(programs[0].settings.size(), 1u) << good.line;
        EXPECT_EQ(programs[0].settings[0].index, good.index) << good.line;
        EXPECT_DOUBLE_EQ(programs[0].settings[0].value, good.value) << good.line;
        EXPECT_EQ(programs[0].settings[0].line, 3) << good.line;
    }
}

TEST(PresetParser, ReadsProgramsInOrderWithTheirTunings) {
    PresetParser parser;
    std::vector<ProgramDefinition> programs;
    const std::string text = "[First]\nVolume = 0.4\n\n[Second]\nTuning = Werckmeister III\nPitch 1 = -3\n"
                             "[Third]\nTuning = Meantone 1/4 comma\n";
    ASSERT_TRUE(parser.parse(text, "order.txt", &programs)) << parser.getError();
    std::vector<std::tuple<std::string, int, int, size_t>> read;
    for (const ProgramDefinition& p : programs)
        read.emplace_back(p.name, p.tuning, p.line, p.settings.size());
    EXPECT_EQ(read, (decltype(read){{"First", 0, 1, 1}, {"Second", 5, 4, 1}, {"Third", 6, 7, 0}}));
}

// The plain value each parameter of a program should hold: its default unless the definition sets it.
std::vector<double> programValues(const ProgramDefinition& program) {
    std::vector<double> values(ParameterTable::kNumParams);
    for (int i = 0; i < ParameterTable::kNumParams; ++i) values[i] = ParameterTable::row(i).defaultValue;
    for (const ProgramSetting& setting : program.settings) values[setting.index] = setting.value;
    return values;
}

const std::vector<ProgramDefinition>& definitions() {
    static const std::vector<ProgramDefinition> programs = [] {
        std::vector<ProgramDefinition> read;
        std::string error;
        EXPECT_TRUE(FactoryBank::read(KORVANTA_PRESET_DIR, &read, &error)) << error;
        return read;
    }();
    return programs;
}

// The generated bank, loaded into a fresh instrument the way a host would play it.
class FactoryBankFile : public ::testing::Test {
protected:
    static constexpr double kRate = 44100.0;
    static constexpr int kBlock = 512;

    void SetUp() override {
        ASSERT_EQ(definitions().size(), static_cast<size_t>(FactoryBank::kNumPrograms));
        Korvanta::setNoiseSeed(1);
        plug = std::make_unique<Korvanta>(IPlugInstanceInfo{});
        plug->setResourceFolder(KORVANTA_RESOURCE_DIR "/");
        plug->SetSampleRate(kRate);
        plug->SetBlockSize(kBlock);
        plug->Reset();
        plug->OnActivate(true);
        ASSERT_TRUE(plug->LoadBankFromFXB(KORVANTA_RESOURCE_DIR "/init.fxb"));
    }

    std::unique_ptr<Korvanta> plug;
};

TEST_F(FactoryBankFile, EveryProgramLoadsItsDefinitionUnderItsNameInBankOrder) {
    ASSERT_EQ(plug->NPresets(), FactoryBank::kNumPrograms);
    std::set<std::pair<std::vector<double>, int>> sounds;
    std::set<std::string> names;
    for (int i = 0; i < FactoryBank::kNumPrograms; ++i) {
        const ProgramDefinition& program = definitions()[i];
        EXPECT_EQ(plug->GetPresetName(i), program.name) << "program " << i;
        // All that a VST 2.4 host shows of a program name: 23 characters and the terminator.
        EXPECT_LE(program.name.size(), 23u) << program.name;
        names.insert(program.name);
        ASSERT_TRUE(plug->RestorePreset(i)) << program.name;
        const std::vector<double> expected = programValues(program);
        for (int p = 0; p < ParameterTable::kNumParams; ++p)
            EXPECT_DOUBLE_EQ(plug->GetParam(p)->Value(), expected[p]) << program.name << ", parameter " << p;
        EXPECT_EQ(plug->microTuning, program.tuning) << program.name;
        sounds.insert({expected, program.tuning});
    }
    EXPECT_EQ(names.size(), static_cast<size_t>(FactoryBank::kNumPrograms));
    EXPECT_EQ(sounds.size(), names.size()); // no two programs are alike
}

// One category of eight programs at a time, so that each run stays short; the sanitizers, which slow
// rendering tenfold, play two programs of each.
constexpr int kCategorySize = 8;
#if defined(__SANITIZE_ADDRESS__)
constexpr int kProgramStride = 4;
#else
constexpr int kProgramStride = 1;
#endif

class FactoryBankSound : public FactoryBankFile, public ::testing::WithParamInterface<int> {
protected:
    // A fresh instance on program i, as a host's first note after loading the plug-in meets it.
    void freshProgram(int i) {
        SetUp();
        ASSERT_TRUE(plug->RestorePreset(i));
    }

    // The notes struck together, held, then released.
    StereoSignal play(const std::vector<uint8_t>& notes, uint8_t velocity, double heldSeconds,
                      double releaseSeconds) {
        StereoSignal out;
        std::vector<double> l(kBlock), r(kBlock);
        double* outputs[2] = {l.data(), r.data()};
        for (const auto& [status, seconds] :
             {std::pair{uint8_t{0x90}, heldSeconds}, {uint8_t{0x80}, releaseSeconds}}) {
            for (uint8_t note : notes) {
                IMidiMsg msg(0, status, note, status == 0x90 ? velocity : 0);
                plug->ProcessMidiMsg(&msg);
            }
            for (int left = static_cast<int>(seconds * kRate); left > 0; left -= kBlock) {
                const int n = std::min(kBlock, left);
                plug->ProcessDoubleReplacing(nullptr, outputs, n);
                out.left.insert(out.left.end(), l.begin(), l.begin() + n);
                out.right.insert(out.right.end(), r.begin(), r.begin() + n);
            }
        }
        return out;
    }
};

// The faults a player hears at once: a chord that clips, a program that stays silent.
TEST_P(FactoryBankSound, EveryProgramPlaysCleanChords) {
    using namespace signalmeasures;
    const std::vector<uint8_t> tenNotes = {36, 43, 48, 52, 55, 60, 64, 67, 72, 76};
    for (int i = GetParam(); i < GetParam() + kCategorySize; i += kProgramStride) {
        const std::string& name = definitions()[i].name;
        freshProgram(i);
        const StereoSignal chord = play(tenNotes, 110, 1.0, 0.3);
        EXPECT_LE(peakDb(chord), -1.0) << name;
        EXPECT_GT(rmsDb(chord), -50.0) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Categories, FactoryBankSound,
                         ::testing::Range(0, FactoryBank::kNumPrograms, kCategorySize));

} // namespace
