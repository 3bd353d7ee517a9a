// The real-world Scala files in the shared test data, read through the file entry points.
#include "CSCL_Import.h"
#include "TunConversions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

using TUN::CSCL_Import;

namespace {

const std::filesystem::path kScalaFolder = std::filesystem::path(KORVANTA_SHARED_DIR) / "testdata" / "scala";

struct Expected {
    const char* file;
    const char* error; // nullptr: read succeeds
    long size;         // scale size, or map size for .kbm files
};

const std::vector<Expected> kExpected = {
    {"12-intune.scl", nullptr, 12},
    {"12-intune-dosle.scl", nullptr, 12},
    {"12-intune-nodesc.scl", nullptr, 12},
    {"12-shuffled.scl", nullptr, 12},
    {"31edo.scl", nullptr, 31},
    {"31edo_dos_lineends.scl", nullptr, 31},
    {"6-exact.scl", nullptr, 6},
    {"ED3-17.scl", nullptr, 17},
    {"128.kbm", nullptr, 1},
    {"empty-note69.kbm", nullptr, 1},
    {"empty-note69-dosle.kbm", nullptr, 1},
    {"mapping-a440-constant.kbm", nullptr, 12},
    {"mapping-a442-7-to-12.kbm", nullptr, 12},
    {"mapping-whitekeys-a440.kbm", nullptr, 12},
    {"mapping-whitekeys-c261.kbm", nullptr, 12},
    {"bad/badnote.scl", "Unknown operator. '/' expected.", 17},
    {"bad/blanknote.scl", "Less tuning entries found than expected.", 17},
    {"bad/missingnote.scl", "Less tuning entries found than expected.", 17},
    {"bad/extraline.scl", "End of file expected, but further data found.", 17},
    {"bad/blank-line.kbm", nullptr, 12},
    {"bad/empty-bad.kbm", "Premature end of file.", 1},
    {"bad/empty-extra.kbm", nullptr, 1},
    {"bad/extraline-long.kbm", nullptr, 12},
    {"bad/garbage-key.kbm", nullptr, 12},
    {"bad/missing-note.kbm", nullptr, 12},
};

bool isKBM(const std::string& name) {
    return name.size() > 4 && name.substr(name.size() - 4) == ".kbm";
}

std::string pathOf(const std::string& name) {
    return (kScalaFolder / name).string();
}

class ScalaFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::is_directory(kScalaFolder))
            << "The shared Scala test files are missing: " << kScalaFolder;
    }
};

} // namespace

TEST_F(ScalaFiles, EveryFileGivesAResultOrOneOfTheImportErrors) {
    std::set<std::string> listed;
    for (const Expected& e : kExpected) listed.insert(e.file);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kScalaFolder)) {
        const std::string name = std::filesystem::relative(entry.path(), kScalaFolder).generic_string();
        const std::string extension = entry.path().extension().string();
        if (extension == ".scl" || extension == ".kbm") {
            EXPECT_TRUE(listed.count(name)) << "unexpected file " << name;
        }
    }
    for (const Expected& e : kExpected) {
        CSCL_Import import;
        const bool ok =
            isKBM(e.file) ? import.ReadKBM(pathOf(e.file).c_str()) : import.ReadSCL(pathOf(e.file).c_str());
        EXPECT_EQ(ok, e.error == nullptr) << e.file << ": " << import.GetErrorText();
        EXPECT_EQ(import.GetErrorText(), e.error ? e.error : "") << e.file;
        EXPECT_EQ(isKBM(e.file) ? import.GetMapSize() : import.GetScaleSize(), e.size) << e.file;
    }
}

TEST_F(ScalaFiles, ScalesReadTheirDescriptionsAndDegrees) {
    for (const char* file : {"12-intune.scl", "12-intune-dosle.scl"}) {
        CSCL_Import import;
        ASSERT_TRUE(import.ReadSCL(pathOf(file).c_str()));
        EXPECT_EQ(import.GetScaleDescription(), "22-edo, mode 3 1 1 3 1 3 1 3 1 1 3 1");
        for (int d = 0; d <= 12; ++d) EXPECT_DOUBLE_EQ(import.GetDegree(d), 100.0 * d) << file;
    }
    CSCL_Import noDescription;
    ASSERT_TRUE(noDescription.ReadSCL(pathOf("12-intune-nodesc.scl").c_str()));
    EXPECT_EQ(noDescription.GetScaleDescription(), "12-intune-nodesc.scl");

    CSCL_Import shuffled;
    ASSERT_TRUE(shuffled.ReadSCL(pathOf("12-shuffled.scl").c_str()));
    EXPECT_DOUBLE_EQ(shuffled.GetDegree(1), 200.0);
    EXPECT_DOUBLE_EQ(shuffled.GetDegree(2), 100.0);

    CSCL_Import unix31, dos31;
    ASSERT_TRUE(unix31.ReadSCL(pathOf("31edo.scl").c_str()));
    ASSERT_TRUE(dos31.ReadSCL(pathOf("31edo_dos_lineends.scl").c_str()));
    EXPECT_EQ(unix31.GetScaleDescription(), "31 equal divisions of octave");
    EXPECT_EQ(dos31.GetScaleDescription(), unix31.GetScaleDescription());
    for (int d = 0; d <= 31; ++d) {
        EXPECT_NEAR(unix31.GetDegree(d), 1200.0 * d / 31.0, 1e-5) << d;
        EXPECT_DOUBLE_EQ(dos31.GetDegree(d), unix31.GetDegree(d));
    }

    CSCL_Import harmonic;
    ASSERT_TRUE(harmonic.ReadSCL(pathOf("6-exact.scl").c_str()));
    EXPECT_DOUBLE_EQ(harmonic.GetDegree(1), TUN::Factor2Cents(7.0 / 6.0));
    EXPECT_DOUBLE_EQ(harmonic.GetDegree(6), 1200.0);

    CSCL_Import tritave;
    ASSERT_TRUE(tritave.ReadSCL(pathOf("ED3-17.scl").c_str()));
    EXPECT_NEAR(tritave.GetDegree(17), 1901.955, 1e-3);
}

