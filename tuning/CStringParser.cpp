#include "tuning/CStringParser.h"

#include <string_view>

namespace TUN {
namespace {

constexpr std::string_view kTrimmed = "\t\n\v\f\r ";

bool isLineBreak(char c) {
    return c == '\0' || c == '\n' || c == '\r';
}

} // namespace

std::string_view TrimTuningText(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kTrimmed);
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(kTrimmed);
    return text.substr(first, last - first + 1);
}

bool CStringParser::GetLineAndTrim(std::istream& stream, long& lineNumber) {
    std::streambuf* buffer = stream.rdbuf();
    line.clear();
    if (buffer == nullptr) return false;
    int c = buffer->sbumpc();
    if (c == std::char_traits<char>::eof()) return false;
    for (; c != std::char_traits<char>::eof(); c = buffer->sbumpc()) {
        const char ch = static_cast<char>(c);
        if (!isLineBreak(ch)) {
            line.push_back(ch);
            continue;
        }
        if (!lineEndKnown) {
            lineEnd = ch;
            lineEndKnown = true;
        } else if (ch == lineEnd) {
            ++lineNumber;
        }
        break;
    }
    const std::string_view trimmed = TrimTuningText(line);
    if (trimmed.size() != line.size()) line = std::string(trimmed);
    return true;
}

} // namespace TUN
