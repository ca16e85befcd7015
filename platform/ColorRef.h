#pragma once
// A colour as a 32-bit value 0x00BBGGRR: red in the low byte.

#include <cstdint>

using ColorRef = std::uint32_t;

constexpr ColorRef MakeColorRef(int red, int green, int blue)
{
    return static_cast<ColorRef>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int RedOf(ColorRef c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(ColorRef c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(ColorRef c) { return static_cast<int>((c >> 16) & 0xFF); }
