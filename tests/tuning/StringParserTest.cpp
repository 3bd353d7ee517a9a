#include "CStringParser.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> readLines(const std::string& text, long* lineCount = nullptr) {
    std::istringstream stream(text);
    TUN::CStringParser parser;
    std::vector<std::string> lines;
    long line = 0;
    while (parser.GetLineAndTrim(stream, line)) lines.push_back(parser.GetLine());
    if (lineCount != nullptr) *lineCount = line;
    return lines;
}

} // namespace

TEST(CStringParser, SplitsAtLfCrAndNul) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(readLines("a\nb\nc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(readLines("a\rb\rc\r"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(readLines("a\r\nb\r\n"), (Lines{"a", "", "b", ""}));
    EXPECT_EQ(readLines(std::string("a\0b", 3)), (Lines{"a", "b"}));
}

TEST(CStringParser, TrimsTheSixWhiteSpaceCharactersOnly) {
    EXPECT_EQ(readLines(" \t\v\f x y \t\f\v\n"), std::vector<std::string>{"x y"});
    EXPECT_EQ(readLines("\xA0x\xA0\n"), std::vector<std::string>{"\xA0x\xA0"});
}

TEST(CStringParser, ReportsEndOnlyWhenNothingIsLeft) {
    EXPECT_TRUE(readLines("").empty());
    EXPECT_EQ(readLines("\n").size(), 1u);
    EXPECT_EQ(readLines("last line without break").size(), 1u);
}

TEST(CStringParser, CountsLaterOccurrencesOfTheFirstLineEndMet) {
    long count = 0;
    readLines("a\r\nb\r\nc\r\n", &count);
    EXPECT_EQ(count, 2);
    readLines("a\nb\rc\nd\n", &count);
    EXPECT_EQ(count, 2);
}

TEST(CStringParser, ReadsAMegabyteLine) {
    const std::string line(1 << 20, 'x');
    const auto lines = readLines(line + "\nend");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), line.size());
}
