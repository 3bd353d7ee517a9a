#pragma once

#include <algorithm>

// A rectangle in points: left and top inside, right and bottom just outside.
struct IRECT {
    int L = 0;
    int T = 0;
    int R = 0;
    int B = 0;

    constexpr IRECT() = default;
    constexpr IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}
    constexpr bool operator==(const IRECT&) const = default;

    constexpr int W() const { return R - L; }
    constexpr int H() const { return B - T; }
    constexpr bool Empty() const { return R <= L || B <= T; }
    constexpr bool Contains(int x, int y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }
    constexpr bool Intersects(const IRECT& r) const {
        return !Empty() && !r.Empty() && L < r.R && r.L < R && T < r.B && r.T < B;
    }
    // The smallest rectangle holding both; an empty one adds nothing.
    constexpr IRECT Union(const IRECT& r) const {
        if (Empty()) return r;
        if (r.Empty()) return *this;
        return IRECT(std::min(L, r.L), std::min(T, r.T), std::max(R, r.R), std::max(B, r.B));
    }
    constexpr IRECT Intersect(const IRECT& r) const {
        if (!Intersects(r)) return IRECT();
        return IRECT(std::max(L, r.L), std::max(T, r.T), std::min(R, r.R), std::min(B, r.B));
    }
    constexpr IRECT GetPadded(int left, int top, int right, int bottom) const {
        return IRECT(L + left, T + top, R + right, B + bottom);
    }
};
