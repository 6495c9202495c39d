// SPDX-License-Identifier: MIT
#pragma once

// The crossing of two lines in exact rational arithmetic (GMP), and how far a
// computed crossing lies from it, for the tests of MeetingPoint's accuracy.

#include <gmpxx.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include "Utmypoint.h"

namespace oracle {

struct ExactPoint {
  mpq_class x;
  mpq_class y;
};

inline ExactPoint Exact(TMyPoint p) { return {mpq_class(p.x), mpq_class(p.y)}; }

inline mpq_class ExactCross(const ExactPoint& a, const ExactPoint& b) {
  return a.x * b.y - a.y * b.x;
}

inline ExactPoint Minus(const ExactPoint& a, const ExactPoint& b) { return {a.x - b.x, a.y - b.y}; }

// The crossing of the lines through P0, P1 and through P2, P3, exactly.
inline std::optional<ExactPoint> ExactCrossing(TMyPoint P0, TMyPoint P1, TMyPoint P2, TMyPoint P3) {
  const ExactPoint p0 = Exact(P0);
  const ExactPoint d1 = Minus(Exact(P1), p0);
  const ExactPoint d2 = Minus(Exact(P3), Exact(P2));
  const mpq_class denominator = ExactCross(d1, d2);
  if (denominator == 0) {
    return std::nullopt;
  }
  const mpq_class t = ExactCross(Minus(Exact(P2), p0), d2) / denominator;
  return ExactPoint{p0.x + d1.x * t, p0.y + d1.y * t};
}

// The magnitude as a double, rounded towards zero, infinite beyond the range.
inline double Magnitude(const mpq_class& v) {
  const mpq_class m = abs(v);
  if (m >= mpq_class(std::numeric_limits<double>::max())) {
    return m == mpq_class(std::numeric_limits<double>::max())
               ? std::numeric_limits<double>::max()
               : std::numeric_limits<double>::infinity();
  }
  return m.get_d();
}

// A unit in the last place of the largest coordinate of the exact crossing and
// of the points that give the lines: the crossing is found from those points,
// and cannot be closer than their rounding where it lies much nearer the
// origin.
inline mpq_class UnitOfLargest(const ExactPoint& exact, double largestPoint) {
  const double largest = std::min(std::max({Magnitude(exact.x), Magnitude(exact.y), largestPoint}),
                                  std::numeric_limits<double>::max());
  int exponent = 0;
  std::frexp(largest, &exponent);
  return {std::ldexp(1.0, std::max(exponent - 53, -1074))};
}

inline double LargestCoordinate(TMyPoint P0, TMyPoint P1, TMyPoint P2, TMyPoint P3) {
  double largest = 0.0;
  for (const TMyPoint p : {P0, P1, P2, P3}) {
    largest = std::max({largest, std::fabs(p.x), std::fabs(p.y)});
  }
  return largest;
}

// The distance from the computed to the exact crossing, per coordinate, in
// units in the last place of the largest coordinate.
inline double UlpsOff(TMyPoint computed, const ExactPoint& exact, double largestPoint) {
  const mpq_class unit = UnitOfLargest(exact, largestPoint);
  const mpq_class dx = abs(mpq_class(computed.x) - exact.x) / unit;
  const mpq_class dy = abs(mpq_class(computed.y) - exact.y) / unit;
  return std::max(dx.get_d(), dy.get_d());
}

// The double nearest to v, for v within the range.
inline double Nearest(const mpq_class& v) {
  const double truncated = v.get_d();
  double best = truncated;
  mpq_class bestDistance = abs(mpq_class(truncated) - v);
  for (const double candidate :
       {std::nextafter(truncated, -std::numeric_limits<double>::infinity()),
        std::nextafter(truncated, std::numeric_limits<double>::infinity())}) {
    if (std::isfinite(candidate)) {
      const mpq_class distance = abs(mpq_class(candidate) - v);
      if (distance < bestDistance) {
        best = candidate;
        bestDistance = distance;
      }
    }
  }
  return best;
}

// How much farther the computed coordinate lies from the exact one than the
// nearest double does, in units in the last place of the largest coordinate:
// 0 when it is the nearest double.
inline double BeyondNearest(TMyPoint computed, const ExactPoint& exact, double largestPoint) {
  const mpq_class unit = UnitOfLargest(exact, largestPoint);
  double beyond = 0.0;
  for (const auto& [value, coordinate] :
       {std::pair{computed.x, &exact.x}, std::pair{computed.y, &exact.y}}) {
    const mpq_class nearest(Nearest(*coordinate));
    const mpq_class excess =
        (abs(mpq_class(value) - *coordinate) - abs(nearest - *coordinate)) / unit;
    beyond = std::max(beyond, excess.get_d());
  }
  return beyond;
}

// The proven bound (docs/proofs/meeting-point.md), in units in the last place
// of the largest coordinate: the nearest double, but for 2^-10 units, to
// within half a unit of a normal coordinate; within three quarters of the
// smallest subnormal for a subnormal one.
inline constexpr double kBeyondNearest = 0x1p-9;
inline double ProvenBound(const ExactPoint& exact) {
  const mpq_class smallestNormal(std::numeric_limits<double>::min());
  const bool subnormal = abs(exact.x) < smallestNormal || abs(exact.y) < smallestNormal;
  return (subnormal ? 0.75 : 0.5) + 0x1p-10;
}

}  // namespace oracle
