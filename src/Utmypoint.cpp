#include "Utmypoint.h"

#include "PowerOfTwoScaling.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <optional>

namespace {

// Below this, a product of coordinates may have lost bits to gradual
// underflow; far above the smallest normal double, far below any ordinary
// geometry.
constexpr double kSmallestTrustedProduct = 0x1p-900;

[[nodiscard]] bool AllFinite(std::initializer_list<TMyPoint> points) noexcept {
  return std::all_of(points.begin(), points.end(), [](TMyPoint p) { return IsFinite(p); });
}

// Relative to the corner, so that a figure far from the origin keeps the
// precision of its own size. The weights lie in [0, 1], so no product grows
// beyond the difference it scales.
[[nodiscard]] TMyPoint WeightedBisectorPoint(TMyPoint A, TMyPoint B, TMyPoint C) noexcept {
  const TMyPoint toB = B - A;
  const TMyPoint toC = C - A;
  const double dAB = toB.Length();
  const double dAC = toC.Length();
  const double sum = dAB + dAC;
  return A + toB * (dAC / sum) + toC * (dAB / sum);
}

// The crossing as P0 + t * d1 with t = Cross(P2 - P0, d2) / Cross(d1, d2):
// fast and exact to a few units in the last place, as long as no difference
// or product leaves the range where doubles keep their full precision.
[[nodiscard]] std::optional<TMyPoint> DirectMeetingPoint(TMyPoint P0, TMyPoint P1, TMyPoint P2,
                                                         TMyPoint P3) noexcept {
  const TMyPoint d1 = P1 - P0;
  const TMyPoint d2 = P3 - P2;
  const double denominator = Cross(d1, d2);
  if (!std::isfinite(denominator) || std::fabs(denominator) < kSmallestTrustedProduct) {
    return std::nullopt;
  }
  const TMyPoint crossing = P0 + d1 * (Cross(P2 - P0, d2) / denominator);
  if (!IsFinite(crossing)) {
    return std::nullopt;
  }
  return crossing;
}

// A vector brought to a largest coordinate in [1, 2); a line's direction
// does not depend on the length of the vector that gives it.
[[nodiscard]] TMyPoint UnitSizedDirection(TMyPoint d) noexcept {
  return ScaledByPowerOfTwo(d, UnitExponent(LargestMagnitude({d})));
}

// The same crossing for points of any finite size: the points are brought
// near unit size, the directions too, and the exponents of the parameter t
// are carried apart from its digits, so that nothing overflows or underflows
// before the crossing is put back in place.
[[nodiscard]] std::optional<TMyPoint> ScaledMeetingPoint(TMyPoint P0, TMyPoint P1, TMyPoint P2,
                                                         TMyPoint P3) noexcept {
  const double largest = LargestMagnitude({P0, P1, P2, P3});
  if (largest == 0.0) {
    return std::nullopt;
  }
  const int exponent = UnitExponent(largest);
  const TMyPoint Q0 = ScaledByPowerOfTwo(P0, exponent);
  const TMyPoint d1 = ScaledByPowerOfTwo(P1, exponent) - Q0;
  const TMyPoint Q2 = ScaledByPowerOfTwo(P2, exponent);
  const TMyPoint d2 = ScaledByPowerOfTwo(P3, exponent) - Q2;
  if (d1 == TMyPoint{} || d2 == TMyPoint{}) {
    return std::nullopt;
  }
  const TMyPoint u1 = UnitSizedDirection(d1);
  const TMyPoint u2 = UnitSizedDirection(d2);
  const double denominator = Cross(u1, u2);
  const double numerator = Cross(Q2 - Q0, u2);
  if (denominator == 0.0) {
    return std::nullopt;
  }
  if (numerator == 0.0) {
    return P0;
  }
  const int numeratorExponent = UnitExponent(numerator);
  const int denominatorExponent = UnitExponent(denominator);
  const double digits =
      std::scalbn(numerator, numeratorExponent) / std::scalbn(denominator, denominatorExponent);
  const TMyPoint offset =
      ScaledByPowerOfTwo(u1 * digits, denominatorExponent - numeratorExponent - exponent);
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
  const TMyPoint point = WeightedBisectorPoint(A, B, C);
  if (IsFinite(point) || !AllFinite({A, B, C})) {
    return point;
  }
  // Finite corners far apart overflow a difference or a length; the point
  // itself lies between B and C and is an ordinary double.
  const int exponent = UnitExponent(LargestMagnitude({A, B, C}));
  const TMyPoint scaled =
      WeightedBisectorPoint(ScaledByPowerOfTwo(A, exponent), ScaledByPowerOfTwo(B, exponent),
                            ScaledByPowerOfTwo(C, exponent));
  return ScaledByPowerOfTwo(scaled, -exponent);
}

std::optional<TMyPoint> MeetingPoint(TMyPoint P0, TMyPoint P1, TMyPoint P2, TMyPoint P3) noexcept {
  if (!AllFinite({P0, P1, P2, P3})) {
    return std::nullopt;
  }
  if (const auto crossing = DirectMeetingPoint(P0, P1, P2, P3)) {
    return crossing;
  }
  return ScaledMeetingPoint(P0, P1, P2, P3);
}
