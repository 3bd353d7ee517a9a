#include "CSCL_Import.h"
#include "TunConversions.h"
#include "TuningTestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

using TUN::CSCL_Import;

namespace {

bool readSCL(CSCL_Import& import, const std::string& text) {
    std::istringstream stream(text);
    TUN::CStringParser parser;
    return import.ReadSCL(stream, parser);
}

bool readKBM(CSCL_Import& import, const std::string& text) {
    std::istringstream stream(text);
    TUN::CStringParser parser;
    return import.ReadKBM(stream, parser);
}

std::string kbm(int size, int first, int last, int middle, int reference, const std::string& frequency,
                int octave, const std::string& entries) {
    return "! header\n" + std::to_string(size) + "\n" + std::to_string(first) + "\n" + std::to_string(last) +
           "\n" + std::to_string(middle) + "\n" + std::to_string(reference) + "\n" + frequency + "\n" +
           std::to_string(octave) + "\n" + entries;
}

const std::string kTwelve =
    "Twelve\n 12\n 90.0\n 200.0\n 310.0\n 400.0\n 490.0\n 600.0\n 700.0\n 790.0\n 900.0\n"
    " 1010.0\n 1100.0\n 1200.0\n";
const double kTwelveDegrees[13] = {0, 90, 200, 310, 400, 490, 600, 700, 790, 900, 1010, 1100, 1200};

TUN::CSingleScale scaleOf(CSCL_Import& import) {
    TUN::CSingleScale scale;
    import.SetSingleScale(scale);
    return scale;
}

} // namespace

TEST(CSCL_Import, StartsWithEqualTemperamentAndTheMidiMapping) {
    CSCL_Import import;
    EXPECT_EQ(import.GetScaleDescription(), "Equal tempered (Default)");
    EXPECT_EQ(import.GetScaleSize(), 128);
    EXPECT_DOUBLE_EQ(import.GetDegree(127), 12700.0);
    EXPECT_EQ(import.GetMappingName(), "MIDI (Default)");
    EXPECT_EQ(import.GetMapSize(), 12);
    EXPECT_EQ(import.GetFirstNote(), 0);
    EXPECT_EQ(import.GetLastNote(), 127);
    EXPECT_EQ(import.GetMiddleNote(), 0);
    EXPECT_EQ(import.GetReferenceNote(), 69);
    EXPECT_DOUBLE_EQ(import.GetReferenceFrequency(), 440.0);
    EXPECT_EQ(import.GetFormalOctave(), 12);
    EXPECT_EQ(import.GetMapping(100), 100);
    const TUN::CSingleScale scale = scaleOf(import);
    for (int k = 0; k < 128; ++k)
        EXPECT_NEAR(scale.GetFrequency(k), 440.0 * std::pow(2.0, (k - 69) / 12.0),
                    1e-9 * scale.GetFrequency(k));
}

TEST(CSCL_Import, TwelveDegreeScaleKeepsA440UnderTheDefaultMapping) {
    CSCL_Import import;
    ASSERT_TRUE(readSCL(import, "! comment\n\n" + kTwelve)) << import.GetErrorText();
    EXPECT_EQ(import.GetScaleDescription(), "Twelve");
    EXPECT_EQ(import.GetScaleSize(), 12);
    const TUN::CSingleScale scale = scaleOf(import);
    EXPECT_DOUBLE_EQ(scale.GetFrequency(69), 440.0);
    EXPECT_NEAR(scale.GetFrequency(60), 440.0 * std::pow(2.0, -900.0 / 1200.0), 1e-9);
    for (int k = 0; k < 128; ++k) {
        const double cents = 1200.0 * (k / 12) + kTwelveDegrees[k % 12] - (1200.0 * 5 + 900.0);
        EXPECT_NEAR(scale.GetFrequency(k), 440.0 * std::pow(2.0, cents / 1200.0),
                    1e-9 * scale.GetFrequency(k))
            << k;
        EXPECT_DOUBLE_EQ(import.GetNoteCents(k), 1200.0 * (k / 12) + kTwelveDegrees[k % 12]);
    }
    // The scale object holds the result as formulas around the reference note.
    EXPECT_EQ(scale.GetFormulas().size(), 127u);
    EXPECT_EQ(scale.MapMIDI2Scale(30), 30);
}

