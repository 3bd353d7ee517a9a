#include "tests/support/ScratchFolder.h"
#include "tuning/CSCL_Import.h"
#include "tuning/TunConversions.h"

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

// Map size, first, last, middle, reference note, frequency, formal octave, then the entries.
std::string kbm(std::initializer_list<int> header, const std::string& frequency, int octave,
                const std::string& entries) {
    std::string text = "! header\n";
    for (int value : header) text += std::to_string(value) + "\n";
    return text + frequency + "\n" + std::to_string(octave) + "\n" + entries;
}

const std::string kTwelve =
    "Twelve\n 12\n 90.0\n 200.0\n 310.0\n 400.0\n 490.0\n 600.0\n 700.0\n 790.0\n 900.0\n"
    " 1010.0\n 1100.0\n 1200.0\n";
const double kTwelveDegrees[13] = {0, 90, 200, 310, 400, 490, 600, 700, 790, 900, 1010, 1100, 1200};

// Every key's frequency in the scale built from the import against cents above note 0 and the reference.
void expectFrequencies(CSCL_Import& import, double referenceHz, int referenceNote, double (*centsOf)(int)) {
    TUN::CSingleScale scale;
    import.SetSingleScale(scale);
    for (int k = 0; k < 128; ++k) {
        const double hz = referenceHz * std::pow(2.0, (centsOf(k) - centsOf(referenceNote)) / 1200.0);
        EXPECT_NEAR(scale.GetFrequency(k), hz, 1e-9 * hz) << k;
    }
}

} // namespace

TEST(CSCL_Import, ReadsRatiosCentsAndADigitOnlyFirstLine) {
    CSCL_Import import;
    // Line ends of either kind.
    ASSERT_TRUE(readSCL(import, "d\r\n4\n3/2\r\n 5 / 4 \r\n-10.5 cents below\r\n2/1\r\n"));
    EXPECT_NEAR(import.GetDegree(1), 701.955, 1e-3);
    EXPECT_EQ(std::tuple(import.GetDegree(2), import.GetDegree(3), import.GetDegree(4)),
              std::tuple(TUN::Factor2Cents(1.25), -10.5, 1200.0));
    ASSERT_TRUE(readSCL(import, "1\n2/1\n"));
    EXPECT_EQ(import.GetScaleSize(), 1);
}

TEST(CSCL_Import, FailsWithTheTextOfEachError) {
    const char* const sizeError = "Scale size not allowed. Must be within [1;127].";
    using P = std::pair<const char*, const char*>;
    for (const auto& [text, error] :
         {P{"Description only\n", "No data in file."}, P{"d\n0\n", sizeError}, P{"d\n128\n", sizeError},
          P{"d\n1\n2\n", "Unknown operator. '/' expected."}, P{"d\n1\n3/0\n", "Division by zero."},
          P{"d\n1\n2/1\n3/2\n", "End of file expected, but further data found."},
          P{"d\n3\n2/1\n", "Less tuning entries found than expected."}}) {
        CSCL_Import import;
        EXPECT_FALSE(readSCL(import, text)) << text;
        EXPECT_EQ(import.GetErrorText(), error) << text;
    }
    const std::pair<std::string, const char*> mappings[] = {
        {"", "Premature end of file."},
        {kbm({12, 60, 60, 60, 69}, "440", 12, ""), "Setting out of range."},
        {kbm({12, 0, 127, 116, 69}, "440", 12, ""), "Setting out of range."},
        {kbm({2, 0, 127, 60, 69}, "440", 12, "0\n1\n2\n"),
         "End of file expected, but additional data found."}};
    for (const auto& [text, error] : mappings) {
        CSCL_Import import;
        EXPECT_FALSE(readKBM(import, text)) << text;
        EXPECT_EQ(import.GetErrorText(), error) << text;
    }
    CSCL_Import edge;
    EXPECT_TRUE(readKBM(edge, kbm({12, 0, 127, 115, 69}, "440", 12, "")));
}

TEST(CSCL_Import, FileNameIsTheDescriptionUntilTheFileGivesOne) {
    ScratchFolder files;
    CSCL_Import import;
    ASSERT_TRUE(import.ReadSCL(files.write("plain.scl", "1\n2/1\n").c_str()));
    EXPECT_EQ(import.GetScaleDescription(), "plain.scl");
    EXPECT_EQ(std::tuple(import.ReadSCL("/nonexistent/dir\\odd.scl"), import.GetErrorText(),
                         import.GetScaleDescription()),
              std::tuple(false, "Error opening the file.", "odd.scl"));
    EXPECT_EQ(
        std::tuple(import.ReadKBM("/nonexistent/map.kbm"), import.GetErrorText(), import.GetMappingName()),
        std::tuple(false, "Error opening the file.", "map.kbm"));
}

