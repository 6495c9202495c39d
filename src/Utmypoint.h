// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>
#include <optional>

#include "incircle_export.h"

// A point of the plane, or the vector from the origin to it.
//
// The arithmetic lives here, constexpr and inline, because the figure test
// spends most of its time in it: out of line, every operator is a call. Each
// operator is one rounded operation per coordinate, which no compiler flag
// can change; what takes more than one (Length, Cross) is out of line, and
// computed as the library was built.
struct TMyPoint {
  double x = 0.0;
  double y = 0.0;

  constexpr TMyPoint() noexcept = default;
  constexpr TMyPoint(double xValue, double yValue) noexcept : x(xValue), y(yValue) {}

  // Exact, to the last bit: callers that need a tolerance choose their own.
  friend constexpr bool operator==(const TMyPoint&, const TMyPoint&) noexcept = default;

  // The length of the vector: never infinite nor zero where the length
  // itself is a normal double (docs/proofs/cross.md gives its accuracy).
  [[nodiscard]] INCIRCLE_EXPORT double Length() const noexcept;
  [[nodiscard]] INCIRCLE_EXPORT double DistanceTo(TMyPoint b) const noexcept;
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

// The z component of the cross product: twice the signed area of the
// triangle spanned by a and b, positive when b lies counter-clockwise of a.
// Its sign is exact for every pair of finite vectors, on every CPU: zero
// exactly when they are parallel, and otherwise the sign of the exact value,
// however near zero. Out of line, so that it is computed as the library
// was built, whatever the flags of the program that calls it.
[[nodiscard]] INCIRCLE_EXPORT double Cross(TMyPoint a, TMyPoint b) noexcept;

[[nodiscard]] inline bool IsFinite(TMyPoint p) noexcept {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

// The point where the inner bisector of the angle at corner A meets the
// segment BC between A's neighbours B and C (the angle-bisector theorem), so
// that the bisector is the line through A and this point. When two of the
// three points coincide there is no angle, and the result is B; for a
// straight angle, with A on the segment BC, it is A itself. A corner that is
// not finite gives a point that is not finite.
[[nodiscard]] INCIRCLE_EXPORT TMyPoint BisectorPoint(TMyPoint A, TMyPoint B, TMyPoint C) noexcept;

// The point where the line through P0 and P1 crosses the line through P2 and
// P3, for the lines through the points exactly as given. No value when the
// lines are exactly parallel or the same line, when the two points given
// for a line coincide, or when the crossing is not a finite point
// (non-finite input, or a crossing beyond the range of a double). For every
// finite input, each coordinate is the double nearest to the exact
// crossing's, moved by less than 2^-10 units in the last place of the
// largest coordinate of the crossing and the four points: within half such
// a unit and 2^-10 (three quarters for a subnormal coordinate), and so
// within one (docs/proofs/meeting-point.md). Finite input raises no invalid
// operation and no division by zero.
[[nodiscard]] INCIRCLE_EXPORT std::optional<TMyPoint> MeetingPoint(TMyPoint P0, TMyPoint P1,
                                                                   TMyPoint P2,
                                                                   TMyPoint P3) noexcept;
