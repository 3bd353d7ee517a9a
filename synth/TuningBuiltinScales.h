#pragma once

#include <array>
#include <string>
#include <string_view>

// The built-in temperaments 1..13, kept as Scala scale texts so that they take exactly the path of a
// user's SCL file.
namespace TuningBuiltinScales {

constexpr int kFirst = 1;
constexpr int kLast = 13;
constexpr int kDegrees = 12;

struct Scale {
    std::string_view label;
    // Degrees 1..12 in cents, written as the scale texts always have been.
    std::array<std::string_view, kDegrees> degrees;
};

// Scales 1..13 at index 0..12.
extern const std::array<Scale, kLast> kScales;

// The SCL text of built-in scale t (1..13): description line, count line, twelve degree lines.
std::string sclText(int t);

} // namespace TuningBuiltinScales
