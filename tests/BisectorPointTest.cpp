// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <random>
#include <string>

#include "GeometryChecks.h"
#include "Utmypoint.h"

namespace {

using checks::AngleBetween;
using checks::kEpsilon;

struct Corner {
  std::string name;
  TMyPoint A;
  TMyPoint B;
  TMyPoint C;
  TMyPoint expected;
};

std::ostream& operator<<(std::ostream& out, const Corner& c) { return out << c.name; }

class BisectorPointOf : public testing::TestWithParam<Corner> {};

TEST_P(BisectorPointOf, MeetsTheOppositeSideWhereTheAngleBisectorTheoremSays) {
  const Corner& c = GetParam();
  const TMyPoint point = BisectorPoint(c.A, c.B, c.C);
  EXPECT_NEAR(point.x, c.expected.x, 4 * kEpsilon * std::fabs(c.expected.x));
  EXPECT_NEAR(point.y, c.expected.y, 4 * kEpsilon * std::fabs(c.expected.y));
}

INSTANTIATE_TEST_SUITE_P(Corners, BisectorPointOf,
                         testing::Values(
                             // The corners of the 3 by 3 square all bisect towards its centre.
                             Corner{"square_corner_0_0", {0, 0}, {0, 3}, {3, 0}, {1.5, 1.5}},
                             Corner{"square_corner_3_0", {3, 0}, {0, 0}, {3, 3}, {1.5, 1.5}},
                             Corner{"square_corner_0_3", {0, 3}, {0, 0}, {3, 3}, {1.5, 1.5}},
                             Corner{"square_corner_3_3", {3, 3}, {0, 3}, {3, 0}, {1.5, 1.5}},
                             // Sides 4 and 2: the point divides BC in the ratio 2 : 1.
                             Corner{
                                 "sides_4_and_2", {0, 0}, {4, 0}, {0, 2}, {4.0 / 3.0, 4.0 / 3.0}},
                             // A vertical bisector.
                             Corner{"vertical_bisector", {2, -1}, {0, 0}, {4, 0}, {2, 0}},
                             // The neighbours' midpoint has the corner's x coordinate.
                             Corner{"midpoint_of_neighbours_above_the_corner",
                                    {0, 0},
                                    {-1, 1},
                                    {1, 3},
                                    {-1 + 2 * std::sqrt(2.0) / (std::sqrt(2.0) + std::sqrt(10.0)),
                                     1 + 2 * std::sqrt(2.0) / (std::sqrt(2.0) + std::sqrt(10.0))}},
                             // Far from the origin the precision is that of the figure's size.
                             Corner{"sides_4_and_2_at_1e12",
                                    {1e12, 1e12},
                                    {1e12 + 4, 1e12},
                                    {1e12, 1e12 + 2},
                                    {1e12 + 4.0 / 3.0, 1e12 + 4.0 / 3.0}},
                             // A straight angle: the side BC passes through A.
                             Corner{"straight_angle", {1, 1}, {0, 0}, {3, 3}, {1, 1}}),
                         [](const testing::TestParamInfo<Corner>& row) { return row.param.name; });

TEST(BisectorPoint, WithoutAnAngleIsTheFirstNeighbour) {
  const TMyPoint A(1, 2);
  const TMyPoint B(-3, 5);
  const TMyPoint C(4, 4);
  EXPECT_EQ(BisectorPoint(A, B, B), B);
  EXPECT_EQ(BisectorPoint(A, B, A), B);
  EXPECT_EQ(BisectorPoint(A, A, C), A);
  EXPECT_EQ(BisectorPoint(A, A, A), A);
}

TEST(BisectorPoint, OfACornerThatIsNotFiniteIsNotFinite) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(IsFinite(BisectorPoint({0, 0}, {kInf, 0}, {0, 2})));
  EXPECT_FALSE(IsFinite(BisectorPoint({kNaN, 0}, {4, 0}, {0, 2})));
  EXPECT_FALSE(IsFinite(BisectorPoint({0, 0}, {4, 0}, {0, -kInf})));
}

// Checked by angles (atan2), not by the theorem the construction uses.
TEST(BisectorPoint, HalvesTheAngleAndLiesBetweenTheNeighbours) {
  std::mt19937_64 random(20261210);
  std::uniform_real_distribution<double> coordinate(-100.0, 100.0);
  for (int i = 0; i < 20000; ++i) {
    const TMyPoint A(coordinate(random), coordinate(random));
    const TMyPoint B(coordinate(random), coordinate(random));
    const TMyPoint C(coordinate(random), coordinate(random));
    const double turn = Cross(B - A, C - A) / ((B - A).Length() * (C - A).Length());
    if (std::fabs(turn) < 1e-6) {
      continue;  // a straight or zero angle has no well-conditioned bisector
    }
    const TMyPoint X = BisectorPoint(A, B, C);
    const double scale = checks::LargestMagnitude({A, B, C});
    EXPECT_NEAR(AngleBetween(B - A, X - A), AngleBetween(X - A, C - A), 1e-9) << i;
    EXPECT_LE(checks::DistanceToLine(X, B, C), 16 * kEpsilon * scale) << i;
    EXPECT_LE((X - B).Length() + (C - X).Length(), (C - B).Length() * (1 + 8 * kEpsilon)) << i;
    const TMyPoint swapped = BisectorPoint(A, C, B);
    EXPECT_NEAR(swapped.x, X.x, 8 * kEpsilon * scale) << i;
    EXPECT_NEAR(swapped.y, X.y, 8 * kEpsilon * scale) << i;
  }
}

// Differences and lengths overflow here; the point does not.
TEST(BisectorPoint, StaysFiniteForCornersAtTheEndsOfTheRange) {
  const double big = 1e308;
  const TMyPoint X = BisectorPoint({-big, -big}, {big, -big}, {-big, big});
  EXPECT_TRUE(IsFinite(X));
  EXPECT_NEAR(X.x, 0.0, 4 * kEpsilon * big);
  EXPECT_NEAR(X.y, 0.0, 4 * kEpsilon * big);

  // Each length is finite, their sum is not.
  const TMyPoint B(-3e84, 1.7e308);
  const TMyPoint C(1.7e308, 5e269);
  const TMyPoint Z = BisectorPoint({-2.4e-116, 1.5e-20}, B, C);
  EXPECT_LE(checks::DistanceToLine(Z, B, C), 4 * kEpsilon * 1.7e308);
  EXPECT_NEAR(Z.x, 0.85e308, 1e300);
  EXPECT_NEAR(Z.y, 0.85e308, 1e300);

  const TMyPoint Y = BisectorPoint({0, 0}, {4e-300, 0}, {0, 2e-300});
  EXPECT_DOUBLE_EQ(Y.x, 4e-300 / 3);
  EXPECT_DOUBLE_EQ(Y.y, 4e-300 / 3);
}

}  // namespace
