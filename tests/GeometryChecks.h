#pragma once

// Checks of the constructions by other means than their own formulas:
// angles from atan2, sides of lines from cross products.

#include "Utmypoint.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace checks {

inline constexpr double kEpsilon = std::numeric_limits<double>::epsilon();

// The angle from direction u to direction v, in [0, pi].
[[nodiscard]] inline double AngleBetween(TMyPoint u, TMyPoint v) {
  const double angle = std::fabs(std::atan2(u.x * v.y - u.y * v.x, u.x * v.x + u.y * v.y));
  return std::min(angle, std::numbers::pi);
}

// The distance from p to the line through a and b.
[[nodiscard]] inline double DistanceToLine(TMyPoint p, TMyPoint a, TMyPoint b) {
  const TMyPoint direction = b - a;
  return std::fabs(Cross(direction / direction.Length(), p - a));
}

[[nodiscard]] inline double LargestMagnitude(std::initializer_list<TMyPoint> points) {
  double largest = 0.0;
  for (const TMyPoint p : points) {
    largest = std::max({largest, std::fabs(p.x), std::fabs(p.y)});
  }
  return largest;
}

}  // namespace checks
