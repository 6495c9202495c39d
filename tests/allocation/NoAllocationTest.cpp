// SPDX-License-Identifier: MIT
// The geometry asks for no heap memory, whatever it is given.

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <limits>
#include <random>
#include <vector>

#include "AllocationCounter.h"
#include "TangentialFigures.h"
#include "Utmypoint.h"
#include "Utmyrectangle.h"

namespace {

using Corners = std::array<TMyPoint, 4>;

// Ordinary, tangential, concave, degenerate, non-finite, huge, tiny and
// subnormal figures: every path through the constructions, the careful ones
// for extreme input included.
std::vector<Corners> EveryKindOfFigure() {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  std::vector<Corners> figures = {
      {{{0, 0}, {0, 3}, {3, 3}, {3, 0}}},
      {{{0, 0}, {0, 2}, {4, 2}, {4, 0}}},
      {{{0, 3}, {1, 0}, {0, 1}, {-1, 0}}},
      {{{0, 0}, {0, 0}, {1, 1}, {1, 0}}},
      {{{0, 0}, {0, 3}, {3, kNaN}, {3, 0}}},
      {{{0, 0}, {0, 3}, {kInf, 3}, {3, 0}}},
      {{{-1.7e308, -1.7e308}, {-1.7e308, 1.7e308}, {1.7e308, 1.7e308}, {1.7e308, -1.7e308}}},
      {{{0, 0}, {0, 0x1p-1070}, {0x1p-1070, 0x1p-1070}, {0x1p-1070, 0}}},
      {{{-0x1.2p-1040, 0x1.2p-1040}, {0x1.9p-1040, -0x1.4p-1041}, {1e9, 1e9}, {1e9 + 2, 1e9 - 4}}},
  };
  std::mt19937_64 random(99);
  std::uniform_real_distribution<double> unit(-1, 1);
  for (int i = 0; i < 1000; ++i) {
    figures.push_back(figures::DrawnAroundTheUnitCircle(random));
    figures.push_back({{{unit(random), unit(random)},
                        {unit(random), unit(random)},
                        {unit(random), unit(random)},
                        {unit(random), unit(random)}}});
  }
  return figures;
}

TEST(NoAllocation, InPointsFiguresAndConstructions) {
  const std::vector<Corners> figures = EveryKindOfFigure();
  std::size_t answered = 0;

  const std::size_t before = allocation::count;
  for (const Corners& c : figures) {
    TMyRectangle figure;
    figure.corners = c;
    const TMyPoint copy(c[0]);
    const TMyPoint point = BisectorPoint(copy, c[1], c[3]) + BisectorPoint(c[2], c[1], c[3]);
    const auto crossing = MeetingPoint(c[0], c[1], c[2], c[3]);
    answered +=
        (figure.CanInscribeCircle() ? 1U : 0U) + (crossing ? 1U : 0U) + (point == point ? 1U : 0U);
  }
  const std::size_t allocations = allocation::count - before;

  EXPECT_EQ(allocations, 0U);
  EXPECT_GT(answered, figures.size());
}

}  // namespace
