// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>

#include "Utmypoint.h"

// Multiplying by a power of two changes only the exponent of a double, so
// points can be brought near unit size, worked on without overflow or
// underflow, and brought back without rounding a coordinate. (The exception,
// a coordinate pushed into the subnormal range, is one that is negligible
// next to the largest coordinate anyway.)

[[nodiscard]] inline double ScaledByPowerOfTwo(double value, int exponent) noexcept {
  // Where 2^exponent is itself a normal double, a multiplication rounds
  // exactly as scalbn does, without the call.
  if (exponent >= std::numeric_limits<double>::min_exponent - 1 &&
      exponent < std::numeric_limits<double>::max_exponent) {
    const auto bits =
        static_cast<std::uint64_t>(exponent + std::numeric_limits<double>::max_exponent - 1) << 52U;
    return value * std::bit_cast<double>(bits);
  }
  return std::scalbn(value, exponent);
}

[[nodiscard]] inline TMyPoint ScaledByPowerOfTwo(TMyPoint p, int exponent) noexcept {
  return {ScaledByPowerOfTwo(p.x, exponent), ScaledByPowerOfTwo(p.y, exponent)};
}

// The largest coordinate magnitude; finite points are assumed.
[[nodiscard]] inline double LargestMagnitude(std::initializer_list<TMyPoint> points) noexcept {
  double largest = 0.0;
  for (const TMyPoint p : points) {
    largest = std::max({largest, std::fabs(p.x), std::fabs(p.y)});
  }
  return largest;
}

// The exponent that takes a non-zero finite magnitude into [1, 2). A normal
// double carries it in its exponent field, read here without a call.
[[nodiscard]] inline int UnitExponent(double magnitude) noexcept {
  if (magnitude >= std::numeric_limits<double>::min()) {
    const auto biased = static_cast<int>(std::bit_cast<std::uint64_t>(magnitude) >> 52U);
    return std::numeric_limits<double>::max_exponent - 1 - biased;
  }
  return -std::ilogb(magnitude);
}
