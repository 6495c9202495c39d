// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>
#include <limits>
#include <optional>
#include <type_traits>

#include "FloatingPointTarget.h"
#include "incircle_export.h"

// A point of the plane, or the vector from the origin to it.
//
// The arithmetic lives here, constexpr and inline, because the figure test
// spends most of its time in it: out of line, every operator is a call.
struct TMyPoint {
  double x = 0.0;
  double y = 0.0;

  constexpr TMyPoint() noexcept = default;
  constexpr TMyPoint(double xValue, double yValue) noexcept : x(xValue), y(yValue) {}

  // Exact, to the last bit: callers that need a tolerance choose their own.
  friend constexpr bool operator==(const TMyPoint&, const TMyPoint&) noexcept = default;

  // The square root of the sum of squares is exact to a unit or two in the
  // last place, and cheap, wherever that sum neither overflows nor loses
  // bits to underflow: coordinates between about 1e-145 and 1e154. Beyond,
  // hypot keeps the full range of the length itself.
  [[nodiscard]] double Length() const noexcept {
    const double squares = x * x + y * y;
    if (squares >= 0x1p-968 && squares <= std::numeric_limits<double>::max()) {
      return std::sqrt(squares);
    }
    return std::hypot(x, y);
  }
  [[nodiscard]] double DistanceTo(TMyPoint b) const noexcept;
};

[[nodiscard]] constexpr TMyPoint operator-(TMyPoint a, TMyPoint b) noexcept {
  return {a.x - b.x, a.y - b.y};
}

[[nodiscard]] constexpr TMyPoint operator+(TMyPoint a, TMyPoint b) noexcept {
  return {a.x + b.x, a.y + b.y};
}

[[nodiscard]] constexpr TMyPoint operator*(TMyPoint p, double k) noexcept {
  return {p.x * k, p.y * k};
}

[[nodiscard]] constexpr TMyPoint operator/(TMyPoint p, double k) noexcept {
  return {p.x / k, p.y / k};
}

// The rounding error of p = x * y, exactly, without a fused multiply-add
// (Dekker's product): for factors below 2^995 in magnitude, where the split
// cannot overflow, and products whose error is not subnormal. Only used
// where the target cannot fuse, for fusing would spoil it.
[[nodiscard]] constexpr double ProductError(double x, double y, double p) noexcept {
  constexpr double kSplitter = 0x1p27 + 1;
  const double xBig = x * kSplitter;
  const double xHigh = xBig - (xBig - x);
  const double xLow = x - xHigh;
  const double yBig = y * kSplitter;
  const double yHigh = yBig - (yBig - y);
  const double yLow = y - yHigh;
  return ((xHigh * yHigh - p) + xHigh * yLow + xLow * yHigh) + xLow * yLow;
}

// Kahan's 2 by 2 determinant, a.x * b.y - a.y * b.x: the rounding error of
// one product, recovered exactly, is added back to the other. With fused
// multiply-adds the result lies within two units in the last place of the
// exact value (Jeannerod, Louvet and Muller, 2013), so its sign is exact, as
// long as no product falls below about 2^-969, where the recovered error
// would be subnormal; no product is left for a compiler to fuse. Without a
// fused multiply-add, std::fma is a library routine, slow, and on MinGW-w64
// wrong in its last bits, so the errors come from Dekker's products instead
// (coordinates below 2^995): where the two products cancel, their
// difference is exact and so is the result's sign; where they do not, the
// one rounding more cannot change it.
[[nodiscard]] inline double KahanCross(TMyPoint a, TMyPoint b) noexcept {
  INCIRCLE_UNFUSED_PRODUCTS
  const double w = a.y * b.x;
  if constexpr (kFusedMultiplyAdd) {
    const double error = std::fma(-a.y, b.x, w);  // w - a.y * b.x, exactly
    return std::fma(a.x, b.y, -w) + error;
  } else {
    const double error = -ProductError(a.y, b.x, w);
    const double left = a.x * b.y;
    return ((left - w) + ProductError(a.x, b.y, left)) + error;
  }
}

// Cross where the plain formula gives 0 without a fused multiply-add: out of
// line, so that the rare case costs its callers' fast path nothing.
[[nodiscard]] INCIRCLE_EXPORT double CrossOfTiedProducts(TMyPoint a, TMyPoint b) noexcept;

// The z component of the cross product: twice the signed area of the
// triangle spanned by a and b, positive when b lies counter-clockwise of a.
// Its sign is exact for every pair of vectors whose products do not
// underflow, on every CPU: zero exactly when they are parallel.
//
// The plain formula cannot promise that where the CPU has a fused
// multiply-add, for compilers then fuse one of its products into the
// subtraction (g++ for ARM64, or for x86-64 with -march=haswell), and the
// cross product of a vector with itself comes out as the rounding error of
// the other product, not 0. Such targets get Kahan's determinant: one
// product and two fused multiply-adds. Targets without one cannot fuse, and
// the plain formula rounds each product once: its sign is then never wrong,
// only 0 where the exact products differ below their last bit, and that
// rare case goes to Kahan's determinant for its sign (beyond 2^995, where
// Dekker's split overflows, to the two rounding errors from std::fma). In a
// constant expression the plain formula is rounded as written, unfused.
[[nodiscard]] constexpr double Cross(TMyPoint a, TMyPoint b) noexcept {
  INCIRCLE_UNFUSED_PRODUCTS
  if (std::is_constant_evaluated() || !kFusedMultiplyAdd) {
    const double plain = a.x * b.y - a.y * b.x;
    if (plain != 0.0 || std::is_constant_evaluated()) {
      return plain;
    }
    return CrossOfTiedProducts(a, b);
  }
  return KahanCross(a, b);
}

[[nodiscard]] inline bool IsFinite(TMyPoint p) noexcept {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

inline double TMyPoint::DistanceTo(TMyPoint b) const noexcept { return (b - *this).Length(); }

// The point where the inner bisector of the angle at corner A meets the
// segment BC between A's neighbours B and C (the angle-bisector theorem), so
// that the bisector is the line through A and this point. When two of the
// three points coincide there is no angle, and the result is B; for a
// straight angle, with A on the segment BC, it is A itself. A corner that is
// not finite gives a point that is not finite.
[[nodiscard]] INCIRCLE_EXPORT TMyPoint BisectorPoint(TMyPoint A, TMyPoint B, TMyPoint C) noexcept;

// The point where the line through P0 and P1 crosses the line through P2 and
// P3. No value when the lines are parallel or the same line, when the two
// points given for a line coincide, or when the crossing is not a finite
// point (non-finite input, or a crossing beyond the range of a double).
// Parallel means exactly parallel for the differences P1 - P0 and P3 - P2 as
// rounded to doubles. Finite input raises no invalid operation and no
// division by zero. Against exact rational arithmetic, for angles from 1
// down to 1e-14 radians and sizes from subnormal to 1e300: within 6.5 units
// in the last place of the largest coordinate of the crossing and the four
// points where those differences are exact (points on an integer grid,
// subnormal points, or points within a factor of 2 of each other, as far
// from the origin), the bound of the parameter's 5 units of rounding and
// the two after it; where they round, a line may turn by half a unit of its
// direction, which moves the crossing of lines at an angle of a radians by
// up to about 1 / a such units (0.3 / a typically).
[[nodiscard]] INCIRCLE_EXPORT std::optional<TMyPoint> MeetingPoint(TMyPoint P0, TMyPoint P1,
                                                                   TMyPoint P2,
                                                                   TMyPoint P3) noexcept;
