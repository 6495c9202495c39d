// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Utmypoint.h"

namespace {

// The arithmetic is usable in constant expressions, and a default point is
// the origin.
static_assert(TMyPoint{} == TMyPoint(0, 0));
static_assert(TMyPoint(5, 7) - TMyPoint(2, 3) == TMyPoint(3, 4));
static_assert(TMyPoint(5, 7) + TMyPoint(2, 3) == TMyPoint(7, 10));
static_assert(TMyPoint(5, 7) * 2.0 == TMyPoint(10, 14));
static_assert(TMyPoint(5, 7) / 2.0 == TMyPoint(2.5, 3.5));

TEST(Point, ConstructorsKeepCoordinatesInOrder) {
  const TMyPoint origin;
  EXPECT_EQ(origin.x, 0.0);
  EXPECT_EQ(origin.y, 0.0);
  const TMyPoint p(-1.25, 3.5);
  const TMyPoint copy(p);
  EXPECT_EQ(copy.x, -1.25);
  EXPECT_EQ(copy.y, 3.5);
}

TEST(Point, OperatorsLeaveTheirOperandsAlone) {
  const TMyPoint a(1, 2);
  const TMyPoint b(3, 5);
  EXPECT_EQ(a - b, TMyPoint(-2, -3));
  EXPECT_EQ(a + b, TMyPoint(4, 7));
  EXPECT_EQ(b * -0.5, TMyPoint(-1.5, -2.5));
  EXPECT_EQ(b / 4.0, TMyPoint(0.75, 1.25));
  EXPECT_EQ(a, TMyPoint(1, 2));
  EXPECT_EQ(b, TMyPoint(3, 5));
}

TEST(Point, EqualityIsExactToTheLastBit) {
  const TMyPoint p(0.1, 0.2);
  const TMyPoint nextX(std::nextafter(0.1, 1.0), 0.2);
  const TMyPoint nextY(0.1, std::nextafter(0.2, 0.0));
  EXPECT_TRUE(p == TMyPoint(0.1, 0.2));
  EXPECT_FALSE(p != TMyPoint(0.1, 0.2));
  EXPECT_FALSE(p == nextX);
  EXPECT_TRUE(p != nextX);
  EXPECT_FALSE(p == nextY);
  EXPECT_TRUE(p != nextY);
  // IEEE semantics: a point with a NaN coordinate equals nothing, itself included.
  const TMyPoint withNaN(std::numeric_limits<double>::quiet_NaN(), 0);
  EXPECT_FALSE(withNaN == withNaN);
  EXPECT_TRUE(withNaN != withNaN);
}

TEST(Point, LengthAndDistance) {
  EXPECT_EQ(TMyPoint(3, 4).Length(), 5.0);
  EXPECT_EQ(TMyPoint(-3, -4).Length(), 5.0);
  EXPECT_EQ(TMyPoint().Length(), 0.0);
  EXPECT_EQ(TMyPoint(3, 0).DistanceTo(TMyPoint(0, 4)), 5.0);
  EXPECT_EQ(TMyPoint(0, 4).DistanceTo(TMyPoint(3, 0)), 5.0);
  EXPECT_EQ(TMyPoint(1e9 + 3, 1e9).DistanceTo(TMyPoint(1e9, 1e9 + 4)), 5.0);
}

// The sum of squares would overflow or vanish; the length does neither.
TEST(Point, LengthKeepsItsRangeAtExtremeScales) {
  EXPECT_DOUBLE_EQ(TMyPoint(3e200, 4e200).Length(), 5e200);
  EXPECT_DOUBLE_EQ(TMyPoint(3e-200, 4e-200).Length(), 5e-200);
  EXPECT_DOUBLE_EQ(TMyPoint(-1e308, 0).DistanceTo(TMyPoint(0, 1e308)), std::sqrt(2.0) * 1e308);
  // Squares that are subnormal, or just below the range: their sum has lost
  // bits or would be infinite, and the length is exact all the same.
  EXPECT_EQ(TMyPoint(3 * 0x1p-540, 4 * 0x1p-540).Length(), 5 * 0x1p-540);
  EXPECT_EQ(TMyPoint(3 * 0x1p510, 4 * 0x1p510).Length(), 5 * 0x1p510);
  EXPECT_EQ(TMyPoint(0x1p-1074, 0).Length(), 0x1p-1074);
  EXPECT_EQ(TMyPoint(0, std::numeric_limits<double>::max()).Length(),
            std::numeric_limits<double>::max());
}

}  // namespace
