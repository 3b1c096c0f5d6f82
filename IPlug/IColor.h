#pragma once
// A colour: alpha, red, green, blue, each 0..255, and the named colours.

#include <cstdint>

struct IColor
{
  int A = 255, R = 0, G = 0, B = 0;

  constexpr IColor() = default;
  constexpr IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}

  bool operator==(const IColor& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
  bool operator!=(const IColor& o) const { return !(*this == o); }

  // Packed as the raster layer takes it: 0xAARRGGBB, each channel cut to 8 bits.
  uint32_t Packed() const
  {
    return ((uint32_t) (A & 255) << 24) | ((uint32_t) (R & 255) << 16) | ((uint32_t) (G & 255) << 8) |
           (uint32_t) (B & 255);
  }
  static IColor FromPacked(uint32_t p)
  {
    return IColor((int) (p >> 24), (int) ((p >> 16) & 255), (int) ((p >> 8) & 255), (int) (p & 255));
  }
};

constexpr IColor COLOR_TRANSPARENT(0, 0, 0, 0);
constexpr IColor COLOR_BLACK(255, 0, 0, 0);
constexpr IColor COLOR_GRAY(255, 127, 127, 127);
constexpr IColor COLOR_WHITE(255, 255, 255, 255);
constexpr IColor COLOR_RED(255, 255, 0, 0);
constexpr IColor COLOR_GREEN(255, 0, 255, 0);
constexpr IColor COLOR_BLUE(255, 0, 0, 255);
constexpr IColor COLOR_YELLOW(255, 255, 255, 0);
constexpr IColor COLOR_ORANGE(255, 255, 127, 0);
constexpr IColor DEFAULT_TEXT_COLOR = COLOR_BLACK;
