#pragma once

#include <cstdint>

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// The colour every transparent pixel is painted with; the program keys on it.
inline constexpr Rgb kTransparent{0, 0, 0};

// On a 5-6-5 screen these colours collapse onto the transparent key.
inline bool vanishesOn565(Rgb c) {
    return c.r <= 7 && c.g <= 3 && c.b <= 7;
}

// Outlines of every figure: dark, yet clear of the colours that vanish.
inline constexpr Rgb kOutline{40, 24, 44};
