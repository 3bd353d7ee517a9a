#include "tuning/CFormula.h"

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

double equal100(double semitones) {
    return 100.0 * std::pow(2.0, semitones / 12.0);
}

CFormula parsed(int note, const std::string& text) {
    CFormula formula(note);
    EXPECT_TRUE(formula.SetFromStr(text)) << text;
    return formula;
}

} // namespace

TEST(CFormula, ParsesEveryItem) {
    const CFormula f = parsed(10, " #=5 * 3 / 2 % 100 +> -2 ~4 ");
    EXPECT_EQ(std::tuple(f.parameter1.type, f.parameter1.noteIndex, f.multiplier, f.divisor, f.cents,
                         f.parameter2.type, f.parameter2.noteIndex, f.loopCount),
              std::tuple(SRVParam::eAbsoluteNote, 5, 3.0, 2.0, 100.0, SRVParam::eRelativeNote, -2, 4));
    EXPECT_DOUBLE_EQ(parsed(0, "#261.5+1.5").parameter1.value, 261.5);
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
    using C = std::tuple<int, const char*, long>;
    for (const auto& [note, text, loops] :
         {C{10, "~-11", -999}, C{10, "~-10", -10}, C{10, "~117", 117}, C{10, "~118", 999},
          C{0, "~-9223372036854775808", -999}, C{127, "~9223372036854775807", 999}})
        EXPECT_EQ(parsed(note, text).loopCount, loops) << text;
}

TEST(CFormula, AppliesOperandsLoopsAndFixedFrequencies) {
    using Case = std::tuple<int, const char*, int, double>;
    for (const auto& [note, text, probe, hz] :
         {Case{7, "", 7, equal100(7)}, Case{1, "#>-1 %200 ~5", 5, equal100(10)},
          Case{1, "#>-1 %200 ~5", 6, equal100(6)}, Case{10, "#>1 %-200 ~-3", 10, equal100(9)},
          Case{10, "#>1 %-200 ~-3", 8, equal100(5)}, Case{10, "#>1 %-200 ~-3", 7, equal100(7)},
          Case{5, "#100 *3 /2 +7", 5, 157.0}, Case{6, "#=12 %-1200 +=0", 6, 200.0},
          Case{69, "!440", 69, 440.0}, Case{69, "!440", 57, 220.0},
          Case{69, "#=3 *2 !440 this is ignored", 57, 220.0}, Case{0, "#50 ~-5", 0, 50.0},
          Case{0, "#50 ~-5", 1, equal100(1)}, Case{120, "#60 ~999", 127, 60.0},
          Case{120, "#60 ~999", 119, equal100(119)}}) {
        std::vector<double> f = equalFrom100();
        parsed(note, text).Apply(f);
        EXPECT_NEAR(f[probe], hz, 1e-12 * hz) << text << " note " << probe;
    }
}

TEST(CFormula, ValidatesReferencesForEveryNoteItWrites) {
    using C = std::tuple<int, const char*, bool>;
    for (const auto& [note, text, valid] :
         {C{5, "#=127", true}, C{5, "#=128", false}, C{5, "+=-1", false}, C{0, "#>-1", false},
          C{127, "#>1", false}, C{0, "", true}, C{120, "#>5 ~3", true}, C{120, "#>6 ~3", false},
          C{10, "#>-10 ~-1", true}, C{10, "#>1 ~-11", true}, C{10, "#>-1 ~-10", true},
          C{10, "#>-1 ~-11", false}, C{10, "#>-1 ~-999", false}, C{127, "#>-127 ~999", true},
          C{64, "!440 #=500", true}, C{3, "#>9223372036854775807", false},
          C{3, "#>-9223372036854775808", false}}) {
        CFormula formula(note);
        ASSERT_TRUE(formula.SetFromStr(text)) << text;
        EXPECT_EQ(formula.RefersToValidNotes(), valid) << note << " " << text;
    }
}
