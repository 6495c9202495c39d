#pragma once

// Checks of the constructions by other means than their own formulas:
// angles from atan2, sides of lines from cross products.

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

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

[[nodiscard]] inline double LargestMagnitude(std::initializer_list<TMyPoint> points) {
  double largest = 0.0;
  for (const TMyPoint p : points) {
    largest = std::max({largest, std::fabs(p.x), std::fabs(p.y)});
  }
  return largest;
}

}  // namespace checks
