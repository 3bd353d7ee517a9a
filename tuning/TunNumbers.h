#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Number scanning for the tuning readers. Everything is locale-independent (a host may have set a
// locale whose decimal separator is a comma) and accepts plain decimal notation only, so that texts
// such as "inf", "nan" or hexadecimal floats never turn into pitches.
namespace TUN {

// Optional sign, digits, optional fraction, optional exponent, starting at pos. On success pos moves
// past the number. Fails without a digit or when the value does not fit a finite double.
bool ScanDecimal(std::string_view text, std::size_t& pos, double& value);

// Optional sign and decimal digits starting at pos; fails without a digit or on overflow.
bool ScanInteger(std::string_view text, std::size_t& pos, int64_t& value);

// The whole text is one number (the TUN value forms).
bool ParseDecimal(std::string_view text, double& value);
bool ParseInteger(std::string_view text, int64_t& value);

// The number at the start of a line, as C's strtol reads it: leading white space is skipped, text after
// the number is ignored, a line without a number gives 0 and out-of-range values saturate.
int64_t LeadingInteger(std::string_view text);

// The same for a decimal number: no number gives 0, overflow gives +-infinity, underflow 0.
double LeadingDecimal(std::string_view text);

} // namespace TUN
