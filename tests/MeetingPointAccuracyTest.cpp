// SPDX-License-Identifier: MIT
// How far MeetingPoint lies from the true crossing of the lines through the
// four points it is given, worked out in exact rational arithmetic, against
// the angle at which the lines cross and the size of the coordinates. The
// table is printed, and each cell is held to the proven bound.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "MeetingPointOracle.h"
#include "PairArithmetic.h"
#include "Utmypoint.h"

namespace {

using oracle::ExactCrossing;
using oracle::UlpsOff;

// Where the points lie: the size of their coordinates, and whether their
// differences are exact: points on an integer grid, subnormal points, and
// points within a factor of 2 of each other (far from the origin) have
// exact differences; points of mixed sizes near the origin do not.
struct Placement {
  const char* name;
  double scale;       // the points' distance from the crossing
  double offset;      // the crossing's distance from the origin, in scales
  bool integer_grid;  // points rounded to integers
  bool exact_differences;
};

constexpr std::array<Placement, 6> kPlacements{{
    {"unit", 1.0, 1.0, false, false},
    {"1e-300", 1e-300, 1.0, false, false},
    {"1e300", 1e300, 1.0, false, false},
    {"unit, 1e6 off", 1.0, 1e6, false, true},
    {"2^-1060", 0x1p-1060, 1.0, false, true},
    {"integers < 2^26", 0x1p25, 1.0, true, true},
}};

constexpr std::array<double, 8> kAngles{1.0, 1e-2, 1e-4, 1e-6, 1e-8, 1e-10, 1e-12, 1e-14};

struct Cell {
  double worst = 0.0;
  double median = 0.0;
  int missing = 0;  // no value returned although the lines cross
};

Cell Measure(const Placement& placement, double angle, std::mt19937_64& random) {
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_real_distribution<double> reach(0.5, 1.0);
  std::uniform_real_distribution<double> turn(0.0, 2 * std::numbers::pi);
  const auto place = [&](double v) {
    const double scaled = v * placement.scale;
    return placement.integer_grid ? std::round(scaled) : scaled;
  };
  std::vector<double> errors;
  Cell cell;
  while (errors.size() < 200) {
    const TMyPoint centre(placement.offset + unit(random), placement.offset + unit(random));
    const double phi = turn(random);
    const TMyPoint d1(std::cos(phi), std::sin(phi));
    const TMyPoint d2(std::cos(phi + angle), std::sin(phi + angle));
    const auto on = [&](TMyPoint direction, double along) {
      const TMyPoint p = centre + direction * along;
      return TMyPoint(place(p.x), place(p.y));
    };
    const TMyPoint P0 = on(d1, -reach(random));
    const TMyPoint P1 = on(d1, reach(random));
    const TMyPoint P2 = on(d2, -reach(random));
    const TMyPoint P3 = on(d2, reach(random));
    const auto exact = ExactCrossing(P0, P1, P2, P3);
    if (!exact) {
      continue;  // the grid made them parallel
    }
    const auto crossing = MeetingPoint(P0, P1, P2, P3);
    if (!crossing) {
      ++cell.missing;
      errors.push_back(std::numeric_limits<double>::infinity());
      continue;
    }
    double largestPoint = 0.0;
    for (const TMyPoint p : {P0, P1, P2, P3}) {
      largestPoint = std::max({largestPoint, std::fabs(p.x), std::fabs(p.y)});
    }
    errors.push_back(UlpsOff(*crossing, *exact, largestPoint));
  }
  std::sort(errors.begin(), errors.end());
  cell.worst = errors.back();
  cell.median = errors[errors.size() / 2];
  return cell;
}

// The proven bound, in units in the last place of the largest coordinate,
// whether the differences of the points round or not: the nearest double but
// for 2^-10 units, and three quarters of a unit where the crossing is
// subnormal (docs/proofs/meeting-point.md).
double Bound(const Placement& placement) {
  return placement.scale < 0x1p-1000 ? 0.75 + 0x1p-10 : 0.5 + 0x1p-10;
}

TEST(MeetingPointAccuracy, AgainstExactArithmeticByAngleAndSize) {
  std::mt19937_64 random(2026);
  std::string table = "| angle |";
  std::string rule = "|---|";
  for (const Placement& placement : kPlacements) {
    table += std::string(" ") + placement.name + " |";
    rule += "---|";
  }
  table += "\n" + rule + "\n";
  for (const double angle : kAngles) {
    std::array<char, 32> label{};
    std::snprintf(label.data(), label.size(), "| %g |", angle);
    table += label.data();
    for (const Placement& placement : kPlacements) {
      const Cell cell = Measure(placement, angle, random);
      std::array<char, 64> entry{};
      std::snprintf(entry.data(), entry.size(), " %.3g / %.3g |", cell.median, cell.worst);
      table += entry.data();
      EXPECT_EQ(cell.missing, 0) << placement.name << ", angle " << angle;
      EXPECT_LE(cell.worst, Bound(placement)) << placement.name << ", angle " << angle;
    }
    table += "\n";
  }
  std::printf("error in units in the last place, median / worst of 200 pairs of lines:\n%s",
              table.c_str());
}

}  // namespace

