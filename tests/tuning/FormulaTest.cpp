#include "CFormula.h"
#include "TunConversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using TUN::CFormula;
using TUN::SRVParam;

namespace {

// Frequencies 100 * 2^(i/12): easy to predict in tests.
std::vector<double> equalFrom100() {
    std::vector<double> f(128);
    for (int i = 0; i < 128; ++i) f[i] = 100.0 * std::pow(2.0, i / 12.0);
    return f;
}

CFormula parsed(int note, const std::string& text) {
    CFormula formula(note);
    EXPECT_TRUE(formula.SetFromStr(text)) << text;
    return formula;
}

} // namespace

TEST(CFormula, ParsesEveryItem) {
    const CFormula f = parsed(10, " #=5 * 3 / 2 % 100 +> -2 ~4 ");
    EXPECT_EQ(f.noteIndex, 10);
    EXPECT_EQ(f.parameter1.type, SRVParam::eAbsoluteNote);
    EXPECT_EQ(f.parameter1.noteIndex, 5);
    EXPECT_DOUBLE_EQ(f.multiplier, 3.0);
    EXPECT_DOUBLE_EQ(f.divisor, 2.0);
    EXPECT_DOUBLE_EQ(f.cents, 100.0);
    EXPECT_EQ(f.parameter2.type, SRVParam::eRelativeNote);
    EXPECT_EQ(f.parameter2.noteIndex, -2);
    EXPECT_EQ(f.loopCount, 4);

    const CFormula plain = parsed(0, "#261.5+1.5");
    EXPECT_EQ(plain.parameter1.type, SRVParam::eValue);
    EXPECT_DOUBLE_EQ(plain.parameter1.value, 261.5);
    EXPECT_DOUBLE_EQ(plain.parameter2.value, 1.5);
}

TEST(CFormula, EmptyTextKeepsTheDefaults) {
    const CFormula f = parsed(7, "");
    EXPECT_EQ(f.parameter1.type, SRVParam::eRelativeNote);
    EXPECT_EQ(f.parameter1.noteIndex, 0);
    EXPECT_EQ(f.loopCount, 0);
    std::vector<double> frequencies = equalFrom100();
    const std::vector<double> before = frequencies;
    f.Apply(frequencies);
    EXPECT_EQ(frequencies, before);
}

TEST(CFormula, AbsoluteFrequencyResetsTheRestAndIgnoresWhatFollows) {
    const CFormula f = parsed(69, "#=3 *2 !440 this is ignored");
    EXPECT_DOUBLE_EQ(f.absoluteFrequency, 440.0);
    EXPECT_EQ(f.parameter1.type, SRVParam::eRelativeNote);
    EXPECT_DOUBLE_EQ(f.multiplier, 1.0);
}

TEST(CFormula, RejectsUnknownOperatorsAndMissingNumbers) {
    for (const char* text :
         {"\"",     "$5",   "&5",  "'5", "(5)", ",5",   "-5",     ".5", "#",  "#=",
          "#>x",    "%",    "*a",  "/",  "~",   "~1.5", "#1.5.5", "!",  "!x", "#=99999999999999999999",
          "%1e999", "#inf", "#nan"}) {
        CFormula formula(5);
        EXPECT_FALSE(formula.SetFromStr(text)) << text;
    }
}

TEST(CFormula, LoopCountsRunningPastTheTableBecomeMarkers) {
    EXPECT_EQ(parsed(10, "~-11").loopCount, -999);
    EXPECT_EQ(parsed(10, "~-10").loopCount, -10);
    EXPECT_EQ(parsed(10, "~117").loopCount, 117);
    EXPECT_EQ(parsed(10, "~118").loopCount, 999);
    EXPECT_EQ(parsed(0, "~-9223372036854775808").loopCount, -999);
    EXPECT_EQ(parsed(127, "~9223372036854775807").loopCount, 999);
}

TEST(CFormula, RelativeParameterSeesTheNoteWrittenAStepEarlier) {
    std::vector<double> f = equalFrom100();
    parsed(1, "#>-1 %200 ~5").Apply(f);
    for (int k = 1; k <= 5; ++k) EXPECT_NEAR(f[k], 100.0 * std::pow(2.0, 2.0 * k / 12.0), 1e-9) << k;
    EXPECT_DOUBLE_EQ(f[6], 100.0 * std::pow(2.0, 6.0 / 12.0));

    f = equalFrom100();
    parsed(10, "#>1 %-200 ~-3").Apply(f);
    EXPECT_NEAR(f[10], 100.0 * std::pow(2.0, 9.0 / 12.0), 1e-9);
    EXPECT_NEAR(f[9], 100.0 * std::pow(2.0, 7.0 / 12.0), 1e-9);
    EXPECT_NEAR(f[8], 100.0 * std::pow(2.0, 5.0 / 12.0), 1e-9);
    EXPECT_DOUBLE_EQ(f[7], 100.0 * std::pow(2.0, 7.0 / 12.0));
}

