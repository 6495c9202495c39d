#include "Utmyrectangle.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

#include "PowerOfTwoScaling.h"

namespace {

using Corners = std::array<TMyPoint, 4>;

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
    if (LexicographicallyBefore(corners[i], corners[first])) {
      first = i;
    }
  }
  const bool backwards =
      LexicographicallyBefore(corners[(first + 3) % 4], corners[(first + 1) % 4]);
  Corners numbered;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    numbered[i] = corners[(backwards ? first + 4 - i : first + i) % 4];
  }
  return numbered;
}

// Every corner turns the same way, none straight on: the four corners are
// distinct, no three consecutive ones are collinear, and since four turns of
// less than a half turn each add up to exactly one full turn, the outline
// neither crosses itself nor winds twice.
[[nodiscard]] bool IsStrictlyConvex(const Corners& c) noexcept {
  int left = 0;
  int right = 0;
  for (std::size_t i = 0; i < c.size(); ++i) {
    const double turn = Cross(c[(i + 1) % 4] - c[i], c[(i + 2) % 4] - c[(i + 1) % 4]);
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
  // Near unit size no product of coordinates overflows or underflows,
  // whatever the figure's own scale.
  const int exponent = UnitExponent(largest);
  Corners c = CanonicallyNumbered(corners);
  std::transform(c.begin(), c.end(), c.begin(),
                 [exponent](TMyPoint corner) { return ScaledByPowerOfTwo(corner, exponent); });
  if (!IsStrictlyConvex(c)) {
    return false;
  }

  const TMyPoint X0 = BisectorPoint(c[0], c[1], c[3]);
  const TMyPoint X3 = BisectorPoint(c[3], c[0], c[2]);
  const auto I1 = MeetingPoint(c[0], X0, c[3], X3);
  const TMyPoint X1 = BisectorPoint(c[1], c[0], c[2]);
  const TMyPoint X2 = BisectorPoint(c[2], c[1], c[3]);
  const auto I2 = MeetingPoint(c[1], X1, c[2], X2);
  if (!I1 || !I2) {
    return false;
  }
  const double tolerance =
      kSameCrossingUlps * std::numeric_limits<double>::epsilon() * std::scalbn(largest, exponent);
  return I1->DistanceTo(*I2) <= tolerance;
}
