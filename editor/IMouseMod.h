#pragma once

// The buttons and modifier keys held during a mouse event.
struct IMouseMod {
    bool L = false;
    bool R = false;
    bool S = false;
    bool C = false;
    bool A = false;

    constexpr IMouseMod() = default;
    constexpr IMouseMod(bool left, bool right = false, bool shift = false, bool control = false,
                        bool alt = false)
        : L(left), R(right), S(shift), C(control), A(alt) {}
};
