// SPDX-License-Identifier: MIT
#pragma once

// Tangential figures with one corner at the limits, sharp or nearly
// straight, drawn from their corner angles rather than from arcs, so that
// neither kind loses its angle to cancellation; and the Pitot defect of a
// figure measured in long double, relative to its first corner.

#include <array>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <random>

#include "Utmypoint.h"

namespace extreme {

using Outline = std::array<TMyPoint, 4>;

inline constexpr long double kPi = std::numbers::pi_v<long double>;
inline constexpr long double kDegree = kPi / 180;

// Four corner angles (radians) that add up to a full turn: the one at
// `extreme` is given, the others drawn between 5 and 175 degrees.
[[nodiscard]] inline std::array<long double, 4> CornerAngles(long double extremeAngle,
                                                             std::size_t extreme,
                                                             std::mt19937_64& random) {
  std::uniform_real_distribution<long double> ordinary(5 * kDegree, 175 * kDegree);
  std::array<long double, 4> angles{};
  for (;;) {
    long double rest = 2 * kPi - extremeAngle;
    for (std::size_t k = 1; k < 3; ++k) {
      angles[(extreme + k) % 4] = ordinary(random);
      rest -= angles[(extreme + k) % 4];
    }
    if (rest >= 5 * kDegree && rest <= 175 * kDegree) {
      angles[(extreme + 3) % 4] = rest;
      angles[extreme] = extremeAngle;
      return angles;
    }
  }
}

// The figure around the circle of radius 1 at the origin with these corner
// angles, turned by `turn`. Corner i sits where the tangents at two points
// an arc of pi - angle apart meet: on the bisector of that arc, at distance
// 1 / sin(angle / 2), which stays exact for the sharpest corner.
[[nodiscard]] inline Outline AroundTheUnitCircle(const std::array<long double, 4>& angles,
                                                 long double turn) {
  Outline outline;
  long double tangentAt = turn;
  for (std::size_t i = 0; i < 4; ++i) {
    const long double arc = kPi - angles[i];
    const long double at = tangentAt + arc / 2;
    const long double distance = 1 / std::sin(angles[i] / 2);
    outline[i] = TMyPoint(static_cast<double>(distance * std::cos(at)),
                          static_cast<double>(distance * std::sin(at)));
    tangentAt += arc;
  }
  return outline;
}

struct Wide {
  long double x = 0;
  long double y = 0;
};

[[nodiscard]] inline Wide Difference(TMyPoint a, TMyPoint b) {
  return {static_cast<long double>(a.x) - static_cast<long double>(b.x),
          static_cast<long double>(a.y) - static_cast<long double>(b.y)};
}

[[nodiscard]] inline long double SideLength(const Outline& o, std::size_t i) {
  const Wide side = Difference(o[(i + 1) % 4], o[i]);
  return std::hypot(side.x, side.y);
}

// |a + c - b - d| / (a + b + c + d) of the corners as given, in long double:
// the differences of doubles of one size are exact there, so the measure
// is that of the figure itself, not of its rounding.
[[nodiscard]] inline long double PitotDefect(const Outline& o) {
  const long double a = SideLength(o, 0);
  const long double b = SideLength(o, 1);
  const long double c = SideLength(o, 2);
  const long double d = SideLength(o, 3);
  return std::fabs(a + c - b - d) / (a + b + c + d);
}

}  // namespace extreme
