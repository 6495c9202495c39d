#include "Utmyrectangle.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <optional>

#include "PlaneConstructions.h"
#include "PowerOfTwoScaling.h"

namespace {

using Corners = std::array<TMyPoint, 4>;
using Sides = std::array<TMyPoint, 4>;  // side i runs from corner i to corner i + 1

// Two crossings of the same incircle's centre differ by the rounding of the
// corners (half a unit in the last place of the largest coordinate) and of
// the dozen operations on them, magnified where the bisectors cross at a
// shallow angle: up to about 125 such units over two million tangential
// figures with corners of 10 to 170 degrees, far from the origin. A figure
// whose opposite sides miss by one part in a million puts its crossings
// over five million units apart. The bound sits well clear of both.
constexpr double kSameCrossingUlps = 1024.0;

[[nodiscard]] bool LexicographicallyBefore(TMyPoint a, TMyPoint b) noexcept {
  return a.x < b.x || (a.x == b.x && a.y < b.y);
}

// The verdict must not depend on which corner is numbered first nor on
// which way the numbers run, yet rounding in the constructions does. So the
// construction always starts at the lowest corner and runs towards its
// lower neighbour: every numbering of one figure computes the same numbers.
[[nodiscard]] Corners CanonicallyNumbered(const Corners& corners) noexcept {
  std::size_t first = 0;
  for (std::size_t i = 1; i < corners.size(); ++i) {
    first = LexicographicallyBefore(corners[i], corners[first]) ? i : first;
  }
  const bool backwards =
      LexicographicallyBefore(corners[(first + 3) % 4], corners[(first + 1) % 4]);
  const std::size_t step = backwards ? 3 : 1;
  Corners numbered;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    numbered[i] = corners[(first + i * step) % 4];
  }
  return numbered;
}

// Every corner turns the same way, none straight on: the four corners are
// distinct, no three consecutive ones are collinear, and since four turns of
// less than a half turn each add up to exactly one full turn, the outline
// neither crosses itself nor winds twice.
[[nodiscard]] bool IsStrictlyConvex(const Sides& sides) noexcept {
  int left = 0;
  int right = 0;
  for (std::size_t i = 0; i < sides.size(); ++i) {
    const double turn = Cross(sides[i], sides[(i + 1) % 4]);
    left += turn > 0.0 ? 1 : 0;
    right += turn < 0.0 ? 1 : 0;
  }
  return left == 4 || right == 4;
}

}  // namespace

bool TMyRectangle::CanInscribeCircle() const noexcept {
  if (!std::all_of(corners.begin(), corners.end(), [](TMyPoint p) { return IsFinite(p); })) {
    return false;
  }
  const double largest = LargestMagnitude({corners[0], corners[1], corners[2], corners[3]});
  if (largest == 0.0) {
    return false;
  }
  // Near unit size no product of coordinates overflows, and none underflows
  // but of sides far below the figure's size, whatever the figure's scale.
  const int exponent = UnitExponent(largest);
  Corners c = CanonicallyNumbered(corners);
  std::transform(c.begin(), c.end(), c.begin(),
                 [exponent](TMyPoint corner) { return ScaledByPowerOfTwo(corner, exponent); });
  Sides sides;
  for (std::size_t i = 0; i < sides.size(); ++i) {
    sides[i] = c[(i + 1) % 4] - c[i];
  }
  if (!IsStrictlyConvex(sides)) {
    return false;
  }

  // Each side is a neighbour's distance for two corners: measured once.
  std::array<double, 4> lengths{};
  std::transform(sides.begin(), sides.end(), lengths.begin(),
                 [](TMyPoint side) { return side.Length(); });
  const auto towardsBisectorPoint = [&](std::size_t i) {
    const std::size_t before = (i + 3) % 4;
    return TowardsBisectorPoint(sides[i], c[before] - c[i], lengths[i], lengths[before]);
  };

  // Bisectors of neighbouring corners of a convex figure always cross. The
  // direct crossing declines only where a side is shorter than about 2^-450
  // of the figure: such a figure has no incircle, or corners so nearly
  // straight that rounding could not confirm one.
  const TMyPoint toX0 = towardsBisectorPoint(0);
  const TMyPoint toX3 = towardsBisectorPoint(3);
  const auto I1 = DirectCrossing(c[0], toX0, c[3], toX3);
  const TMyPoint toX1 = towardsBisectorPoint(1);
  const TMyPoint toX2 = towardsBisectorPoint(2);
  const auto I2 = DirectCrossing(c[1], toX1, c[2], toX2);
  if (!I1 || !I2) {
    return false;
  }
  const double tolerance = kSameCrossingUlps * std::numeric_limits<double>::epsilon() *
                           ScaledByPowerOfTwo(largest, exponent);
  const TMyPoint apart = *I1 - *I2;
  return apart.x * apart.x + apart.y * apart.y <= tolerance * tolerance;
}