TEST(CSCL_Import, ReadsAndClampsAKeyboardMapping) {
    // Size, first, last, middle, reference note, formal octave; reference frequency; entries.
    using Case = std::tuple<std::string, std::vector<long>, double, std::vector<long>>;
    const Case cases[] = {
        {kbm({5, 10, 100, 60, 62}, "450.5", 3, "! entries\n0\nx\n2\nX7\n1000\n"),
         {5, 10, 100, 60, 62, 3},
         450.5,
         {0, -1, 2, -1, 127}},
        {kbm({0, -5, 500, -1, 900}, "0", 400, ""), {1, 0, 127, 0, 127, 127}, 0.001, {-1}},
        {kbm({1, 0, 127, 0, 0}, "1e9", 1, ""), {1, 0, 127, 0, 0, 1}, 100000.0, {-1}},
        // Missing trailing entries are unmapped; entries beyond the map size keep the default.
        {kbm({4, 0, 127, 0, 69}, "440", 4, "3\n"), {4, 0, 127, 0, 69, 4}, 440.0, {3, -1, -1, -1, 4}}};
    for (const auto& [text, header, frequency, entries] : cases) {
        CSCL_Import import;
        ASSERT_TRUE(readKBM(import, text)) << text;
        EXPECT_EQ(
            std::vector<long>({import.GetMapSize(), import.GetFirstNote(), import.GetLastNote(),
                               import.GetMiddleNote(), import.GetReferenceNote(), import.GetFormalOctave()}),
            header);
        EXPECT_DOUBLE_EQ(import.GetReferenceFrequency(), frequency);
        for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(import.GetMapping(i), entries[i]) << i;
    }
}

TEST(CSCL_Import, UnmappedKeysStayEqualTemperedAroundTheReference) {
    CSCL_Import import;
    ASSERT_TRUE(readSCL(import, kTwelve));
    ASSERT_TRUE(
        readKBM(import, kbm({12, 0, 127, 60, 69}, "432.0", 12, "x\nx\nx\nx\nx\nx\nx\nx\nx\nx\nx\nx\n")));
    expectFrequencies(import, 432.0, 69, [](int k) { return 100.0 * k; });
}

TEST(CSCL_Import, RetunesOnlyTheGivenRange) {
    CSCL_Import import;
    ASSERT_TRUE(readSCL(import, kTwelve));
    ASSERT_TRUE(
        readKBM(import, kbm({12, 60, 72, 60, 69}, "440.0", 12, "0\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n")));
    const auto cents = [](int k) {
        return k >= 60 && k <= 72 ? 6000.0 + 1200.0 * ((k - 60) / 12) + kTwelveDegrees[(k - 60) % 12]
                                  : 100.0 * k;
    };
    expectFrequencies(import, 440.0, 69, cents);
    for (int k = 0; k < 128; ++k) EXPECT_DOUBLE_EQ(import.GetNoteCents(k), cents(k)) << k;
}

TEST(CSCL_Import, MapsBelowTheMiddleNoteAndBeyondTheScaleSize) {
    CSCL_Import import;
    ASSERT_TRUE(readSCL(import, kTwelve));
    // Five-key pattern, formal octave of 7 steps, middle note 60.
    ASSERT_TRUE(readKBM(import, kbm({5, 0, 127, 60, 60}, "261.0", 7, "0\n2\n4\n6\n8\n")));
    TUN::CSingleScale scale;
    import.SetSingleScale(scale);
    using P = std::pair<int, double>;
    for (const auto& [note, value] : {P{60, 6000.0}, P{61, 6200.0}, P{65, 6700.0}, P{59, 5300.0 + 790.0},
                                      P{55, 5300.0}, P{54, 4600.0 + 790.0}})
        EXPECT_DOUBLE_EQ(import.GetNoteCents(note), value) << note;
    // Entries at or beyond the scale size keep equal temperament.
    ASSERT_TRUE(readSCL(import, "three\n3\n100.0\n300.0\n2/1\n"));
    ASSERT_TRUE(readKBM(import, kbm({4, 0, 127, 0, 69}, "440", 3, "0\n1\n3\n5\n")));
    import.SetSingleScale(scale);
    for (const auto& [note, value] : {std::pair{1, 100.0}, {2, 200.0}, {3, 300.0}, {5, 400.0}})
        EXPECT_DOUBLE_EQ(import.GetNoteCents(note), value) << note;
}

TEST(CSCL_Import, ScaleAndMappingResetIndependently) {
    CSCL_Import import;
    ASSERT_TRUE(readKBM(import, kbm({12, 0, 127, 60, 69}, "415.0", 12, "")));
    ASSERT_TRUE(readSCL(import, kTwelve));
    import.ResetTuning();
    EXPECT_EQ(std::tuple(import.GetReferenceFrequency(), import.GetScaleSize()), std::tuple(415.0, 128));
    import.ResetMapping();
    EXPECT_DOUBLE_EQ(import.GetReferenceFrequency(), 440.0);
}
