// Whatever bytes a tuning file holds, the readers finish with a result and never read or write outside
// their tables (the asan build checks the latter).
#include "CSCL_Import.h"
#include "CSingleScale.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <sstream>
#include <string>

namespace {

int readTun(const std::string& text, TUN::CSingleScale& scale) {
    std::istringstream stream(text);
    TUN::CStringParser parser;
    return scale.Read(stream, parser);
}

void readAll(const std::string& text) {
    TUN::CSingleScale scale;
    const int result = readTun(text, scale);
    ASSERT_TRUE(result >= -1 && result <= 1);
    ASSERT_TRUE(result == 1 || !scale.GetErrorText().empty());
    ASSERT_EQ(scale.GetFrequencies().size(), 128u);
    for (int n = 0; n < 128; ++n) scale.GetFrequency(scale.MapMIDI2Scale(n));

    TUN::CSCL_Import import;
    std::istringstream scl(text);
    TUN::CStringParser sclParser;
    ASSERT_TRUE(import.ReadSCL(scl, sclParser) || !import.GetErrorText().empty());
    std::istringstream kbm(text);
    TUN::CStringParser kbmParser;
    ASSERT_TRUE(import.ReadKBM(kbm, kbmParser) || !import.GetErrorText().empty());
    import.SetSingleScale(scale);
}

// Fragments of real files, so that random texts get past the first checks now and then.
constexpr std::array<const char*, 24> kFragments{"[Scale Begin]",
                                                 "[Scale End]",
                                                 "[Tuning]",
                                                 "[Exact Tuning]",
                                                 "[Functional Tuning]",
                                                 "[Mapping]",
                                                 "[Info]",
                                                 "[Assignment]",
                                                 "FormatVersion = 200",
                                                 "Format = \"AnaMark-TUN\"",
                                                 "Note 5 = ",
                                                 "Keyboard 127 = ",
                                                 "LoopSize = ",
                                                 "InitEqual = (",
                                                 "\"#>-1 %100 ~",
                                                 "\"!",
                                                 "12",
                                                 "x",
                                                 "3/2",
                                                 "100.0",
                                                 "-",
                                                 "\n",
                                                 "\r\n",
                                                 "\0"};

} // namespace

TEST(TuningReadersRobustness, SurviveRandomBytes) {
    std::mt19937 random(20241206);
    for (int round = 0; round < 400; ++round) {
        std::string text(random() % 600, '\0');
        for (char& c : text) c = static_cast<char>(random() & 0xFF);
        readAll(text);
    }
}

TEST(TuningReadersRobustness, SurviveRandomFragments) {
    std::mt19937 random(7);
    for (int round = 0; round < 1500; ++round) {
        std::string text;
        const int pieces = static_cast<int>(random() % 40);
        for (int i = 0; i < pieces; ++i) {
            const std::size_t fragment = random() % (kFragments.size() + 1);
            if (fragment == kFragments.size())
                text += std::to_string(static_cast<int64_t>(random()) - (int64_t{1} << 31));
            else if (kFragments[fragment][0] == '\0')
                text.push_back('\0');
            else
                text += kFragments[fragment];
            if (random() % 3 == 0) text += "\n";
        }
        readAll(text);
    }
}

TEST(TuningReadersRobustness, SurviveEmptyHugeAndNulFilledInput) {
    readAll("");
    readAll(std::string(1 << 20, 'a'));
    readAll("[Tuning]\nNote 1 = " + std::string(1 << 20, '7') + "\n");
    readAll(std::string(1000, '\0'));
    readAll("[Tuning]\0Note 69 = 6900\0");
    TUN::CSingleScale scale;
    EXPECT_EQ(readTun(std::string("[Tuning]\0Note 69 = 6950\0", 24), scale), 1);
    EXPECT_NEAR(scale.GetFrequency(69), 8.17579891564371 * std::pow(2.0, 6950 / 1200.0), 1e-9);
}

TEST(TuningReadersRobustness, ExtremeValuesStayInsideTheTables) {
    readAll("[Scale Begin]\nFormat=\"AnaMark-TUN\"\nFormatVersion=200\n[Functional Tuning]\n"
            "InitEqual = (-9223372036854775808, 1e308)\nNote 0 = \"/0\"\nNote 1 = \"#=0 %1e300\"\n"
            "Note 127 = \"~-9223372036854775808 #>0\"\n[Mapping]\nLoopSize = 9223372036854775807\n"
            "Keyboard 0 = -9223372036854775808\n[Scale End]\n");
    readAll("12\n1000\n0\n1\n9223372036854775807\n-9223372036854775808\n1e308\n200\n1\n1\n");
}