TEST(CFormula, ComputesFromPlainAndAbsoluteOperands) {
    std::vector<double> f = equalFrom100();
    parsed(5, "#100 *3 /2 +7").Apply(f);
    EXPECT_DOUBLE_EQ(f[5], 157.0);
    parsed(6, "#=12 %-1200 +=0").Apply(f);
    EXPECT_NEAR(f[6], 200.0, 1e-9);
}

TEST(CFormula, FixedFrequencyRescalesTheWholeTable) {
    std::vector<double> f = equalFrom100();
    parsed(69, "!440").Apply(f);
    EXPECT_DOUBLE_EQ(f[69], 440.0);
    EXPECT_NEAR(f[57], 220.0, 1e-9);
    EXPECT_NEAR(f[0], 440.0 * std::pow(2.0, -69.0 / 12.0), 1e-9);
}

TEST(CFormula, LoopsStopAtTheTableEdges) {
    std::vector<double> f = equalFrom100();
    parsed(0, "#50 ~-5").Apply(f);
    EXPECT_DOUBLE_EQ(f[0], 50.0);
    EXPECT_DOUBLE_EQ(f[1], 100.0 * std::pow(2.0, 1.0 / 12.0));
    parsed(120, "#60 ~999").Apply(f);
    for (int k = 120; k < 128; ++k) EXPECT_DOUBLE_EQ(f[k], 60.0);
    EXPECT_DOUBLE_EQ(f[119], 100.0 * std::pow(2.0, 119.0 / 12.0));
}

TEST(CFormula, ValidatesReferencesForEveryNoteItWrites) {
    struct Case {
        int note;
        const char* text;
        bool valid;
    };
    for (const Case& c :
         {Case{5, "#=127", true}, Case{5, "#=128", false}, Case{5, "+=-1", false}, Case{0, "#>-1", false},
          Case{127, "#>1", false}, Case{0, "", true}, Case{120, "#>5 ~3", true}, Case{120, "#>6 ~3", false},
          Case{10, "#>-10 ~-1", true}, Case{10, "#>1 ~-11", true}, Case{10, "#>-1 ~-10", true},
          Case{10, "#>-1 ~-11", false}, Case{10, "#>-1 ~-999", false}, Case{127, "#>-127 ~999", true},
          Case{64, "!440 #=500", true}, Case{3, "#>9223372036854775807", false},
          Case{3, "#>-9223372036854775808", false}}) {
        CFormula formula(c.note);
        ASSERT_TRUE(formula.SetFromStr(c.text)) << c.text;
        EXPECT_EQ(formula.RefersToValidNotes(), c.valid) << c.note << " " << c.text;
    }
}

TEST(CFormula, ApplyNeverReadsOutsideTheTable) {
    std::vector<double> f = equalFrom100();
    const std::vector<double> before = f;
    CFormula formula(3);
    formula.parameter1 = SRVParam::AbsoluteNote(1000);
    formula.Apply(f);
    formula.parameter1 = SRVParam::RelativeNote(-9223372036854775807LL - 1);
    formula.Apply(f);
    formula.noteIndex = -5;
    formula.Apply(f);
    EXPECT_EQ(f, before);
}

TEST(TunConversions, MatchTheirDefinitions) {
    EXPECT_NEAR(TUN::Factor2Cents(1.5), 701.955, 1e-3);
    EXPECT_DOUBLE_EQ(TUN::Hz2Cents(880.0, 440.0), std::log(2.0) * 1731.2340490667561);
    EXPECT_NEAR(TUN::Cents2Hz(1200.0, 440.0), 880.0, 1e-12);
    EXPECT_NEAR(TUN::Cents2Factor(-1200.0), 0.5, 1e-15);
    EXPECT_DOUBLE_EQ(TUN::MIDINote_DefaultHz(-5), 8.175798915643707);
    EXPECT_NEAR(TUN::MIDINote_DefaultHz(69), 440.0, 1e-9);
    EXPECT_DOUBLE_EQ(TUN::MIDINote_DefaultCents(200), 12700.0);
    EXPECT_DOUBLE_EQ(TUN::MIDINote_DefaultCents(-1), 0.0);
}
