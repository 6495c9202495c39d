// SPDX-License-Identifier: MIT
#include "Utmypoint.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <limits>
#include <optional>
#include <span>

#include "ExactCross.h"
#include "ExactProductSum.h"
#include "PairArithmetic.h"
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

using incircle::detail::ExactSumOfProducts;
using incircle::detail::Pair;
using incircle::detail::ProductTerm;
using incircle::detail::ScaledPair;

// The share of the sum of the two products below which the pair cross
// product is not trusted: its error, 21 u^2 of that sum, is then no longer
// below 2^-66 of itself.
constexpr double kTrustedCrossShare = 0x1p-35;

// a - b for finite doubles, exactly: (hi + lo) * 2^exponent. The difference
// of two doubles overflows only when both are beyond 2^970 in magnitude,
// where halving them is exact.
struct ExactDifference {
  double hi = 0.0;
  double lo = 0.0;
  int exponent = 0;
};

[[nodiscard]] ExactDifference DifferenceOf(double a, double b) noexcept {
  if (std::isfinite(a - b)) {
    const Pair d = incircle::detail::TwoSum(a, -b);
    return {d.hi, d.lo, 0};
  }
  const Pair d = incircle::detail::TwoSum(a * 0.5, -(b * 0.5));
  return {d.hi, d.lo, 1};
}

// u.x * w.y - u.y * w.x for vectors of exact differences, exactly: each
// part of one factor times each part of the other.
[[nodiscard]] ScaledPair ExactCross(const ExactDifference& ux, const ExactDifference& uy,
                                    const ExactDifference& wx, const ExactDifference& wy) noexcept {
  const int left = ux.exponent + wy.exponent;
  const int right = uy.exponent + wx.exponent;
  const std::array<ProductTerm, 8> terms{{{ux.hi, wy.hi, left, false},
                                          {ux.hi, wy.lo, left, false},
                                          {ux.lo, wy.hi, left, false},
                                          {ux.lo, wy.lo, left, false},
                                          {uy.hi, wx.hi, right, true},
                                          {uy.hi, wx.lo, right, true},
                                          {uy.lo, wx.hi, right, true},
                                          {uy.lo, wx.lo, right, true}}};
  return ExactSumOfProducts(terms);
}

// Zero, or within [2^-450, 2^450] in magnitude: where the parts of the
// differences of such coordinates are multiples of 2^-502, so that every
// product of two of them is exact as a pair and none overflows.
[[nodiscard]] bool InPairRange(double value) noexcept {
  const double magnitude = std::fabs(value);
  return magnitude == 0.0 || (magnitude >= 0x1p-450 && magnitude <= 0x1p450);
}

[[nodiscard]] bool InPairRange(TMyPoint p) noexcept { return InPairRange(p.x) && InPairRange(p.y); }

// u.x * w.y - u.y * w.x for exact differences of coordinates in the pair
// range, as a pair whose error is at most 21 u^2 (|u.x w.y| + |u.y w.x|),
// u = 2^-53; no value unless that is below 2^-66 of the pair itself, as
// for lines at an angle above about 2^-35 radians. The exact sum decides
// the rest (docs/proofs/meeting-point.md).
[[nodiscard]] std::optional<ScaledPair> FilteredCross(const ExactDifference& ux,
                                                      const ExactDifference& uy,
                                                      const ExactDifference& wx,
                                                      const ExactDifference& wy) noexcept {
  INCIRCLE_UNFUSED_PRODUCTS
  using incircle::detail::TwoProduct;
  using incircle::detail::TwoSum;
  const Pair left = TwoProduct(ux.hi, wy.hi);
  const Pair right = TwoProduct(uy.hi, wx.hi);
  const Pair lead = TwoSum(left.hi, -right.hi);
  const double parts = ((ux.hi * wy.lo + ux.lo * wy.hi) - (uy.hi * wx.lo + uy.lo * wx.hi)) +
                       (ux.lo * wy.lo - uy.lo * wx.lo);
  const Pair value = TwoSum(lead.hi, ((lead.lo + left.lo) - right.lo) + parts);
  const double size = std::fabs(left.hi) + std::fabs(right.hi);
  if (!(std::fabs(value.hi) >= kTrustedCrossShare * size)) {
    return std::nullopt;
  }
  if (value.hi == 0.0) {
    return ScaledPair{};
  }
  const int unit = UnitExponent(std::fabs(value.hi));
  return ScaledPair{ScaledByPowerOfTwo(value.hi, unit), ScaledByPowerOfTwo(value.lo, unit), -unit};
}

// The exponent e with 2^e <= |value| < 2^(e + 1), for finite non-zero values.
[[nodiscard]] int ExponentOf(double value) noexcept { return -UnitExponent(std::fabs(value)); }

// origin + q * 2^exponent, rounded once: both are brought by a power of two
// to the size of the larger near 1, added as a pair, and brought back, which
// rounds a second time only a subnormal sum, and makes one beyond the range
// of a double infinite.
[[nodiscard]] double RoundedSum(double origin, Pair q, int exponent) noexcept {
  const int qTop = exponent + ExponentOf(q.hi);
  const int top = origin == 0.0 ? qTop : std::max(qTop, ExponentOf(origin));
  const double o = ScaledByPowerOfTwo(origin, -top);
  const double high = ScaledByPowerOfTwo(q.hi, exponent - top);
  const double low = ScaledByPowerOfTwo(q.lo, exponent - top);
  const Pair sum = incircle::detail::TwoSum(o, high);
  return ScaledByPowerOfTwo(sum.hi + (sum.lo + low), top);
}

