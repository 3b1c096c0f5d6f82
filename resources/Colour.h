// An RGBA colour for drawing the artwork, components 0..1.
#pragma once

#include <cstdint>

namespace artwork {

struct Colour {
  double r = 0, g = 0, b = 0, a = 1;

  static constexpr Colour rgb(std::uint32_t hex, double alpha = 1.0) {
    return {((hex >> 16) & 0xff) / 255.0, ((hex >> 8) & 0xff) / 255.0, (hex & 0xff) / 255.0, alpha};
  }
  constexpr Colour withAlpha(double alpha) const { return {r, g, b, alpha}; }
  // Linear mix towards other by t (0 = this, 1 = other).
  constexpr Colour mix(const Colour& o, double t) const {
    return {r + (o.r - r) * t, g + (o.g - g) * t, b + (o.b - b) * t, a + (o.a - a) * t};
  }
};

} // namespace artwork
