#pragma once

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "Utmypoint.h"

// Multiplying by a power of two changes only the exponent of a double, so
// points can be brought near unit size, worked on without overflow or
// underflow, and brought back without rounding a coordinate. (The exception,
// a coordinate pushed into the subnormal range, is one that is negligible
// next to the largest coordinate anyway.)

[[nodiscard]] inline TMyPoint ScaledByPowerOfTwo(TMyPoint p, int exponent) noexcept {
  return {std::scalbn(p.x, exponent), std::scalbn(p.y, exponent)};
}

// The largest coordinate magnitude; finite points are assumed.
[[nodiscard]] inline double LargestMagnitude(std::initializer_list<TMyPoint> points) noexcept {
  double largest = 0.0;
  for (const TMyPoint p : points) {
    largest = std::max({largest, std::fabs(p.x), std::fabs(p.y)});
  }
  return largest;
}

// The exponent that takes a non-zero finite magnitude into [1, 2).
[[nodiscard]] inline int UnitExponent(double magnitude) noexcept { return -std::ilogb(magnitude); }
