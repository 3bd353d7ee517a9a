#include "tuning/TunNumbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace TUN {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::size_t skipDigits(std::string_view text, std::size_t pos) {
    while (pos < text.size() && isDigit(text[pos])) ++pos;
    return pos;
}

// Length of the decimal number at pos (0 when there is none) and whether it is negative.
std::size_t decimalLength(std::string_view text, std::size_t pos, bool& negative) {
    std::size_t end = pos;
    negative = false;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) negative = text[end++] == '-';
    const std::size_t intStart = end;
    end = skipDigits(text, end);
    std::size_t digits = end - intStart;
    if (end < text.size() && text[end] == '.') {
        const std::size_t fracStart = end + 1;
        const std::size_t fracEnd = skipDigits(text, fracStart);
        digits += fracEnd - fracStart;
        end = fracEnd;
    }
    if (digits == 0) return 0;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exp = end + 1;
        if (exp < text.size() && (text[exp] == '+' || text[exp] == '-')) ++exp;
        const std::size_t expEnd = skipDigits(text, exp);
        if (expEnd > exp) end = expEnd;
    }
    return end - pos;
}

enum class Conversion { eOk, eNone, eOverflow, eUnderflow };

Conversion convertDecimal(std::string_view text, std::size_t& pos, double& value) {
    bool negative = false;
    const std::size_t length = decimalLength(text, pos, negative);
    if (length == 0) return Conversion::eNone;
    std::string_view number = text.substr(pos, length);
    if (number.front() == '+' || number.front() == '-') number.remove_prefix(1);
    double magnitude = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), magnitude);
    pos += length;
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars does not say which way it failed: a mantissa of zero digits only, or a large negative
        // exponent, can only underflow.
        const std::size_t e = number.find_first_of("eE");
        const bool smallExponent = e != std::string_view::npos && number.substr(e + 1).starts_with('-');
        value = negative ? -0.0 : 0.0;
        return smallExponent ? Conversion::eUnderflow : Conversion::eOverflow;
    }
    if (result.ec != std::errc() || !std::isfinite(magnitude)) return Conversion::eOverflow;
    value = negative ? -magnitude : magnitude;
    return Conversion::eOk;
}

} // namespace

bool ScanDecimal(std::string_view text, std::size_t& pos, double& value) {
    std::size_t end = pos;
    double result = 0.0;
    if (convertDecimal(text, end, result) != Conversion::eOk) return false;
    pos = end;
    value = result;
    return true;
}

bool ScanInteger(std::string_view text, std::size_t& pos, int64_t& value) {
    std::size_t end = pos;
    bool negative = false;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) negative = text[end++] == '-';
    const std::size_t digitEnd = skipDigits(text, end);
    if (digitEnd == end) return false;
    // Parse with the sign so that the most negative value still fits.
    const std::string_view digits = text.substr(end, digitEnd - end);
    std::string buffer = negative ? "-" : "";
    buffer.append(digits);
    int64_t result = 0;
    const auto parsed = std::from_chars(buffer.data(), buffer.data() + buffer.size(), result);
    if (parsed.ec != std::errc()) return false;
    pos = digitEnd;
    value = result;
    return true;
}

bool ParseDecimal(std::string_view text, double& value) {
    std::size_t pos = 0;
    double result = 0.0;
    if (!ScanDecimal(text, pos, result) || pos != text.size()) return false;
    value = result;
    return true;
}

bool ParseInteger(std::string_view text, int64_t& value) {
    std::size_t pos = 0;
    int64_t result = 0;
    if (!ScanInteger(text, pos, result) || pos != text.size()) return false;
    value = result;
    return true;
}

int64_t LeadingInteger(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && isSpace(text[pos])) ++pos;
    int64_t value = 0;
    if (ScanInteger(text, pos, value)) return value;
    // Either no digits at all, or too many: strtol saturates.
    const bool negative = pos < text.size() && text[pos] == '-';
    const std::size_t digitStart =
        pos < text.size() && (text[pos] == '+' || text[pos] == '-') ? pos + 1 : pos;
    if (skipDigits(text, digitStart) == digitStart) return 0;
    return negative ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
}

double LeadingDecimal(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && isSpace(text[pos])) ++pos;
    double value = 0.0;
    const bool negative = pos < text.size() && text[pos] == '-';
    switch (convertDecimal(text, pos, value)) {
    case Conversion::eOk:
        return value;
    case Conversion::eOverflow:
        return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    default:
        return 0.0;
    }
}

} // namespace TUN
