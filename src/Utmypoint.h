#pragma once

#include <cmath>
#include <limits>
#include <optional>

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

// The z component of the cross product: twice the signed area of the
// triangle spanned by a and b, positive when b lies counter-clockwise of a.
[[nodiscard]] constexpr double Cross(TMyPoint a, TMyPoint b) noexcept {
  return a.x * b.y - a.y * b.x;
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
[[nodiscard]] INCIRCLE_EXPORT std::optional<TMyPoint> MeetingPoint(TMyPoint P0, TMyPoint P1,
                                                                   TMyPoint P2,
                                                                   TMyPoint P3) noexcept;
