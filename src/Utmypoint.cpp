// SPDX-License-Identifier: MIT
#include "Utmypoint.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <optional>

#include "PlaneConstructions.h"
#include "PowerOfTwoScaling.h"

namespace {

template <typename... Points>
[[nodiscard]] bool AllFinite(Points... points) noexcept {
  return (IsFinite(points) && ...);
}

// From a corner to its bisector point, measuring the two lengths itself. No
// value when a difference, a length or the sum of the two overflows.
[[nodiscard]] std::optional<TMyPoint> MeasuredTowardsBisectorPoint(TMyPoint toB,
                                                                   TMyPoint toC) noexcept {
  const double dAB = toB.Length();
  const double dAC = toC.Length();
  if (!std::isfinite(dAB + dAC)) {
    return std::nullopt;
  }
  return TowardsBisectorPoint(toB, toC, dAB, dAC);
}

// A difference of two finite points, times a power of two.
struct Difference {
  TMyPoint digits;
  int exponent = 0;
};

// p - q. A difference can overflow only when both points are beyond 2^1021
// in a coordinate; halving them is then exact where it matters, losing at
// most a subnormal bit far below the other coordinate.
[[nodiscard]] Difference DifferenceOf(TMyPoint p, TMyPoint q) noexcept {
  if (const TMyPoint difference = p - q; IsFinite(difference)) {
    return {difference, 0};
  }
  return {ScaledByPowerOfTwo(p, -1) - ScaledByPowerOfTwo(q, -1), 1};
}

// A number as digits times a power of two, so that products of coordinates
// of any size neither overflow nor underflow.
struct Scaled {
  double digits = 0.0;
  int exponent = 0;
};

// The exponent of a zero, below any product's, so that it never leads.
constexpr int kZeroExponent = -(1 << 20);

// Digits in [1, 2), exactly, subnormals included.
[[nodiscard]] Scaled Split(double value) noexcept {
  if (value == 0.0) {
    return {0.0, kZeroExponent};
  }
  const int unit = UnitExponent(std::fabs(value));
  return {ScaledByPowerOfTwo(value, unit), -unit};
}

// a.x * b.y - a.y * b.x for finite vectors of any size and spread. Each
// product is formed from the digits of its factors; the smaller is brought
// to the larger's exponent, and Kahan's determinant takes it from there:
// exact in sign, and within two units in the last place but for what a
// product more than 2^960 times smaller than the other loses to underflow.
[[nodiscard]] Scaled ScaledCross(TMyPoint a, TMyPoint b) noexcept {
  const Scaled ax = Split(a.x);
  const Scaled ay = Split(a.y);
  const Scaled bx = Split(b.x);
  const Scaled by = Split(b.y);
  const int left = ax.exponent + by.exponent;
  const int right = ay.exponent + bx.exponent;
  const int top = std::max(left, right);
  if (top < kZeroExponent) {
    return {0.0, 0};  // both products are zero
  }
  const double digits = KahanCross({ScaledByPowerOfTwo(ax.digits, std::max(left - top, -2000)),
                                    ScaledByPowerOfTwo(ay.digits, std::max(right - top, -2000))},
                                   {bx.digits, by.digits});
  return {digits, top};
}

// The crossing for points of any finite size and spread, as
// P0 + d1 * Cross(P2 - P0, d2) / Cross(d1, d2). Every difference keeps its
// own exponent, so that a line through two subnormal points keeps its exact
// direction next to points near the top of the range, and every coordinate
// of d1 is multiplied by the quotient from its own digits, so that the
// crossing is rounded once where it is itself subnormal, not before. The
// cross products are exact in sign: parallel is exactly parallel. Needs
// two distinct points for each line.
[[nodiscard]] std::optional<TMyPoint> CarefulMeetingPoint(TMyPoint P0, TMyPoint P1, TMyPoint P2,
                                                          TMyPoint P3) noexcept {
  const Difference u1 = DifferenceOf(P1, P0);
  const Difference u2 = DifferenceOf(P3, P2);
  const Scaled denominator = ScaledCross(u1.digits, u2.digits);
  if (denominator.digits == 0.0) {
    return std::nullopt;
  }
  if (P2 == P0) {
    return P0;
  }
  const Difference v = DifferenceOf(P2, P0);
  const Scaled numerator = ScaledCross(v.digits, u2.digits);
  if (numerator.digits == 0.0) {
    return P0;
  }
  // d1 * t == u1.digits * (numerator / denominator) * 2^v.exponent: the
  // exponents of the two directions cancel.
  const Scaled n = Split(numerator.digits);
  const Scaled d = Split(denominator.digits);
  const double quotient = n.digits / d.digits;
  const int exponent =
      numerator.exponent + n.exponent - denominator.exponent - d.exponent + v.exponent;
  const auto along = [&](double coordinate) {
    const Scaled c = Split(coordinate);
    return c.digits == 0.0 ? 0.0 : ScaledByPowerOfTwo(c.digits * quotient, c.exponent + exponent);
  };
  const TMyPoint crossing = P0 + TMyPoint(along(u1.digits.x), along(u1.digits.y));
  if (!IsFinite(crossing)) {
    return std::nullopt;
  }
  return crossing;
}

// Zero, or within [2^-300, 2^300] in magnitude: where every coordinate of
// the differences and the parameter lie, no product, error term or quotient
// leaves the normal range, and the crossing computed straight from the
// differences is rounded exactly as the careful one, without the splitting.
[[nodiscard]] bool InPlainRange(double value) noexcept {
  const double magnitude = std::fabs(value);
  return magnitude == 0.0 || (magnitude >= 0x1p-300 && magnitude <= 0x1p300);
}

[[nodiscard]] bool InPlainRange(TMyPoint p) noexcept {
  return InPlainRange(p.x) && InPlainRange(p.y);
}

}  // namespace