TEST(CSCL_Import, ReadsRatiosAndCents) {
    CSCL_Import import;
    ASSERT_TRUE(readSCL(import, "d\n4\n3/2\n 5 / 4 \n-10.5 cents below\n2/1\n"));
    EXPECT_NEAR(import.GetDegree(1), 701.955, 1e-3);
    EXPECT_DOUBLE_EQ(import.GetDegree(2), TUN::Factor2Cents(1.25));
    EXPECT_DOUBLE_EQ(import.GetDegree(3), -10.5);
    EXPECT_DOUBLE_EQ(import.GetDegree(4), 1200.0);
}

TEST(CSCL_Import, ADigitOnlyFirstLineIsTheCount) {
    CSCL_Import import;
    ASSERT_TRUE(readSCL(import, "1\n2/1\n"));
    EXPECT_EQ(import.GetScaleDescription(), "Equal tempered (Default)");
    EXPECT_EQ(import.GetScaleSize(), 1);
}

TEST(CSCL_Import, FailsWithTheTextOfEachScaleError) {
    struct Case {
        const char* text;
        const char* error;
    };
    for (const Case& c : {
             Case{"", "No data in file."},
             Case{"! only comments\n\n!\n", "No data in file."},
             Case{"Description only\n", "No data in file."},
             Case{"d\n0\n", "Scale size not allowed. Must be within [1;127]."},
             Case{"d\n128\n", "Scale size not allowed. Must be within [1;127]."},
             Case{"d\n-3\n", "Scale size not allowed. Must be within [1;127]."},
             Case{"d\nxyz\n", "Scale size not allowed. Must be within [1;127]."},
             Case{"d\n1\n2\n", "Unknown operator. '/' expected."},
             Case{"d\n1\n3*2\n", "Unknown operator. '/' expected."},
             Case{"d\n1\n3/0\n", "Division by zero."},
             Case{"d\n1\n2/1\n3/2\n", "End of file expected, but further data found."},
             Case{"d\n3\n2/1\n", "Less tuning entries found than expected."},
         }) {
        CSCL_Import import;
        EXPECT_FALSE(readSCL(import, c.text)) << c.text;
        EXPECT_EQ(import.GetErrorText(), c.error) << c.text;
    }
}

TEST(CSCL_Import, KeepsDegreesFiniteForRatiosWithoutCents) {
    CSCL_Import import;
    ASSERT_TRUE(readSCL(import, "d\n3\n0/1\n-3/2\n1.0e999\n"));
    for (int d = 1; d <= 3; ++d) EXPECT_TRUE(std::isfinite(import.GetDegree(d))) << d;
}

TEST(CSCL_Import, FileNameIsTheDescriptionUntilTheFileGivesOne) {
    TuningTestFiles files;
    CSCL_Import import;
    ASSERT_TRUE(import.ReadSCL(files.write("plain.scl", "1\n2/1\n").c_str()));
    EXPECT_EQ(import.GetScaleDescription(), "plain.scl");
    EXPECT_FALSE(import.ReadSCL("/nonexistent/dir\\odd.scl"));
    EXPECT_EQ(import.GetErrorText(), "Error opening the file.");
    EXPECT_EQ(import.GetScaleDescription(), "odd.scl");
    EXPECT_FALSE(import.ReadKBM("/nonexistent/map.kbm"));
    EXPECT_EQ(import.GetErrorText(), "Error opening the file.");
    EXPECT_EQ(import.GetMappingName(), "map.kbm");
}