TEST_F(ScalaFiles, MappingsReadTheirHeadersAndEntries) {
    struct Header {
        const char* file;
        long middle, reference, octave;
        double frequency;
        std::vector<long> entries;
    };
    const Header headers[] = {
        {"128.kbm", 0, 60, 127, 261.6256, {-1}},
        {"empty-note69.kbm", 60, 69, 0, 452.0, {-1}},
        {"empty-note69-dosle.kbm", 60, 69, 0, 452.0, {-1}},
        {"mapping-a440-constant.kbm", 60, 69, 12, 440.0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        {"mapping-a442-7-to-12.kbm", 59, 69, 7, 442.0, {0, 1, -1, 2, -1, 3, 4, -1, 5, -1, 6, -1}},
        {"mapping-whitekeys-a440.kbm", 60, 69, 7, 440.0, {0, -1, 1, -1, 2, 3, -1, 4, -1, 5, -1, 6}},
        {"mapping-whitekeys-c261.kbm", 60, 60, 12, 261.625565280, {0, -1, 1, -1, 2, 3, -1, 4, -1, 5, -1, 6}},
        {"bad/blank-line.kbm", 60, 69, 12, 440.0, {0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11, -1}},
        {"bad/garbage-key.kbm", 60, 69, 12, 440.0, {0, 1, 2, 3, 0, 5, 6, 7, 8, 9, 10, 11}},
        {"bad/missing-note.kbm", 60, 69, 12, 440.0, {0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11, -1}},
    };
    for (const Header& h : headers) {
        CSCL_Import import;
        ASSERT_TRUE(import.ReadKBM(pathOf(h.file).c_str())) << h.file;
        EXPECT_EQ(import.GetMappingName(), std::filesystem::path(h.file).filename().string());
        EXPECT_EQ(import.GetFirstNote(), 0) << h.file;
        EXPECT_EQ(import.GetLastNote(), 127) << h.file;
        EXPECT_EQ(import.GetMiddleNote(), h.middle) << h.file;
        EXPECT_EQ(import.GetReferenceNote(), h.reference) << h.file;
        EXPECT_EQ(import.GetFormalOctave(), h.octave) << h.file;
        EXPECT_DOUBLE_EQ(import.GetReferenceFrequency(), h.frequency) << h.file;
        for (std::size_t i = 0; i < h.entries.size(); ++i)
            EXPECT_EQ(import.GetMapping(i), h.entries[i]) << h.file;
    }
}

TEST_F(ScalaFiles, PairsCombineIntoFrequencies) {
    CSCL_Import import;
    ASSERT_TRUE(import.ReadSCL(pathOf("12-intune.scl").c_str()));
    ASSERT_TRUE(import.ReadKBM(pathOf("mapping-whitekeys-c261.kbm").c_str()));
    TUN::CSingleScale scale;
    import.SetSingleScale(scale);
    EXPECT_DOUBLE_EQ(scale.GetFrequency(60), 261.625565280);
    // White keys walk up the scale degrees; black keys are unmapped and keep 100 cents a key.
    const double cents[12] = {0, 100, 100, 300, 200, 300, 600, 400, 800, 500, 1000, 600};
    for (int k = 60; k < 72; ++k)
        EXPECT_NEAR(scale.GetFrequency(k), 261.625565280 * std::pow(2.0, cents[k - 60] / 1200.0), 1e-9) << k;
    EXPECT_NEAR(scale.GetFrequency(72), 2 * 261.625565280, 1e-9);

    // A map size of 0 is read as 1 with its only key unmapped: equal temperament around the reference.
    ASSERT_TRUE(import.ReadKBM(pathOf("empty-note69.kbm").c_str()));
    import.SetSingleScale(scale);
    for (int k = 0; k < 128; ++k)
        EXPECT_NEAR(scale.GetFrequency(k), 452.0 * std::pow(2.0, (k - 69) / 12.0),
                    1e-9 * scale.GetFrequency(k));
}
