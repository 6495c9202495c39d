#include "Utmypoint.h"

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

// A non-zero finite vector as digits, its largest coordinate in [1, 2),
// times a power of two: exact, and free of overflow and underflow.
struct Normalized {
  TMyPoint digits;
  int exponent = 0;
};

[[nodiscard]] Normalized Normalize(TMyPoint v) noexcept {
  const int unit = UnitExponent(LargestMagnitude({v}));
  return {ScaledByPowerOfTwo(v, unit), -unit};
}

// p - q, normalized. A difference can overflow only when both points are
// beyond 2^1021 in a coordinate; halving them is then exact where it
// matters, losing at most a subnormal bit far below the other coordinate.
[[nodiscard]] Normalized NormalizedDifference(TMyPoint p, TMyPoint q) noexcept {
  if (const TMyPoint difference = p - q; IsFinite(difference)) {
    return Normalize(difference);
  }
  Normalized half = Normalize(ScaledByPowerOfTwo(p, -1) - ScaledByPowerOfTwo(q, -1));
  ++half.exponent;
  return half;
}

// The same crossing for points of any finite size and spread. Every vector
// is normalized on its own, so that a line through two subnormal points
// keeps its exact direction next to points near the top of the range, and
// the exponent of the parameter is carried apart from its digits until the
// crossing is put in place: nothing overflows or underflows on the way.
[[nodiscard]] std::optional<TMyPoint> NormalizedMeetingPoint(TMyPoint P0, TMyPoint P1, TMyPoint P2,
                                                             TMyPoint P3) noexcept {
  if (P0 == P1 || P2 == P3) {
    return std::nullopt;
  }
  const Normalized u1 = NormalizedDifference(P1, P0);
  const Normalized u2 = NormalizedDifference(P3, P2);
  const double denominator = Cross(u1.digits, u2.digits);
  if (denominator == 0.0) {
    return std::nullopt;
  }
  if (P2 == P0) {
    return P0;
  }
  const Normalized v = NormalizedDifference(P2, P0);
  const double numerator = Cross(v.digits, u2.digits);
  if (numerator == 0.0) {
    return P0;
  }
  // t * d1 == u1 * (numerator / denominator) * 2^v.exponent, the quotient
  // taken between numbers brought to [1, 2) so that it cannot overflow.
  const int numeratorUnit = UnitExponent(std::fabs(numerator));
  const int denominatorUnit = UnitExponent(std::fabs(denominator));
  const double quotient = ScaledByPowerOfTwo(numerator, numeratorUnit) /
                          ScaledByPowerOfTwo(denominator, denominatorUnit);
  const TMyPoint offset =
      ScaledByPowerOfTwo(u1.digits * quotient, v.exponent - numeratorUnit + denominatorUnit);
  const TMyPoint crossing = P0 + offset;
  if (!IsFinite(crossing)) {
    return std::nullopt;
  }
  return crossing;
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

std::optional<TMyPoint> MeetingPoint(TMyPoint P0, TMyPoint P1, TMyPoint P2, TMyPoint P3) noexcept {
  if (!AllFinite(P0, P1, P2, P3)) {
    return std::nullopt;
  }
  if (const auto crossing = DirectCrossing(P0, P1 - P0, P2, P3 - P2)) {
    return crossing;
  }
  return NormalizedMeetingPoint(P0, P1, P2, P3);
}
