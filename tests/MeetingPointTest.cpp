// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>
#include <limits>
#include <optional>
#include <ostream>
#include <random>

#include "GeometryChecks.h"
#include "Utmypoint.h"

namespace {

using checks::DistanceToLine;
using checks::kEpsilon;

struct TwoLines {
  TMyPoint P0;
  TMyPoint P1;
  TMyPoint P2;
  TMyPoint P3;
  std::optional<TMyPoint> expected;
};

std::ostream& operator<<(std::ostream& out, TMyPoint p) {
  return out << "(" << p.x << ", " << p.y << ")";
}

std::ostream& operator<<(std::ostream& out, const TwoLines& l) {
  return out << l.P0 << l.P1 << " and " << l.P2 << l.P3;
}

class MeetingPointOf : public testing::TestWithParam<TwoLines> {};

TEST_P(MeetingPointOf, IsTheCrossingOrNothing) {
  const TwoLines& l = GetParam();
  const auto crossing = MeetingPoint(l.P0, l.P1, l.P2, l.P3);
  ASSERT_EQ(crossing.has_value(), l.expected.has_value());
  if (l.expected) {
    EXPECT_EQ(*crossing, *l.expected);
  }
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Lines, MeetingPointOf,
    testing::Values(
        // The bisectors of two corners of the 3 by 3 square.
        TwoLines{{0, 0}, {1.5, 1.5}, {3, 0}, {1.5, 1.5}, TMyPoint(1.5, 1.5)},
        TwoLines{{0, 0}, {1, 1}, {0, 2}, {1, 1}, TMyPoint(1, 1)},
        // Crossing away from both given segments.
        TwoLines{{0, 0}, {1, 0}, {2, -1}, {3, 1}, TMyPoint(2.5, 0)},
        // Vertical and horizontal lines.
        TwoLines{{5, -7}, {5, 9}, {-1, 2}, {3, 2}, TMyPoint(5, 2)},
        // A real crossing at the origin is a crossing, not "none".
        TwoLines{{-1, -1}, {1, 1}, {-1, 1}, {1, -1}, TMyPoint(0, 0)},
        // Parallel, the same line, a line given by one point twice.
        TwoLines{{0, 0}, {1, 1}, {0, 1}, {2, 3}, std::nullopt},
        TwoLines{{0, 0}, {1, 1}, {2, 2}, {3, 3}, std::nullopt},
        TwoLines{{1, 1}, {1, 1}, {0, 2}, {2, 0}, std::nullopt},
        TwoLines{{0, 2}, {2, 0}, {1, 1}, {1, 1}, std::nullopt},
        TwoLines{{0, 0}, {0, 0}, {0, 0}, {0, 0}, std::nullopt},
        // Nothing but a finite point is an answer.
        TwoLines{{kNaN, 0}, {1, 1}, {0, 2}, {1, 1}, std::nullopt},
        TwoLines{{0, 0}, {1, kInf}, {0, 2}, {1, 1}, std::nullopt},
        // Nearly parallel lines cross far beyond the range of a double.
        TwoLines{{0, 0}, {1, 0}, {0, 1e300}, {1e300, 1e300 - 1e290}, std::nullopt},
        // The difference of the first line's points overflows.
        TwoLines{{-1e308, 0}, {1e308, 1}, {0, 0.5}, {1, 0.5}, TMyPoint(0, 0.5)},
        // Perpendicular lines near the top of the range: the parameter times
        // the direction, 1e308 * -2, overflows before the point is added.
        TwoLines{{1e308, 0}, {0, 0}, {-1e308, 1}, {-1e308, 2}, TMyPoint(-1e308, 0)},
        // A line through P0 on the x axis, tilted by the smallest subnormal
        // over 3e308: halving its overflowing difference would lose the
        // tilt and make it parallel to the axis, which it crosses at P0.
        TwoLines{{-1.5e308, 0}, {1.5e308, 0x1p-1074}, {0, 0}, {1, 0}, TMyPoint(-1.5e308, 0)},
        // Lines whose differences, rounded, are parallel, and the lines not:
        // 1 - 1e-20 rounds to 1, and the lines cross at (1, 2).
        TwoLines{{0, 0}, {1, 2}, {1e-20, 0}, {1, 2}, TMyPoint(1, 2)},
        // Directions whose cross product is a quarter of the smallest
        // subnormal: exactly, t = -5.
        TwoLines{{0, 0},
                 {1.5, 0x1p-1074},
                 {0, 0x1p-1074},
                 {1.25, 0x1p-1073},
                 TMyPoint(-7.5, -5 * 0x1p-1074)}));

// Checked by distances to the lines, not by the formula that found it.
TEST(MeetingPoint, LiesOnBothLinesAtEveryScale) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> coordinate(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-1000, 1000);
  int found = 0;
  for (int i = 0; i < 20000; ++i) {
    const int e = exponent(random);
    const auto point = [&] {
      return TMyPoint(std::scalbn(coordinate(random), e), std::scalbn(coordinate(random), e));
    };
    const TMyPoint P0 = point();
    const TMyPoint P1 = point();
    const TMyPoint P2 = point();
    const TMyPoint P3 = point();
    const auto crossing = MeetingPoint(P0, P1, P2, P3);
    if (!crossing) {
      continue;
    }
    ++found;
    const double scale = checks::LargestMagnitude({P0, P1, P2, P3, *crossing});
    EXPECT_LE(DistanceToLine(*crossing, P0, P1), 32 * kEpsilon * scale) << i;
    EXPECT_LE(DistanceToLine(*crossing, P2, P3), 32 * kEpsilon * scale) << i;
  }
  // Random lines are almost never parallel, nor cross beyond range.
  EXPECT_GT(found, 19000);
}