// Zero, or within [2^-480, 2^480] in magnitude: coordinates whose products
// lie within [2^-960, 2^960] and are multiples of 2^-1064, where the inline
// cross product's sign is proven exact on every target (docs/proofs/cross.md).
[[nodiscard]] bool InTrustedCrossRange(double value) noexcept {
  const double magnitude = std::fabs(value);
  return magnitude == 0.0 || (magnitude >= 0x1p-480 && magnitude <= 0x1p480);
}

[[nodiscard]] bool InTrustedCrossRange(TMyPoint p) noexcept {
  return InTrustedCrossRange(p.x) && InTrustedCrossRange(p.y);
}

// a.x * b.y - a.y * b.x for finite vectors, from the exact sum: within a unit
// in the last place, infinite beyond the range of a double, and a value
// too small for one is the smallest double of its sign, not zero.
[[nodiscard]] double CrossAsDouble(TMyPoint a, TMyPoint b) noexcept {
  const std::array<ProductTerm, 2> terms{{{a.x, b.y, 0, false}, {a.y, b.x, 0, true}}};
  const ScaledPair exact = ExactSumOfProducts(terms);
  if (exact.hi == 0.0) {
    return 0.0;
  }
  const double value = ScaledByPowerOfTwo(exact.hi, exact.exponent);
  if (value == 0.0) {
    return std::copysign(std::numeric_limits<double>::denorm_min(), exact.hi);
  }
  return value;
}

// The crossing's coordinate origin + d * t, t = tPair * 2^tExponent.
[[nodiscard]] double CrossingCoordinate(double origin, const ExactDifference& d, Pair t,
                                        int tExponent) noexcept {
  if (d.hi == 0.0) {
    return origin;
  }
  const int unit = UnitExponent(std::fabs(d.hi));
  const Pair digits{ScaledByPowerOfTwo(d.hi, unit), ScaledByPowerOfTwo(d.lo, unit)};
  return RoundedSum(origin, incircle::detail::Times(digits, t), d.exponent - unit + tExponent);
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

namespace incircle::detail {

// Tied products are rare: the exact sum decides them, for coordinates of
// any size, where Dekker's split would overflow and a library's std::fma
// may be wrong in its last bits.
double CrossOfTiedProducts(TMyPoint a, TMyPoint b) noexcept {
  if (IsFinite(a) && IsFinite(b)) {
    // The commonest tie, a side between two equal corners: a zero vector is
    // parallel to every vector, and no exact sum need say so.
    if ((a.x == 0.0 && a.y == 0.0) || (b.x == 0.0 && b.y == 0.0)) {
      return 0.0;
    }
    return CrossAsDouble(a, b);
  }
  return a.x * b.y - a.y * b.x;
}

}  // namespace incircle::detail

double Cross(TMyPoint a, TMyPoint b) noexcept {
  if (InTrustedCrossRange(a) && InTrustedCrossRange(b)) {
    return incircle::detail::ExactSignCross(a, b);
  }
  if (!IsFinite(a) || !IsFinite(b)) {
    return a.x * b.y - a.y * b.x;
  }
  return CrossAsDouble(a, b);
}

double TMyPoint::Length() const noexcept {
  const double squares = x * x + y * y;
  if (squares >= 0x1p-968 && squares <= std::numeric_limits<double>::max()) {
    return std::sqrt(squares);
  }
  return std::hypot(x, y);
}

double TMyPoint::DistanceTo(TMyPoint b) const noexcept { return (b - *this).Length(); }

std::optional<TMyPoint> MeetingPoint(TMyPoint P0, TMyPoint P1, TMyPoint P2, TMyPoint P3) noexcept {
  if (!AllFinite(P0, P1, P2, P3)) {
    return std::nullopt;
  }
  if (P0 == P1 || P2 == P3) {
    return std::nullopt;
  }
  // The crossing is P0 + d1 * t, t = Cross(v, d2) / Cross(d1, d2), from the
  // exact differences d1 = P1 - P0, d2 = P3 - P2 and v = P2 - P0 and the
  // exact cross products: t to about 100 bits, d1 * t to about 100 bits,
  // and the sum rounded once (docs/proofs/meeting-point.md).
  const ExactDifference d1x = DifferenceOf(P1.x, P0.x);
  const ExactDifference d1y = DifferenceOf(P1.y, P0.y);
  const ExactDifference d2x = DifferenceOf(P3.x, P2.x);
  const ExactDifference d2y = DifferenceOf(P3.y, P2.y);
  const ExactDifference vx = DifferenceOf(P2.x, P0.x);
  const ExactDifference vy = DifferenceOf(P2.y, P0.y);
  const bool inPairRange = InPairRange(P0) && InPairRange(P1) && InPairRange(P2) && InPairRange(P3);
  std::optional<ScaledPair> denominator;
  std::optional<ScaledPair> numerator;
  if (inPairRange) {
    denominator = FilteredCross(d1x, d1y, d2x, d2y);
    numerator = FilteredCross(vx, vy, d2x, d2y);
  }
  if (!denominator) {
    denominator = ExactCross(d1x, d1y, d2x, d2y);
  }
  if (denominator->hi == 0.0) {
    return std::nullopt;  // parallel, or the same line
  }
  if (!numerator) {
    numerator = ExactCross(vx, vy, d2x, d2y);
  }
  if (numerator->hi == 0.0) {
    return P0;
  }
  const Pair t = incircle::detail::DividedBy({numerator->hi, numerator->lo},
                                             {denominator->hi, denominator->lo});
  const int tExponent = numerator->exponent - denominator->exponent;
  const TMyPoint crossing(CrossingCoordinate(P0.x, d1x, t, tExponent),
                          CrossingCoordinate(P0.y, d1y, t, tExponent));
  if (!IsFinite(crossing)) {
    return std::nullopt;
  }
  return crossing;
}
