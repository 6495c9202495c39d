// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <random>

#include "TangentialFigures.h"
#include "Utmyrectangle.h"

namespace {

using figures::Outline;

class TangentialFigures : public testing::Test {
 protected:
  Outline AroundTheUnitCircle() { return figures::DrawnAroundTheUnitCircle(random_); }

  // Moved by up to 1000 times its size, then scaled by 10^-100 to 10^100.
  TMyRectangle Placed(const Outline& outline) {
    double size = 0;
    for (const TMyPoint corner : outline) {
      size = std::max(size, corner.Length());
    }
    const double away = std::uniform_real_distribution<double>(0, 1000)(random_) * size;
    const double direction =
        std::uniform_real_distribution<double>(0, 2 * std::numbers::pi)(random_);
    const double scale = std::pow(10.0, std::uniform_real_distribution<double>(-100, 100)(random_));
    const TMyPoint shift(away * std::cos(direction), away * std::sin(direction));
    TMyRectangle figure;
    for (std::size_t i = 0; i < 4; ++i) {
      figure.corners[i] = (outline[i] + shift) * scale;
    }
    return figure;
  }

  std::mt19937_64 random_{31337};
};

TEST_F(TangentialFigures, HaveAnIncircleAtAnyPlaceAndScale) {
  for (int i = 0; i < 50000; ++i) {
    const TMyRectangle figure = Placed(AroundTheUnitCircle());
    ASSERT_TRUE(figure.CanInscribeCircle())
        << i << ": " << figure.corners[0].x << " " << figure.corners[0].y << " / "
        << figure.corners[2].x << " " << figure.corners[2].y;
  }
}

[[nodiscard]] double PitotDefect(const Outline& o) {
  const auto side = [&](std::size_t i) { return o[i].DistanceTo(o[(i + 1) % 4]); };
  const double perimeter = side(0) + side(1) + side(2) + side(3);
  return std::fabs(side(0) + side(2) - side(1) - side(3)) / perimeter;
}

// One corner slid along one of its sides: the sides it touches change by
// different amounts, the opposite sums no longer agree, and no circle fits.
TEST_F(TangentialFigures, LoseItWhenOneCornerSlidesAlongItsSide) {
  std::uniform_real_distribution<double> magnitude(-6, -1);
  std::uniform_int_distribution<std::size_t> which(0, 3);
  int tried = 0;
  for (int i = 0; i < 50000; ++i) {
    Outline outline = AroundTheUnitCircle();
    const std::size_t corner = which(random_);
    const std::size_t towards = (corner + (i % 2 == 0 ? 1 : 3)) % 4;
    const double slide = std::pow(10.0, magnitude(random_)) * (i % 3 == 0 ? -1 : 1);
    outline[corner] = outline[corner] + (outline[towards] - outline[corner]) * slide;
    if (PitotDefect(outline) < 1e-6) {
      continue;
    }
    ++tried;
    const TMyRectangle figure = Placed(outline);
    ASSERT_FALSE(figure.CanInscribeCircle()) << i << ": defect " << PitotDefect(outline);
  }
  EXPECT_GT(tried, 40000);
}

}  // namespace