TMyPoint BisectorPoint(TMyPoint A, TMyPoint B, TMyPoint C) noexcept {
  if (A == B || A == C || B == C) {
    return B;
  }
  if (!AllFinite(A, B, C)) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    return {kNaN, kNaN};
  }
  if (const auto offset = MeasuredTowardsBisectorPoint(B - A, C - A)) {
    if (const TMyPoint point = A + *offset; IsFinite(point)) {
      return point;
    }
  }
  // Corners far apart overflow a difference or a length; the point itself
  // lies between B and C and is an ordinary double. Near unit size nothing
  // overflows, and the two lengths cannot both vanish.
  const int exponent = UnitExponent(LargestMagnitude({A, B, C}));
  const TMyPoint a = ScaledByPowerOfTwo(A, exponent);
  const TMyPoint offset = MeasuredTowardsBisectorPoint(ScaledByPowerOfTwo(B, exponent) - a,
                                                       ScaledByPowerOfTwo(C, exponent) - a)
                              .value_or(TMyPoint{});
  return ScaledByPowerOfTwo(a + offset, -exponent);
}

double CrossOfTiedProducts(TMyPoint a, TMyPoint b) noexcept {
  constexpr double kLargestSplittable = 0x1p995;
  if (LargestMagnitude({a, b}) < kLargestSplittable) {
    return KahanCross(a, b);
  }
  // Both products round to w: their exact errors, from std::fma.
  const double w = a.y * b.x;
  return std::fma(a.x, b.y, -w) - std::fma(a.y, b.x, -w);
}

std::optional<TMyPoint> MeetingPoint(TMyPoint P0, TMyPoint P1, TMyPoint P2, TMyPoint P3) noexcept {
  if (!AllFinite(P0, P1, P2, P3)) {
    return std::nullopt;
  }
  if (P0 == P1 || P2 == P3) {
    return std::nullopt;
  }
  const TMyPoint d1 = P1 - P0;
  const TMyPoint d2 = P3 - P2;
  const TMyPoint v = P2 - P0;
  if (InPlainRange(d1) && InPlainRange(d2) && InPlainRange(v)) {
    const double denominator = KahanCross(d1, d2);
    if (denominator == 0.0) {
      return std::nullopt;
    }
    if (const double t = KahanCross(v, d2) / denominator; InPlainRange(t)) {
      if (t == 0.0) {
        return P0;
      }
      const TMyPoint crossing = P0 + d1 * t;
      if (!IsFinite(crossing)) {
        return std::nullopt;
      }
      return crossing;
    }
  }
  return CarefulMeetingPoint(P0, P1, P2, P3);
}