TEST(MeetingPoint, FindsCrossingsOfTinyAndHugeFigures) {
  for (const double scale : {0x1p-1070, 1e-300, 1e-160, 1e160, 1e300, 0x1p1020}) {
    const auto crossing = MeetingPoint(TMyPoint(0, 0) * scale, TMyPoint(1, 0) * scale,
                                       TMyPoint(0.5, -1) * scale, TMyPoint(0.5, 1) * scale);
    ASSERT_TRUE(crossing.has_value()) << scale;
    EXPECT_EQ(*crossing, TMyPoint(0.5, 0) * scale) << scale;
  }
  // Diagonals through points near both ends of the range: every difference
  // of their points overflows.
  const double big = 1.5e308;
  const auto diagonals = MeetingPoint({-big, -big}, {big, big}, {-big, big}, {big, -big});
  ASSERT_TRUE(diagonals.has_value());
  EXPECT_LE(std::fabs(diagonals->x), 4 * kEpsilon * big);
  EXPECT_LE(std::fabs(diagonals->y), 4 * kEpsilon * big);

  // Lines given by points a hair apart, at unit size.
  const double hair = 1e-170;
  const auto crossing = MeetingPoint({0, 0.5}, {hair, 0.5}, {0.25, 0}, {0.25, hair});
  ASSERT_TRUE(crossing.has_value());
  EXPECT_EQ(*crossing, TMyPoint(0.25, 0.5));
}

// A line through two subnormal points keeps its exact direction next to
// points a billion times, or 10^600 times, further out.
TEST(MeetingPoint, KeepsTheDirectionOfALineThroughSubnormalPoints) {
  const double tiny = 0x1.23456789p-1040;
  const std::array<std::array<TMyPoint, 4>, 2> cases{{
      {{{-tiny, tiny}, {tiny * 1.75, -tiny * 0.625}, {1e9, 1e9}, {1e9 + 2, 1e9 - 4}}},
      {{{0x0.0000000036500p-1022, -0x0.00041cdcd0000p-1022},
        {0x0.00041cdcd6500p-1022, 0x0.00041d1cd03ffp-1022},
        {-0x1.00041cdcd6582p-943, -0x1.e42d13077642fp+1023},
        {-0x1.e42d135773b76p+1023, 0x1.e42d1d1893b76p-1009}}},
  }};
  for (const auto& [P0, P1, P2, P3] : cases) {
    const auto crossing = MeetingPoint(P0, P1, P2, P3);
    ASSERT_TRUE(crossing.has_value());
    const double scale = checks::LargestMagnitude({P2, P3, *crossing});
    EXPECT_LE(DistanceToLine(*crossing, P0, P1), 16 * kEpsilon * scale);
    EXPECT_LE(DistanceToLine(*crossing, P2, P3), 16 * kEpsilon * scale);
  }
}

// Finite input is never an invalid operation nor a division by zero, be the
// points huge, subnormal, zero, repeated or far apart.
TEST(MeetingPoint, RaisesNoInvalidOperationNorDivisionByZero) {
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> digits(-2.0, 2.0);
  std::uniform_int_distribution<int> exponent(-1076, 1024);
  std::uniform_int_distribution<int> kind(0, 7);
  const auto coordinate = [&] {
    switch (kind(random)) {
      case 0:
        return 0.0;
      case 1:
        return std::numeric_limits<double>::max() * digits(random) / 2;
      case 2:
        return std::numeric_limits<double>::denorm_min() * std::round(digits(random) * 4);
      default:
        return std::ldexp(digits(random), exponent(random));
    }
  };
  std::array<TMyPoint, 4> points{};
  for (int i = 0; i < 200000; ++i) {
    std::generate(points.begin(), points.end(), [&] {
      return kind(random) == 0 ? points[0] : TMyPoint(coordinate(), coordinate());
    });
    std::feclearexcept(FE_ALL_EXCEPT);
    const auto crossing = MeetingPoint(points[0], points[1], points[2], points[3]);
    ASSERT_EQ(std::fetestexcept(FE_INVALID | FE_DIVBYZERO), 0)
        << TwoLines{points[0], points[1], points[2], points[3], std::nullopt};
    ASSERT_TRUE(!crossing || IsFinite(*crossing));
  }
  for (const auto& l : {TwoLines{{-1e308, 0}, {1e308, 1}, {0, 0.5}, {1, 0.5}, std::nullopt},
                        TwoLines{{0, 0}, {1e200, 1e200}, {0, 1}, {1e200, 1e200}, std::nullopt},
                        TwoLines{{0, 0}, {0x1p-1074, 0}, {0, 0}, {0, 0x1p-1074}, std::nullopt}}) {
    std::feclearexcept(FE_ALL_EXCEPT);
    static_cast<void>(MeetingPoint(l.P0, l.P1, l.P2, l.P3));
    EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_DIVBYZERO), 0) << l;
  }
}

// Given in either order, the two lines have one crossing.
TEST(MeetingPoint, DoesNotDependOnTheOrderOfTheLines) {
  const auto forwards = MeetingPoint({0, 0}, {3, 1}, {2, 4}, {1, -3});
  const auto backwards = MeetingPoint({2, 4}, {1, -3}, {0, 0}, {3, 1});
  ASSERT_TRUE(forwards && backwards);
  EXPECT_NEAR(forwards->x, backwards->x, 8 * kEpsilon * 4);
  EXPECT_NEAR(forwards->y, backwards->y, 8 * kEpsilon * 4);
}

}  // namespace
