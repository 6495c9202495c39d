// SPDX-License-Identifier: MIT
#pragma once

// Checks of the constructions by other means than their own formulas:
// angles from atan2, sides of lines from cross products, and the exact sign
// of a cross product from integer arithmetic.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

#include "PowerOfTwoScaling.h"
#include "Utmypoint.h"

namespace checks {

inline constexpr double kEpsilon = std::numeric_limits<double>::epsilon();

// The angle from direction u to direction v, in [0, pi].
[[nodiscard]] inline double AngleBetween(TMyPoint u, TMyPoint v) {
  const double angle = std::fabs(std::atan2(u.x * v.y - u.y * v.x, u.x * v.x + u.y * v.y));
  return std::min(angle, std::numbers::pi);
}

// The distance from p to the line through a and b (a != b), worked out in
// long double, whose wider exponent lets no difference or product overflow.
[[nodiscard]] inline double DistanceToLine(TMyPoint p, TMyPoint a, TMyPoint b) {
  using Wide = long double;
  const Wide dx = static_cast<Wide>(b.x) - static_cast<Wide>(a.x);
  const Wide dy = static_cast<Wide>(b.y) - static_cast<Wide>(a.y);
  const Wide px = static_cast<Wide>(p.x) - static_cast<Wide>(a.x);
  const Wide py = static_cast<Wide>(p.y) - static_cast<Wide>(a.y);
  return static_cast<double>(std::fabs(dx * py - dy * px) / std::hypot(dx, dy));
}

// The library's own: the largest coordinate magnitude of finite points.
using ::LargestMagnitude;

// The sign of a.x * b.y - a.y * b.x for finite a and b, decided exactly:
// every double is an integer of at most 53 bits times a power of two, so
// each product is an integer of at most 106 bits times a power of two.
[[nodiscard]] inline int ExactCrossSign(TMyPoint a, TMyPoint b) {
  __extension__ using Int128 = __int128;
  struct Product {
    Int128 digits = 0;
    int exponent = 0;
  };
  const auto product = [](double p, double q) {
    int pExponent = 0;
    int qExponent = 0;
    const auto pDigits = static_cast<std::int64_t>(std::ldexp(std::frexp(p, &pExponent), 53));
    const auto qDigits = static_cast<std::int64_t>(std::ldexp(std::frexp(q, &qExponent), 53));
    return Product{Int128{pDigits} * qDigits, pExponent + qExponent};
  };
  const auto sign = [](Int128 v) { return (v > 0 ? 1 : 0) - (v < 0 ? 1 : 0); };
  Product left = product(a.x, b.y);
  Product right = product(a.y, b.x);
  if (left.digits == 0 || right.digits == 0) {
    return sign(left.digits - right.digits);
  }
  // Non-zero digits lie in [2^104, 2^106): three binary places apart, the
  // larger exponent decides alone; closer, both fit in 108 bits.
  const int shift = left.exponent - right.exponent;
  if (shift > 2) {
    return sign(left.digits);
  }
  if (shift < -2) {
    return -sign(right.digits);
  }
  (shift >= 0 ? left : right).digits *= Int128{1} << (shift >= 0 ? shift : -shift);
  return sign(left.digits - right.digits);
}

}  // namespace checks
