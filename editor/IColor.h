#pragma once

// A colour with alpha, each channel 0..255.
struct IColor {
    int A = 255;
    int R = 0;
    int G = 0;
    int B = 0;

    constexpr IColor() = default;
    constexpr IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}
    constexpr bool operator==(const IColor&) const = default;
};

inline constexpr IColor COLOR_TRANSPARENT(0, 0, 0, 0);
inline constexpr IColor COLOR_BLACK(255, 0, 0, 0);
inline constexpr IColor COLOR_WHITE(255, 255, 255, 255);
inline constexpr IColor COLOR_GRAY(255, 127, 127, 127);
