// SPDX-License-Identifier: MIT
#include "Utmyrectangle.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

#include "Orientation.h"
#include "PlaneConstructions.h"
#include "PowerOfTwoScaling.h"

namespace {

using Corners = std::array<TMyPoint, 4>;
using Sides = std::array<TMyPoint, 4>;  // side i runs from corner i to corner i + 1

constexpr double kEpsilon = std::numeric_limits<double>::epsilon();

// The two crossings are the same point when they lie, in each coordinate,
// within
//     (kBisectorRoundingUlps * perimeter + kRoundedCornerUlps * largest)
//         * kEpsilon * magnification,
// the magnification being the sum of the reciprocal sines of the two angles
// at which the pairs of bisectors cross, which is at least 2. The two
// crossings of any convex figure lie |a + c - b - d| / (2 sin) apart, the
// defect of its opposite sides over twice that sine; so both terms are
// magnified alike:
// - the test's own rounding: each bisector direction it forms is within
//   14 units of 2^-53 of its length, each denominator within 30 units of
//   the product of the directions' lengths, and the crossings lie at most
//   half the perimeter from the corners, which bounds the error by 16.25
//   units of the perimeter times the sum of the reciprocal sines: a figure
//   whose corners are exactly tangential, as doubles, always lies within
//   this term.
// - the rounding of the corners themselves, half a unit in the last place of
//   the largest coordinate each, which changes the defect of a figure that
//   was tangential before its corners were rounded by at most 4 units of
//   2^-52 of that coordinate, and so its crossings by at most one unit of
//   this term: a figure far from the origin can be no more exact than its
//   coordinates. The sixteenth above 1 pays for the rounding of the
//   allowance itself.
// docs/proofs/figure-test.md derives both, and what they leave to tell a
// figure without an incircle from one with.
constexpr double kBisectorRoundingUlps = 16.5;
constexpr double kRoundedCornerUlps = 1.0625;

// Every figure is first brought near unit size, its largest coordinate in
// [1, 2), by a power of two: exact, and cheap beside the test. Then no side
// overflows, and no product of up to nine sides overflows or loses bits to
// underflow where it matters: a strictly convex figure is at least a unit in
// the last place of its largest coordinate wide, else all four corners would
// share that coordinate and lie on one line. The verdict must not depend on
// the scale, and the guard on the denominators below is absolute: so every
// figure is scaled, those of ordinary size too.

// Up to here no difference of two corners overflows (it is at most 2^1023),
// and 2^-exponent is a normal double; above, the corners are halved first.
constexpr double kLargestSidesScaled = 0x1p1022;

// How far the corners of a figure below the normal range are first brought
// up, exactly, before their sides are: 2^-exponent alone would overflow for
// exponents up to 1074. Any step from 51 to 1023 serves: the rest of the
// exponent is then at most 1023, and the step itself a finite power of two.
constexpr int kSubnormalExponentStep = 600;

// Below this, a crossing's denominator may have lost bits to underflow, and
// with it the product of both denominators, which the crossings and their
// allowance are multiplied by: the figure then has a side shorter than about
// 2^-200 of its extent, and either no incircle or corners too sharp for
// rounding to confirm one.
constexpr double kSmallestTrustedDenominator = 0x1p-450;

// Whether the vector from b to a points lexicographically downwards, that
// is whether a comes before b, smallest x first, then smallest y: for finite
// points a difference is zero exactly when its coordinates are equal. The
// sides of the figure are such differences already.
[[nodiscard]] bool PointsDown(TMyPoint aMinusB) noexcept {
  const double leading = aMinusB.x != 0.0 ? aMinusB.x : aMinusB.y;
  return leading < 0.0;
}

// The verdict must not depend on which corner is numbered first nor on
// which way the numbers run, yet rounding in the crossings does. So they are
// always taken from the lowest corner, running towards its lower neighbour:
// every numbering of one figure computes the same numbers. The comparisons
// that can decide are all made at once, and the lowest corner found from
// them in index arithmetic, so that nothing waits on a corner chosen by an
// earlier comparison. (Two corners in one place leave no lowest one, but
// make a figure that answers no in every numbering.)
struct Numbering {
  std::size_t lowest = 0;      // the index of the lowest corner
  bool runsBackwards = false;  // its lower neighbour is the one before it
};

[[nodiscard]] Numbering CanonicalNumbering(const Corners& c, const Sides& sides) noexcept {
  const bool oneBelowZero = PointsDown(sides[0]);
  const bool twoBelowOne = PointsDown(sides[1]);
  const bool threeBelowTwo = PointsDown(sides[2]);
  const bool threeBelowZero = PointsDown(TMyPoint{} - sides[3]);
  const bool twoBelowZero = PointsDown(c[2] - c[0]);
  const bool threeBelowOne = PointsDown(c[3] - c[1]);
  // The lower of corners 0 and 1 against the lower of corners 2 and 3.
  const std::size_t lowerOfZeroAndOne = oneBelowZero ? 1 : 0;
  const std::size_t lowerOfTwoAndThree = threeBelowTwo ? 3 : 2;
  const bool lowerPairBelow = oneBelowZero ? (threeBelowTwo ? threeBelowOne : twoBelowOne)
                                           : (threeBelowTwo ? threeBelowZero : twoBelowZero);
  const std::size_t lowest = lowerPairBelow ? lowerOfTwoAndThree : lowerOfZeroAndOne;
  // Whether the neighbour before the lowest corner is the lower one: around
  // corner 0 (neighbours 3 and 1) when 3 lies below 1, around corner 1
  // (neighbours 0 and 2) when 2 does not lie below 0; around corners 2 and
  // 3 the same pairs are the neighbours the other way round.
  const bool oddLowest = (lowest & 1U) != 0;
  const bool secondHalf = (lowest >> 1U) != 0;
  return {lowest, (oddLowest ? !twoBelowZero : threeBelowOne) != secondHalf};
}

// The sides of the corners times `preScale`, then times `scale`: two powers
// of two. The sides, not the corners, are brought to unit size, so that a
// figure gets the same sides as its image under any power of two: a
// corner's tiny coordinate survives in the side where it matters as it
// would at any other scale. `preScale` is 1 but for the rarest figures, and
// rounds nothing for any figure whose image under a power of two is of
// ordinary size.
[[nodiscard]] Sides SidesOf(const Corners& c, double preScale, double scale) noexcept {
  const auto side = [&](std::size_t from, std::size_t to) {
    return (c[to] * preScale - c[from] * preScale) * scale;
  };
  return {side(0, 1), side(1, 2), side(2, 3), side(3, 0)};
}

[[nodiscard]] TMyPoint Magnitudes(TMyPoint p) noexcept { return {std::fabs(p.x), std::fabs(p.y)}; }

[[nodiscard]] TMyPoint Larger(TMyPoint a, TMyPoint b) noexcept {
  return {std::max(a.x, b.x), std::max(a.y, b.y)};
}

// The largest coordinate magnitude of four finite corners, in a tree rather
// than LargestMagnitude's chain, which the processor would wait on, and the
// same for every numbering.
[[nodiscard]] double LargestCoordinate(const Corners& c) noexcept {
  const TMyPoint largest = Larger(Larger(Magnitudes(c[0]), Magnitudes(c[1])),
                                  Larger(Magnitudes(c[2]), Magnitudes(c[3])));
  return std::max(largest.x, largest.y);
}

// Every corner turns the same way, none straight on, decided from the exact
// sign of the turn of each three consecutive corners: then each side has
// the two other corners strictly on one side of its line, and the four
// corners are, in order, those of a strictly convex figure
// (docs/proofs/orientation.md). The filter vouches for almost every turn
// from the sides already measured, which are the corners' differences
// rounded and brought near unit size by a power of two; the rest are
// decided exactly from the corners themselves. Returns +1 when it turns
// left at every corner, -1 when right at every corner, 0 otherwise.
[[nodiscard]] double Turning(const Corners& c, const Sides& s) noexcept {
  const std::array<orientation::BoundedTurn, 4> turns{
      orientation::BoundedTurnOf(s[0], s[1]), orientation::BoundedTurnOf(s[1], s[2]),
      orientation::BoundedTurnOf(s[2], s[3]), orientation::BoundedTurnOf(s[3], s[0])};
  // Bitwise, not short-circuit: whether a figure is convex is a coin toss
  // in a mixed stream of figures.
  const auto left = [](orientation::BoundedTurn t) { return static_cast<int>(t.turn > t.bound); };
  const auto right = [](orientation::BoundedTurn t) { return static_cast<int>(-t.turn > t.bound); };
  const int allLeft = left(turns[0]) & left(turns[1]) & left(turns[2]) & left(turns[3]);
  const int allRight = right(turns[0]) & right(turns[1]) & right(turns[2]) & right(turns[3]);
  const auto decided = [&](orientation::BoundedTurn t) { return left(t) | right(t); };
  const int allDecided =
      decided(turns[0]) & decided(turns[1]) & decided(turns[2]) & decided(turns[3]);
  // A side of no length, two corners in one place or a side whose corners
  // differ by less than underflow leaves, makes a figure that is not
  // strictly convex as its sides stand: its two turns are straight, so it
  // answers 0 below without the exact stages.
  const auto point = [](TMyPoint side) {
    return static_cast<int>(side.x == 0.0) & static_cast<int>(side.y == 0.0);
  };
  const int aSideIsAPoint = point(s[0]) | point(s[1]) | point(s[2]) | point(s[3]);
  if ((allDecided | aSideIsAPoint) == 0) [[unlikely]] {
    // A turn that the sides show as straight because underflow took a
    // coordinate of a side whose corners differ there: the figure is
    // thinner than 2^-1074 of its size, and the sides, which the rest of
    // the test works on, no longer order its corners as they lie.
    for (std::size_t i = 0; i < 4; ++i) {
      const TMyPoint from = c[i];
      const TMyPoint to = c[(i + 1) % 4];
      if ((s[i].x == 0.0 && from.x != to.x) || (s[i].y == 0.0 && from.y != to.y)) {
        return 0.0;
      }
    }
    return orientation::TurningOfCorners(c, turns);
  }
  return static_cast<double>(allLeft - allRight);
}

// The test proper, on corners that, times `preScale` and `scale`, powers of
// two, have their largest coordinate, `largest`, in [1, 2). Sides, lengths,
// turns and bisector directions are the same numbers in every numbering,
// only labelled and signed otherwise (as long as no product is fused into a
// sum, which the build rules out), so they are measured as the corners
// come, while the canonical numbering is still being found; it picks the
// ones that the crossings are taken from.
[[nodiscard]] bool Decide(const Corners& corners, double preScale, double scale,
                          double largest) noexcept {
  const Sides sides = SidesOf(corners, preScale, scale);
  const Numbering numbering = CanonicalNumbering(corners, sides);
  const double turning = Turning(corners, sides);
  if (turning == 0.0) {
    return false;
  }
  // Each side is a neighbour's distance for two corners: measured once. Near
  // unit size no square overflows, and one that underflows belongs
  // to a side too short for its bisectors' crossings to be trusted below.
  const auto squared = [](TMyPoint v) { return v.x * v.x + v.y * v.y; };
  const auto length = [&](TMyPoint side) { return std::sqrt(squared(side)); };
  const std::array<double, 4> lengths{length(sides[0]), length(sides[1]), length(sides[2]),
                                      length(sides[3])};
  // Opposite sides first: the same sum for every numbering.
  const double perimeter = (lengths[0] + lengths[2]) + (lengths[1] + lengths[3]);
  const auto bisector = [&](std::size_t i) {
    const std::size_t before = (i + 3) % 4;
    return InwardBisectorDirection(sides[i], TMyPoint{} - sides[before], lengths[i],
                                   lengths[before], turning);
  };
  const std::array<TMyPoint, 4> directions{bisector(0), bisector(1), bisector(2), bisector(3)};

  // In the canonical numbering corner k is corners[lowest + k * step], and
  // side k runs from it to the next: run backwards, that is the side from
  // corner k + 1 to corner k in the given numbering, turned round. Turning
  // every side round turns the difference of the crossings below round,
  // exactly, and changes nothing else: the sides are taken as they are.
  const std::size_t backwards = numbering.runsBackwards ? 1 : 0;
  const std::size_t step = 1 + 2 * backwards;
  const auto corner = [&](std::size_t k) { return (numbering.lowest + k * step) & 3U; };
  const auto side = [&](std::size_t k) { return sides[corner(k + backwards)]; };
  const TMyPoint d0 = directions[corner(0)];
  const TMyPoint d1 = directions[corner(1)];
  const TMyPoint d2 = directions[corner(2)];
  const TMyPoint d3 = directions[corner(3)];
  const TMyPoint s0 = side(0);
  const TMyPoint s1 = side(1);
  const TMyPoint s3 = side(3);

  // Relative to corner 0, the bisectors of corners 0 and 3 cross at
  // d0 * n1 / q1, those of corners 1 and 2 at s0 + d1 * n2 / q2. Bisectors of
  // neighbouring corners of a convex figure always cross, so q1 and q2 are
  // not zero; the two crossings are compared multiplied through by both,
  // and so is the allowance, so that nothing is divided. Their sizes matter
  // here, not their exact signs: the plain cross product serves.
  const double q1 = CrossValue(d0, d3);
  const double n1 = CrossValue(TMyPoint{} - s3, d3);
  const double q2 = CrossValue(d1, d2);
  const double n2 = CrossValue(s1, d2);
  if (!(std::fabs(q1) >= kSmallestTrustedDenominator &&
        std::fabs(q2) >= kSmallestTrustedDenominator)) {
    return false;
  }
  const double q1q2 = q1 * q2;
  const TMyPoint apart = d0 * (n1 * q2) - s0 * q1q2 - d1 * (n2 * q1);
  // |d0| |d3| / |q1| is the reciprocal sine of the angle at which the
  // bisectors of corners 0 and 3 cross, and |d1| |d2| / |q2| that of the
  // other pair, whose angle adds up with it to a straight one: the same
  // sine. Multiplied through by q1 q2, the magnification is then
  // 2 |d0| |d3| |q2|, the lengths taken whole, with one square root.
  const double magnification = 2.0 * std::sqrt(squared(d0) * squared(d3)) * std::fabs(q2);
  const double allowance =
      (kBisectorRoundingUlps * perimeter + kRoundedCornerUlps * largest) * magnification * kEpsilon;
  // Bitwise, not short-circuit: whether a figure has an incircle is a coin
  // toss in a mixed stream of figures.
  const bool sameX = std::fabs(apart.x) <= allowance;
  const bool sameY = std::fabs(apart.y) <= allowance;
  return (static_cast<unsigned>(sameX) & static_cast<unsigned>(sameY)) != 0U;
}

}  // namespace

bool TMyRectangle::CanInscribeCircle() const noexcept {
  // A corner that is not a number gives sides that turn nowhere, whether or
  // not std::max lets it through to the largest coordinate; one that is
  // infinite gives an infinite largest coordinate, unless a NaN hides it.
  const double largest = LargestCoordinate(corners);
  if (!(largest > 0.0 && largest <= std::numeric_limits<double>::max())) {
    return false;
  }
  // Brought near unit size by a power of two, which rounds nothing: the
  // sides as they are measured, without a scaled copy of the corners, which
  // g++ would store and reload, and which would lose a subnormal coordinate
  // that the same figure at another scale keeps.
  const int exponent = UnitExponent(largest);
  if (largest >= std::numeric_limits<double>::min() && largest <= kLargestSidesScaled) {
    const double factor = ScaledByPowerOfTwo(1.0, exponent);
    return Decide(corners, 1.0, factor, largest * factor);
  }
  const int preExponent = largest > kLargestSidesScaled ? -1 : kSubnormalExponentStep;
  return Decide(corners, ScaledByPowerOfTwo(1.0, preExponent),
                ScaledByPowerOfTwo(1.0, exponent - preExponent),
                ScaledByPowerOfTwo(largest, exponent));
}