// Points within a factor of 2 of each other have exact differences: at
// every scale, the crossing is the nearest double to the exact one, but for
// 2^-10 units in the last place of the largest coordinate.
TEST(MeetingPointAccuracy, ExactDifferencesGiveTheNearestDouble) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> spread(1.05, 1.95);
  double worst = 0.0;
  double beyond = 0.0;
  for (int i = 0; i < 100000; ++i) {
    const double size = std::ldexp(1.0, (i % 5 - 2) * 400);
    std::array<TMyPoint, 4> p{};
    std::generate(p.begin(), p.end(),
                  [&] { return TMyPoint(size * spread(random), size * spread(random)); });
    const auto exact = ExactCrossing(p[0], p[1], p[2], p[3]);
    const auto crossing = MeetingPoint(p[0], p[1], p[2], p[3]);
    ASSERT_EQ(exact.has_value(), crossing.has_value());
    if (crossing) {
      const double largestPoint = oracle::LargestCoordinate(p[0], p[1], p[2], p[3]);
      worst = std::max(worst, UlpsOff(*crossing, *exact, largestPoint));
      beyond = std::max(beyond, oracle::BeyondNearest(*crossing, *exact, largestPoint));
    }
  }
  std::printf(
      "points within a factor of 2: worst %.3g units in the last place, %.3g beyond the nearest "
      "double\n",
      worst, beyond);
  EXPECT_LE(worst, 0.5 + 0x1p-10);
  EXPECT_LE(beyond, oracle::kBeyondNearest);
}

// Integer points below 2^52, P0 and the crossing at opposite ends of that
// range: |t (P1 - P0)| is then nearly twice the largest coordinate, which
// magnifies any rounding of the parameter t. An earlier MeetingPoint was
// 11.3 units off here.
TEST(MeetingPointAccuracy, IntegerPointsWithTheCrossingFarFromP0) {
  const TMyPoint P0(-0x1.ffffffffffcc8p+51, -0x1.fffffffffbd08p+51);
  const TMyPoint P1(-0x1.ffff841558802p+51, -0x1.ffff841475cc8p+51);
  const TMyPoint P2(0x1.ffffff00a5ad4p+51, 0x1.ffffffa57816p+51);
  const TMyPoint P3(0x1.ffffff3f247f6p+51, 0x1.ffffffc2107d6p+51);
  const auto exact = ExactCrossing(P0, P1, P2, P3);
  const auto crossing = MeetingPoint(P0, P1, P2, P3);
  ASSERT_TRUE(exact && crossing);
  const double largestPoint = oracle::LargestCoordinate(P0, P1, P2, P3);
  EXPECT_LE(UlpsOff(*crossing, *exact, largestPoint), 0.5 + 0x1p-10);
  EXPECT_EQ(crossing->x, oracle::Nearest(exact->x));
  EXPECT_EQ(crossing->y, oracle::Nearest(exact->y));
}

// Lines through points from 0.9e308 to the largest double: every crossing
// that is a finite double has a value, also where the differences round.
TEST(MeetingPointAccuracy, FiniteCrossingsNearTheTopOfTheRangeHaveAValue) {
  std::mt19937_64 random(308);
  std::uniform_real_distribution<double> size(0.9e308, std::numeric_limits<double>::max());
  std::uniform_int_distribution<int> sign(0, 1);
  const auto coordinate = [&] { return size(random) * (sign(random) != 0 ? 1 : -1); };
  int finite = 0;
  for (int i = 0; i < 20000; ++i) {
    std::array<TMyPoint, 4> p{};
    std::generate(p.begin(), p.end(), [&] { return TMyPoint(coordinate(), coordinate()); });
    const auto exact = ExactCrossing(p[0], p[1], p[2], p[3]);
    if (!exact || std::max(oracle::Magnitude(exact->x), oracle::Magnitude(exact->y)) >
                      std::numeric_limits<double>::max() * (1 - 0x1p-40)) {
      continue;
    }
    ++finite;
    const auto crossing = MeetingPoint(p[0], p[1], p[2], p[3]);
    ASSERT_TRUE(crossing.has_value()) << i;
    ASSERT_LE(UlpsOff(*crossing, *exact, oracle::LargestCoordinate(p[0], p[1], p[2], p[3])),
              0.5 + 0x1p-10)
        << i;
  }
  EXPECT_GT(finite, 5000);
}

// The pair arithmetic under MeetingPoint, against exact rationals: the
// product of two doubles exactly, and the product and quotient of pairs
// within their proven relative errors, 9 u^2 and 26 u^2.
TEST(PairArithmetic, HoldsItsProvenBounds) {
  using incircle::detail::Pair;
  std::mt19937_64 random(106);
  std::uniform_real_distribution<double> digits(1.0, 2.0);
  std::uniform_int_distribution<int> exponent(-20, 20);
  const auto pair = [&] {
    const double hi = std::ldexp(digits(random), exponent(random));
    const double lo = std::ldexp(digits(random) - 1.5, exponent(random) % 4 - 54) * hi;
    return incircle::detail::FastTwoSum(hi, lo);
  };
  const auto exact = [](Pair p) -> mpq_class { return mpq_class(p.hi) + mpq_class(p.lo); };
  const mpq_class u2(0x1p-106);
  mpq_class worstTimes = 0;
  mpq_class worstQuotient = 0;
  for (int i = 0; i < 20000; ++i) {
    const Pair x = pair();
    const Pair y = pair();
    const Pair product = incircle::detail::TwoProduct(x.hi, y.hi);
    ASSERT_EQ(exact(product), mpq_class(x.hi) * mpq_class(y.hi)) << i;
    const mpq_class times = exact(x) * exact(y);
    worstTimes = std::max(
        worstTimes, mpq_class(abs(exact(incircle::detail::Times(x, y)) - times) / abs(times)));
    const mpq_class quotient = exact(x) / exact(y);
    worstQuotient = std::max(
        worstQuotient,
        mpq_class(abs(exact(incircle::detail::DividedBy(x, y)) - quotient) / abs(quotient)));
  }
  std::printf("pairs: product within %.3g u^2, quotient within %.3g u^2\n",
              mpq_class(worstTimes / u2).get_d(), mpq_class(worstQuotient / u2).get_d());
  EXPECT_LE(worstTimes, 9 * u2);
  EXPECT_LE(worstQuotient, 26 * u2);
}