TEST(CSCL_Import, ReadsAKeyboardMapping) {
    CSCL_Import import;
    ASSERT_TRUE(readKBM(import, kbm(5, 10, 100, 60, 62, "450.5", 3, "! entries\n0\nx\n2\nX7\n1000\n")));
    EXPECT_EQ(import.GetMapSize(), 5);
    EXPECT_EQ(import.GetFirstNote(), 10);
    EXPECT_EQ(import.GetLastNote(), 100);
    EXPECT_EQ(import.GetMiddleNote(), 60);
    EXPECT_EQ(import.GetReferenceNote(), 62);
    EXPECT_DOUBLE_EQ(import.GetReferenceFrequency(), 450.5);
    EXPECT_EQ(import.GetFormalOctave(), 3);
    const long expected[5] = {0, -1, 2, -1, 127};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(import.GetMapping(i), expected[i]) << i;
}

TEST(CSCL_Import, ClampsHeaderValues) {
    CSCL_Import import;
    ASSERT_TRUE(readKBM(import, kbm(0, -5, 500, -1, 900, "0", 400, "")));
    EXPECT_EQ(import.GetMapSize(), 1);
    EXPECT_EQ(import.GetFirstNote(), 0);
    EXPECT_EQ(import.GetLastNote(), 127);
    EXPECT_EQ(import.GetMiddleNote(), 0);
    EXPECT_EQ(import.GetReferenceNote(), 127);
    EXPECT_DOUBLE_EQ(import.GetReferenceFrequency(), 0.001);
    EXPECT_EQ(import.GetFormalOctave(), 127);
    EXPECT_EQ(import.GetMapping(0), -1);
    ASSERT_TRUE(readKBM(import, kbm(1, 0, 127, 0, 0, "1e9", 1, "")));
    EXPECT_DOUBLE_EQ(import.GetReferenceFrequency(), 100000.0);
}

TEST(CSCL_Import, FailsWithTheTextOfEachMappingError) {
    struct Case {
        std::string text;
        const char* error;
    };
    for (const Case& c : {
             Case{"", "Premature end of file."},
             Case{"12\n0\n127\n60\n69\n440.0\n", "Premature end of file."},
             Case{kbm(12, 60, 60, 60, 69, "440", 12, ""), "Setting out of range."},
             Case{kbm(12, 70, 60, 60, 69, "440", 12, ""), "Setting out of range."},
             Case{kbm(12, 0, 127, 116, 69, "440", 12, ""), "Setting out of range."},
             Case{kbm(2, 0, 127, 60, 69, "440", 12, "0\n1\n2\n"),
                  "End of file expected, but additional data found."},
         }) {
        CSCL_Import import;
        EXPECT_FALSE(readKBM(import, c.text)) << c.text;
        EXPECT_EQ(import.GetErrorText(), c.error) << c.text;
    }
    CSCL_Import edge;
    EXPECT_TRUE(readKBM(edge, kbm(12, 0, 127, 115, 69, "440", 12, "")));
}

TEST(CSCL_Import, UnmappedKeysStayEqualTemperedAroundTheReference) {
    CSCL_Import import;
    ASSERT_TRUE(readSCL(import, kTwelve));
    ASSERT_TRUE(
        readKBM(import, kbm(12, 0, 127, 60, 69, "432.0", 12, "x\nx\nx\nx\nx\nx\nx\nx\nx\nx\nx\nx\n")));
    const TUN::CSingleScale scale = scaleOf(import);
    for (int k = 0; k < 128; ++k)
        EXPECT_NEAR(scale.GetFrequency(k), 432.0 * std::pow(2.0, (k - 69) / 12.0),
                    1e-9 * scale.GetFrequency(k));
}

