// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <array>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "ExactOracle.h"
#include "Utmyrectangle.h"

namespace {

using oracle::IntFigure;
using oracle::IntPoint;

// The oracle itself, on sums whose answer is known by hand.
static_assert(oracle::CompareRootSums(1, 9, 4, 4) == 0);   // 1 + 3 = 2 + 2
static_assert(oracle::CompareRootSums(2, 8, 18, 0) == 0);  // sqrt 2 + 2 sqrt 2 = 3 sqrt 2
static_assert(oracle::CompareRootSums(1, 1, 3, 0) == 1);   // 2 > 1.732
static_assert(oracle::CompareRootSums(0, 3, 1, 1) == -1);
static_assert(oracle::CompareRootSums(5, 5, 9, 1) == 1);  // 4.472 > 4
static_assert(oracle::CompareRootSums(9, 1, 5, 5) == -1);
static_assert(oracle::CompareRootSums(0, 0, 0, 0) == 0);
static_assert(oracle::CompareRootSums(2, 3, 1, 6) == -1);  // 3.146 < 3.449
static_assert(oracle::IsStrictlyConvex({{{0, 0}, {0, 3}, {3, 3}, {3, 0}}}));
static_assert(!oracle::IsStrictlyConvex({{{0, 0}, {2, 2}, {2, 0}, {0, 2}}}));
static_assert(oracle::HasIncircle({{{0, 0}, {3, 1}, {2, 4}, {-1, 3}}}));
static_assert(!oracle::HasIncircle({{{0, 0}, {0, 2}, {4, 2}, {4, 0}}}));

TMyRectangle ToFigure(const IntFigure& f) {
  TMyRectangle figure;
  for (std::size_t i = 0; i < 4; ++i) {
    figure.corners[i] = TMyPoint(static_cast<double>(f[i].x), static_cast<double>(f[i].y));
  }
  return figure;
}

std::string Describe(const IntFigure& f) {
  std::string text;
  for (const IntPoint p : f) {
    text += "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ") ";
  }
  return text;
}

// Compares the library with the oracle on one figure; also fails on a
// division by zero or an invalid operation along the way.
class AgreesWithOracle {
 public:
  void Check(const IntFigure& f) {
    std::feclearexcept(FE_DIVBYZERO | FE_INVALID);
    const bool verdict = ToFigure(f).CanInscribeCircle();
    const bool raised = std::fetestexcept(FE_DIVBYZERO | FE_INVALID) != 0;
    const bool expected = oracle::HasIncircle(f);
    ++checked_;
    inscribable_ += expected ? 1 : 0;
    if ((verdict != expected || raised) && ++failures_ <= 10) {
      ADD_FAILURE() << Describe(f) << "library says " << verdict << ", oracle says " << expected
                    << (raised ? ", and a floating-point exception was raised" : "");
    }
  }
  [[nodiscard]] long checked() const { return checked_; }
  [[nodiscard]] long inscribable() const { return inscribable_; }

 private:
  long checked_ = 0;
  long inscribable_ = 0;
  long failures_ = 0;
};

TEST(FigureAgainstOracle, EveryIntegerFigureInASevenBySevenGrid) {
  constexpr std::int64_t kSide = 7;  // coordinates -3 ... 3
  std::int64_t figures = 1;
  for (int i = 0; i < 8; ++i) {
    figures *= kSide;
  }
  AgreesWithOracle check;
  for (std::int64_t code = 0; code < figures; ++code) {
    // The eight coordinates are the eight base-7 digits of the code.
    std::array<std::int64_t, 8> coordinate{};
    std::int64_t rest = code;
    for (std::int64_t& c : coordinate) {
      c = rest % kSide - 3;
      rest /= kSide;
    }
    check.Check({{{coordinate[0], coordinate[1]},
                  {coordinate[2], coordinate[3]},
                  {coordinate[4], coordinate[5]},
                  {coordinate[6], coordinate[7]}}});
  }
  EXPECT_EQ(check.checked(), 49L * 49 * 49 * 49);
  EXPECT_GT(check.inscribable(), 1000);
}

class RandomIntegerFigures : public testing::Test {
 protected:
  std::int64_t Between(std::int64_t low, std::int64_t high) {
    return std::uniform_int_distribution<std::int64_t>(low, high)(random_);
  }
  std::int64_t Coordinate(std::int64_t bound = 1000) { return Between(-bound, bound); }
  IntPoint Point(std::int64_t bound = 1000) { return {Coordinate(bound), Coordinate(bound)}; }

  std::mt19937_64 random_{12345};
  AgreesWithOracle check_;
};

TEST_F(RandomIntegerFigures, Arbitrary) {
  for (int i = 0; i < 200000; ++i) {
    check_.Check({Point(), Point(), Point(), Point()});
  }
}

// A + u, A + u + v, A + v with |u| = |v|: every rhombus, squares among them.
TEST_F(RandomIntegerFigures, RhombiAndSquares) {
  for (int i = 0; i < 50000; ++i) {
    const IntPoint u = Point(300);
    const bool square = i % 2 == 0;
    const IntPoint v =
        square ? IntPoint{-u.y, u.x} : (i % 4 == 1 ? IntPoint{u.y, u.x} : IntPoint{u.x, -u.y});
    const IntPoint a = Point(300);
    check_.Check(
        {a, {a.x + u.x, a.y + u.y}, {a.x + u.x + v.x, a.y + u.y + v.y}, {a.x + v.x, a.y + v.y}});
  }
  EXPECT_GT(check_.inscribable(), 40000);
}

// A kite across the axes, turned and stretched by the integer similarity
// (a, -b; b, a), then moved.
TEST_F(RandomIntegerFigures, RotatedKites) {
  for (int i = 0; i < 50000; ++i) {
    const std::int64_t top = Between(1, 80);
    const std::int64_t side = Between(1, 80);
    const std::int64_t bottom = Between(1, 80);
    const std::int64_t a = Coordinate(5);
    const std::int64_t b = Coordinate(5);
    const IntPoint shift = Point(200);
    const auto place = [&](std::int64_t x, std::int64_t y) {
      return IntPoint{shift.x + a * x - b * y, shift.y + b * x + a * y};
    };
    check_.Check({place(0, top), place(side, 0), place(0, -bottom), place(-side, 0)});
  }
  EXPECT_GT(check_.inscribable(), 40000);
}

}  // namespace
