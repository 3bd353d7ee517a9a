// Whatever bytes a tuning file holds, the readers finish with a result and never read or write outside
// their tables (the asan build checks the latter).
#include "tuning/CSCL_Import.h"
#include "tuning/CSingleScale.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

namespace {

void readAll(const std::string& text) {
    TUN::CSingleScale scale;
    std::istringstream tun(text);
    TUN::CStringParser parser;
    const int result = scale.Read(tun, parser);
    ASSERT_TRUE(result >= -1 && result <= 1);
    ASSERT_TRUE(result == 1 || !scale.GetErrorText().empty());
    for (int n = 0; n < 128; ++n) scale.GetFrequency(scale.MapMIDI2Scale(n));

    TUN::CSCL_Import import;
    std::istringstream scl(text), kbm(text);
    TUN::CStringParser sclParser, kbmParser;
    ASSERT_TRUE(import.ReadSCL(scl, sclParser) || !import.GetErrorText().empty());
    ASSERT_TRUE(import.ReadKBM(kbm, kbmParser) || !import.GetErrorText().empty());
    import.SetSingleScale(scale);
}

// Fragments of real files, so that random texts get past the first checks now and then.
const char* const kFragments[] = {"[Scale Begin]",
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
                                  "\r\n"};

} // namespace

TEST(TuningReadersRobustness, SurviveRandomBytesFragmentsAndExtremes) {
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        if (round % 3 == 0) {
            text.resize(random() % 600);
            for (char& c : text) c = static_cast<char>(random() & 0xFF);
        }
        for (int i = round % 3 == 0 ? 40 : static_cast<int>(random() % 40); i < 40; ++i) {
            const std::size_t fragment = random() % (std::size(kFragments) + 2);
            if (fragment == std::size(kFragments))
                text += std::to_string(static_cast<int64_t>(random()) - (1LL << 31));
            else if (fragment > std::size(kFragments))
                text.push_back('\0');
            else
                text += kFragments[fragment];
        }
        readAll(text);
    }
    readAll(std::string(1 << 20, 'a'));
    readAll("[Tuning]\nNote 1 = " + std::string(1 << 20, '7') + "\n");
    readAll("[Scale Begin]\nFormat=\"AnaMark-TUN\"\nFormatVersion=200\n[Functional Tuning]\n"
            "InitEqual = (-9223372036854775808, 1e308)\nNote 0 = \"/0\"\nNote 1 = \"#=0 %1e300\"\n"
            "Note 127 = \"~-9223372036854775808 #>0\"\n[Mapping]\nLoopSize = 9223372036854775807\n"
            "Keyboard 0 = -9223372036854775808\n[Scale End]\n");
    readAll("12\n1000\n0\n1\n9223372036854775807\n-9223372036854775808\n1e308\n200\n1\n1\n");
}