TEST(CSCL_Import, RetunesOnlyTheGivenRange) {
    CSCL_Import import;
    ASSERT_TRUE(readSCL(import, kTwelve));
    ASSERT_TRUE(
        readKBM(import, kbm(12, 60, 72, 60, 69, "440.0", 12, "0\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n")));
    TUN::CSingleScale scale = scaleOf(import);
    for (int k = 0; k < 128; ++k) {
        const bool retuned = k >= 60 && k <= 72;
        const double cents =
            retuned ? 6000.0 + 1200.0 * ((k - 60) / 12) + kTwelveDegrees[(k - 60) % 12] : 100.0 * k;
        EXPECT_DOUBLE_EQ(import.GetNoteCents(k), cents) << k;
        EXPECT_NEAR(scale.GetFrequency(k), 440.0 * std::pow(2.0, (cents - 6900.0) / 1200.0),
                    1e-9 * scale.GetFrequency(k));
    }
}

TEST(CSCL_Import, NotesBelowTheMiddleNoteUseThePeriodBelow) {
    CSCL_Import import;
    ASSERT_TRUE(readSCL(import, kTwelve));
    // Five-key pattern, formal octave of 7 steps, middle note 60.
    ASSERT_TRUE(readKBM(import, kbm(5, 0, 127, 60, 60, "261.0", 7, "0\n2\n4\n6\n8\n")));
    scaleOf(import);
    EXPECT_DOUBLE_EQ(import.GetNoteCents(60), 6000.0);
    EXPECT_DOUBLE_EQ(import.GetNoteCents(61), 6000.0 + kTwelveDegrees[2]);
    EXPECT_DOUBLE_EQ(import.GetNoteCents(65), 6700.0);
    EXPECT_DOUBLE_EQ(import.GetNoteCents(59), (-7 + 60) * 100.0 + kTwelveDegrees[8]);
    EXPECT_DOUBLE_EQ(import.GetNoteCents(55), 5300.0);
    EXPECT_DOUBLE_EQ(import.GetNoteCents(54), (-14 + 60) * 100.0 + kTwelveDegrees[8]);
}

TEST(CSCL_Import, EntriesAtOrBeyondTheScaleSizeKeepEqualTemperament) {
    CSCL_Import import;
    ASSERT_TRUE(readSCL(import, "three\n3\n100.0\n300.0\n2/1\n"));
    ASSERT_TRUE(readKBM(import, kbm(4, 0, 127, 0, 69, "440", 3, "0\n1\n3\n5\n")));
    scaleOf(import);
    EXPECT_DOUBLE_EQ(import.GetNoteCents(1), 100.0);
    EXPECT_DOUBLE_EQ(import.GetNoteCents(2), 200.0);
    EXPECT_DOUBLE_EQ(import.GetNoteCents(3), 300.0);
    EXPECT_DOUBLE_EQ(import.GetNoteCents(5), 400.0);
}

TEST(CSCL_Import, MissingTrailingEntriesAreUnmapped) {
    CSCL_Import import;
    ASSERT_TRUE(readKBM(import, kbm(4, 0, 127, 0, 69, "440", 4, "3\n")));
    EXPECT_EQ(import.GetMapping(0), 3);
    EXPECT_EQ(import.GetMapping(1), -1);
    EXPECT_EQ(import.GetMapping(3), -1);
    // Entries beyond the map size keep the default.
    EXPECT_EQ(import.GetMapping(4), 4);
}

TEST(CSCL_Import, ScaleAndMappingResetIndependently) {
    CSCL_Import import;
    ASSERT_TRUE(readKBM(import, kbm(12, 0, 127, 60, 69, "415.0", 12, "")));
    ASSERT_TRUE(readSCL(import, kTwelve));
    EXPECT_DOUBLE_EQ(import.GetReferenceFrequency(), 415.0);
    import.ResetTuning();
    EXPECT_DOUBLE_EQ(import.GetReferenceFrequency(), 415.0);
    EXPECT_EQ(import.GetScaleSize(), 128);
    import.ResetMapping();
    EXPECT_DOUBLE_EQ(import.GetReferenceFrequency(), 440.0);
}
