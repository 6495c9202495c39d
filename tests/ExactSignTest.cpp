// SPDX-License-Identifier: MIT
// Sign decisions with coordinates that are not small integers, whose
// products round: parallel lines, collinear corners, and cross products
// whose exact value is a hair from zero. A CPU with a fused multiply-add,
// where compilers may fuse a product into the subtraction, must give the
// answers that one without gives.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <random>
#include <utility>

#include "ExactProductSum.h"
#include "GeometryChecks.h"
#include "Renumbering.h"
#include "Utmypoint.h"
#include "Utmyrectangle.h"

namespace {

using checks::ExactCrossSign;

int SignOf(double v) { return (v > 0 ? 1 : 0) - (v < 0 ? 1 : 0); }

// The point as stored in memory: the compiler cannot see how it was made,
// and must multiply its coordinates as the figure test does.
TMyPoint Stored(TMyPoint p) {
  const volatile double x = p.x;
  const volatile double y = p.y;
  return {x, y};
}

// The integer oracle itself, on products whose sign is known by hand.
TEST(ExactCrossSign, KnowsTheSignOfProductsThatRound) {
  const double justAboveOne = 1 + 0x1p-52;
  const double justBelowOne = 1 - 0x1p-53;
  EXPECT_EQ(ExactCrossSign({1, 0}, {0, 1}), 1);
  EXPECT_EQ(ExactCrossSign({0, 1}, {1, 0}), -1);
  EXPECT_EQ(ExactCrossSign({0.1, 0.65}, {0.1, 0.65}), 0);
  // (1 + 2^-52)(1 - 2^-53) = 1 + 2^-53 - 2^-105 rounds to 1, and is not 1.
  EXPECT_EQ(ExactCrossSign({justAboveOne, 1}, {1, justBelowOne}), 1);
  EXPECT_EQ(ExactCrossSign({1, justBelowOne}, {justAboveOne, 1}), -1);
  EXPECT_EQ(ExactCrossSign({0x1p-1074, 0}, {0, 0x1p1023}), 1);
  EXPECT_EQ(ExactCrossSign({0x1p-1074, 3}, {1, 0x1p1020}), -1);  // 2^-54 - 3
  EXPECT_EQ(ExactCrossSign({0x1p-1074, 0x1p-60}, {1, 0x1p1020}), 1);
}

// Twice the area of a triangle is zero exactly when its corners are on one
// line, and otherwise has the sign of its turn, however near zero it is.
TEST(Cross, HasTheExactSign) {
  const double justAboveOne = 1 + 0x1p-52;
  const double justBelowOne = 1 - 0x1p-53;
  EXPECT_GT(Cross({justAboveOne, 1}, {1, justBelowOne}), 0.0);
  EXPECT_LT(Cross({1, justBelowOne}, {justAboveOne, 1}), 0.0);

  std::mt19937_64 random(10);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_int_distribution<int> ulps(-4, 4);
  for (int i = 0; i < 100000; ++i) {
    const TMyPoint a(unit(random), unit(random));
    // A multiple of a, rounded, then nudged by a few units: parallel,
    // nearly parallel, or a hair to either side.
    const double k = unit(random) * 8;
    TMyPoint b = a * k;
    b.y += ulps(random) * std::numeric_limits<double>::epsilon() * std::fabs(b.y);
    ASSERT_EQ(SignOf(Cross(a, b)), ExactCrossSign(a, b)) << i;
    ASSERT_EQ(SignOf(Cross(b, a)), ExactCrossSign(b, a)) << i;
    ASSERT_EQ(SignOf(Cross(a, a)), 0) << i;
  }
}

// The sign stays exact at every scale: products that overflow, products
// whose rounding errors underflow or that vanish altogether, and vectors of
// very different sizes.
TEST(Cross, HasTheExactSignAtEveryScale) {
  std::mt19937_64 random(12);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_int_distribution<int> ulps(-2, 2);
  for (const auto& [aScale, bScale] :
       {std::pair{-1000, -1000}, std::pair{-600, -470}, std::pair{-470, -470}, std::pair{470, 470},
        std::pair{600, 500}, std::pair{1000, 1000}, std::pair{-1070, 1000}, std::pair{1020, -60}}) {
    for (int i = 0; i < 5000; ++i) {
      const TMyPoint a(unit(random), unit(random));
      const double k = unit(random) * 8;
      TMyPoint b = a * k;
      b.y += ulps(random) * std::numeric_limits<double>::epsilon() * std::fabs(b.y);
      const TMyPoint A(std::ldexp(a.x, aScale), std::ldexp(a.y, aScale));
      const TMyPoint B(std::ldexp(b.x, bScale), std::ldexp(b.y, bScale));
      ASSERT_EQ(SignOf(Cross(A, B)), ExactCrossSign(A, B)) << aScale << ", " << bScale << ", " << i;
      ASSERT_EQ(SignOf(Cross(B, A)), ExactCrossSign(B, A)) << aScale << ", " << bScale << ", " << i;
      ASSERT_EQ(Cross(A, A), 0.0) << aScale << ", " << i;
    }
  }
  // Two large products of one sign whose sum carries a bit beyond either:
  // at every alignment of the products' top bit to the digits of the exact
  // sum, the carry must not be taken for the sign.
  for (int exponent = 481; exponent < 481 + 60; ++exponent) {
    const double x = std::ldexp(1 - 0x1p-53, exponent);
    ASSERT_GT(Cross({x, -x}, {x, x}), 0.0) << exponent;
    ASSERT_LT(Cross({x, x}, {x, -x}), 0.0) << exponent;
  }
  // Nonzero however small, infinite however large, never NaN.
  EXPECT_GT(Cross({0x1p-1074, 0}, {0, 0x1p-1074}), 0.0);
  EXPECT_EQ(Cross({0x1p1023, 0}, {0, 0x1p1023}), std::numeric_limits<double>::infinity());
  EXPECT_EQ(Cross({0x1p1023, 0x1p1023}, {0x1p1023, 0x1p1023}), 0.0);
}

// The exact sum under Cross and MeetingPoint, at its limit: sixteen equal
// products of the largest significands, whose sum needs four bits more than
// each, at every alignment of their top bit to the sum's digits, of either
// sign.
TEST(ExactSumOfProducts, KeepsTheSignOfSixteenLargestProducts) {
  using incircle::detail::ProductTerm;
  for (int exponent = -60; exponent < 0; ++exponent) {
    const double x = std::ldexp(1 - 0x1p-53, exponent);
    for (const bool negative : {false, true}) {
      std::array<ProductTerm, 16> terms{};
      terms.fill({x, x, 0, negative});
      const incircle::detail::ScaledPair sum = incircle::detail::ExactSumOfProducts(terms);
      const double value = std::ldexp(sum.hi, sum.exponent);
      const double expected = (negative ? -16 : 16) * x * x;
      ASSERT_NEAR(value, expected, 0x1p-50 * std::fabs(expected)) << exponent;
    }
  }
}

// Doubling is exact, and so are the differences of P, 2P and 4P: the sides
// between these three corners are exactly parallel.
TEST(Cross, IsZeroForCollinearCornersWithFractionalCoordinates) {
  for (int i = 1; i < 2000; ++i) {
    const TMyPoint P(0.1 * i, -0.35 * i);
    const TMyPoint Q(0.3 * i, 0.65 * i);
    for (const TMyPoint A : {P, Q}) {
      const TMyPoint B = A * 2;
      const TMyPoint C = A * 4;
      ASSERT_EQ(Cross(Stored(B - A), Stored(C - B)), 0.0) << i;
      ASSERT_EQ(Cross(Stored(C - B), Stored(B - A)), 0.0) << i;
    }
  }
}

// Lines whose directions are exactly parallel: the same differences given
// twice, or the same line given by other points or the other way round.
TEST(MeetingPoint, NoneForParallelOrIdenticalLinesWithFractionalCoordinates) {
  for (int i = 1; i < 2000; ++i) {
    const double a = 0.1 * i;
    const double b = 0.65 * i;
    const TMyPoint origin(0, 0);
    const TMyPoint P(a, b);
    EXPECT_FALSE(MeetingPoint(origin, P, {a, 0}, {2 * a, b})) << "parallel, i = " << i;
    EXPECT_FALSE(MeetingPoint(origin, P, P, origin)) << "the same line reversed, i = " << i;
    EXPECT_FALSE(MeetingPoint(origin, P, P * 2, P)) << "the same line further on, i = " << i;
  }
}

// The second line turned by one unit in the last place of b: they cross at
// 2^52 or so times their own size, where t = b' / (b' - b) is a power of two
// times b', so the crossing is (a b', b b') / (b' - b) with one rounding each.
TEST(MeetingPoint, FindsTheFarCrossingOfNearlyParallelLines) {
  for (int i = 1; i < 2000; ++i) {
    const double a = 0.1 * i;
    const double b = 0.65 * i;
    const double turned = std::nextafter(b, 2 * b);
    const auto crossing = MeetingPoint({0, 0}, {a, b}, {a, 0}, {2 * a, turned});
    ASSERT_TRUE(crossing.has_value()) << i;
    const double gap = turned - b;
    const TMyPoint expected(a * turned / gap, b * turned / gap);
    const double ulp = std::numeric_limits<double>::epsilon();
    EXPECT_NEAR(crossing->x, expected.x, 8 * ulp * std::fabs(expected.x)) << i;
    EXPECT_NEAR(crossing->y, expected.y, 8 * ulp * std::fabs(expected.y)) << i;
  }
}

// Three corners on one line make no strictly convex figure, in any
// numbering; the figure otherwise is a triangle with an incircle.
TEST(FigureVerdict, NoCircleWhenThreeCornersWithFractionalCoordinatesAreCollinear) {
  for (int i = 1; i < 400; ++i) {
    const TMyPoint A(0.3 * i, 0.65 * i);
    const TMyPoint B = A * 2;
    const TMyPoint C = A * 4;
    const TMyPoint apex = B + TMyPoint(-A.y, A.x) * 1.5;
    const std::array<TMyPoint, 4> corners{A, B, C, apex};
    for (const figures::Numbering& numbering : figures::EveryNumbering(corners)) {
      TMyRectangle figure;
      figure.corners = numbering.corners;
      EXPECT_FALSE(figure.CanInscribeCircle()) << i << ", " << numbering;
    }
  }
}

}  // namespace
