// The real-world Scala files in the shared test data, read through the file entry points.
#include "tuning/CSCL_Import.h"
#include "tuning/TunConversions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using TUN::CSCL_Import;

namespace {

const std::filesystem::path kScalaFolder = std::filesystem::path(KORVANTA_SHARED_DIR) / "testdata" / "scala";

std::string pathOf(const std::string& name) {
    return (kScalaFolder / name).string();
}

CSCL_Import scaleFile(const char* name) {
    CSCL_Import import;
    EXPECT_TRUE(import.ReadSCL(pathOf(name).c_str())) << name;
    return import;
}

} // namespace

TEST(ScalaFiles, ScalesReadTheirDescriptionsAndDegrees) {
    for (const char* file : {"12-intune.scl", "12-intune-dosle.scl"}) {
        const CSCL_Import import = scaleFile(file);
        EXPECT_EQ(import.GetScaleDescription(), "22-edo, mode 3 1 1 3 1 3 1 3 1 1 3 1");
        for (int d = 0; d <= 12; ++d) EXPECT_DOUBLE_EQ(import.GetDegree(d), 100.0 * d) << file;
    }
    EXPECT_EQ(scaleFile("12-intune-nodesc.scl").GetScaleDescription(), "12-intune-nodesc.scl");
    const CSCL_Import shuffled = scaleFile("12-shuffled.scl");
    EXPECT_DOUBLE_EQ(shuffled.GetDegree(1), 200.0);
    EXPECT_DOUBLE_EQ(shuffled.GetDegree(2), 100.0);
    const CSCL_Import unix31 = scaleFile("31edo.scl"), dos31 = scaleFile("31edo_dos_lineends.scl");
    EXPECT_EQ(unix31.GetScaleDescription(), "31 equal divisions of octave");
    EXPECT_EQ(dos31.GetScaleDescription(), unix31.GetScaleDescription());
    for (int d = 0; d <= 31; ++d) {
        EXPECT_NEAR(unix31.GetDegree(d), 1200.0 * d / 31.0, 1e-5) << d;
        EXPECT_DOUBLE_EQ(dos31.GetDegree(d), unix31.GetDegree(d));
    }
    EXPECT_DOUBLE_EQ(scaleFile("6-exact.scl").GetDegree(1), TUN::Factor2Cents(7.0 / 6.0));
    EXPECT_DOUBLE_EQ(scaleFile("6-exact.scl").GetDegree(6), 1200.0);
    EXPECT_NEAR(scaleFile("ED3-17.scl").GetDegree(17), 1901.955, 1e-3);
}
