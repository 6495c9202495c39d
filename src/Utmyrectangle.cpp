#include "Utmyrectangle.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

#include "PlaneConstructions.h"
#include "PowerOfTwoScaling.h"

namespace {

using Corners = std::array<TMyPoint, 4>;
using Sides = std::array<TMyPoint, 4>;  // side i runs from corner i to corner i + 1

constexpr double kEpsilon = std::numeric_limits<double>::epsilon();

// The two crossings are the same point when they lie within this many units
// in the last place of the figure's extent, for the rounding of the dozen
// operations on the sides, plus kRoundedCornerUlps units of its largest
// coordinate, for the rounding of the corners themselves: a figure far from
// the origin cannot be more exact than its coordinates.
constexpr double kSameCrossingUlps = 1024.0;
constexpr double kRoundedCornerUlps = 8.0;

// Within these bounds on the figure's extent (its largest side coordinate)
// and on its largest coordinate, no side overflows and no product of up to
// nine sides overflows or loses bits to underflow where it matters; beyond
// them the figure is first brought near unit size by a power of two.
constexpr double kSmallestSafeExtent = 0x1p-60;
constexpr double kLargestSafeCoordinate = 0x1p60;

// Below this, a crossing's denominator may have lost bits to underflow: the
// figure then has a side shorter than about 2^-200 of its extent, and either
// no incircle or corners too sharp for rounding to confirm one.
constexpr double kSmallestTrustedDenominator = 0x1p-450;

// Bitwise, not short-circuit: the order of random corners is a coin toss
// that no branch predictor can learn.
[[nodiscard]] std::size_t LexicographicallyBefore(TMyPoint a, TMyPoint b) noexcept {
  return static_cast<std::size_t>((a.x < b.x) | ((a.x == b.x) & (a.y < b.y)));
}

// The verdict must not depend on which corner is numbered first nor on
// which way the numbers run, yet rounding in the constructions does. So the
// construction always starts at the lowest corner and runs towards its
// lower neighbour: every numbering of one figure computes the same numbers.
// Chosen by two rounds of a tournament, in index arithmetic rather than
// branches.
[[nodiscard]] Corners CanonicallyNumbered(const Corners& corners) noexcept {
  const std::size_t lowerOf01 = LexicographicallyBefore(corners[1], corners[0]);
  const std::size_t lowerOf23 = 2 + LexicographicallyBefore(corners[3], corners[2]);
  const std::size_t second = LexicographicallyBefore(corners[lowerOf23], corners[lowerOf01]);
  const std::size_t first = lowerOf01 + second * (lowerOf23 - lowerOf01);
  const std::size_t step =
      1 + 2 * LexicographicallyBefore(corners[(first + 3) % 4], corners[(first + 1) % 4]);
  return {corners[first], corners[(first + step) % 4], corners[(first + 2 * step) % 4],
          corners[(first + 3 * step) % 4]};
}

[[nodiscard]] Sides SidesOf(const Corners& c) noexcept {
  return {c[1] - c[0], c[2] - c[1], c[3] - c[2], c[0] - c[3]};
}

[[nodiscard]] double ExtentOf(const Sides& s) noexcept {
  return LargestMagnitude({s[0], s[1], s[2], s[3]});
}

// Every corner turns the same way, none straight on: the four corners are
// distinct, no three consecutive ones are collinear, and since four turns of
// less than a half turn each add up to exactly one full turn, the outline
// neither crosses itself nor winds twice. Returns +1 when it turns left at
// every corner, -1 when right at every corner, 0 otherwise.
[[nodiscard]] double Turning(const Sides& sides) noexcept {
  int left = 0;
  int right = 0;
  for (std::size_t i = 0; i < sides.size(); ++i) {
    const double turn = Cross(sides[i], sides[(i + 1) % 4]);
    left += static_cast<int>(turn > 0.0);
    right += static_cast<int>(turn < 0.0);
  }
  return static_cast<double>(static_cast<int>(left == 4) - static_cast<int>(right == 4));
}

}  // namespace

bool TMyRectangle::CanInscribeCircle() const noexcept {
  if (!std::all_of(corners.begin(), corners.end(), [](TMyPoint p) { return IsFinite(p); })) {
    return false;
  }
  Corners c = CanonicallyNumbered(corners);
  double largest = LargestMagnitude({c[0], c[1], c[2], c[3]});
  Sides s{};
  double extent = 0.0;
  if (largest <= kLargestSafeCoordinate) {
    s = SidesOf(c);
    extent = ExtentOf(s);
  }
  if (!(extent >= kSmallestSafeExtent)) {
    if (largest == 0.0) {
      return false;
    }
    // Scaling by a power of two rounds nothing. Brought near unit size, a
    // figure whose extent is still below the safe one has all four corners
    // on one line: their largest coordinate is then one and the same.
    const int exponent = UnitExponent(largest);
    std::transform(c.begin(), c.end(), c.begin(),
                   [exponent](TMyPoint corner) { return ScaledByPowerOfTwo(corner, exponent); });
    largest = ScaledByPowerOfTwo(largest, exponent);
    s = SidesOf(c);
    extent = ExtentOf(s);
    if (!(extent >= kSmallestSafeExtent)) {
      return false;
    }
  }
  const double turning = Turning(s);
  if (turning == 0.0) {
    return false;
  }

  // Each side is a neighbour's distance for two corners: measured once.
  const std::array<double, 4> lengths{s[0].Length(), s[1].Length(), s[2].Length(),
                                      s[3].Length()};
  const auto bisector = [&](std::size_t i) {
    const std::size_t before = (i + 3) % 4;
    return InwardBisectorDirection(s[i], TMyPoint{} - s[before], lengths[i], lengths[before],
                                   turning);
  };
  const TMyPoint d0 = bisector(0);
  const TMyPoint d1 = bisector(1);
  const TMyPoint d2 = bisector(2);
  const TMyPoint d3 = bisector(3);

  // Relative to corner 0, the bisectors of corners 0 and 3 cross at
  // d0 * n1 / q1, those of corners 1 and 2 at s0 + d1 * n2 / q2. Bisectors of
  // neighbouring corners of a convex figure always cross, so q1 and q2 are
  // not zero; the two crossings are compared multiplied through by both,
  // and so is the allowance, so that nothing is divided.
  const double q1 = Cross(d0, d3);
  const double n1 = Cross(TMyPoint{} - s[3], d3);
  const double q2 = Cross(d1, d2);
  const double n2 = Cross(s[1], d2);
  if (!(std::fabs(q1) >= kSmallestTrustedDenominator &&
        std::fabs(q2) >= kSmallestTrustedDenominator)) {
    return false;
  }
  const double q1q2 = q1 * q2;
  const TMyPoint apart = d0 * (n1 * q2) - s[0] * q1q2 - d1 * (n2 * q1);
  const double allowance =
      (kSameCrossingUlps * extent + kRoundedCornerUlps * largest) * kEpsilon * std::fabs(q1q2);
  return static_cast<bool>((std::fabs(apart.x) <= allowance) & (std::fabs(apart.y) <= allowance));
}
