// SPDX-License-Identifier: MIT
// How far MeetingPoint lies from the true crossing of the lines through the
// four points it is given, worked out in exact rational arithmetic, against
// the angle at which the lines cross and the size of the coordinates. The
// table is printed, and each cell is held to the bound the rounding of the
// inputs allows.

#include <gmpxx.h>
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

#include "Utmypoint.h"

namespace {

struct ExactPoint {
  mpq_class x;
  mpq_class y;
};

ExactPoint Exact(TMyPoint p) { return {mpq_class(p.x), mpq_class(p.y)}; }

mpq_class ExactCross(const ExactPoint& a, const ExactPoint& b) { return a.x * b.y - a.y * b.x; }

ExactPoint Minus(const ExactPoint& a, const ExactPoint& b) { return {a.x - b.x, a.y - b.y}; }

// The crossing of the lines through P0, P1 and through P2, P3, exactly.
std::optional<ExactPoint> ExactCrossing(TMyPoint P0, TMyPoint P1, TMyPoint P2, TMyPoint P3) {
  const ExactPoint p0 = Exact(P0);
  const ExactPoint d1 = Minus(Exact(P1), p0);
  const ExactPoint d2 = Minus(Exact(P3), Exact(P2));
  const mpq_class denominator = ExactCross(d1, d2);
  if (denominator == 0) {
    return std::nullopt;
  }
  const mpq_class t = ExactCross(Minus(Exact(P2), p0), d2) / denominator;
  return ExactPoint{p0.x + d1.x * t, p0.y + d1.y * t};
}

// The distance from the computed to the exact crossing, in units in the
// last place of the largest coordinate of the crossing and of the points
// that give the lines: the crossing is found from those points, and cannot
// be closer than their rounding where it lies much nearer the origin.
double UlpsOff(TMyPoint computed, const ExactPoint& exact, double largestPoint) {
  const double largest =
      std::max({std::fabs(exact.x.get_d()), std::fabs(exact.y.get_d()), std::fabs(largestPoint)});
  int exponent = 0;
  std::frexp(largest, &exponent);
  const mpq_class unit(std::ldexp(1.0, std::max(exponent - 53, -1074)));
  const mpq_class dx = abs(mpq_class(computed.x) - exact.x) / unit;
  const mpq_class dy = abs(mpq_class(computed.y) - exact.y) / unit;
  return std::max(dx.get_d(), dy.get_d());
}

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

// The bound, in units in the last place: a few roundings where the
// differences of the points are exact; where they round, each line may turn
// by half a unit of its own direction, which moves the crossing along the
// other line by that over the sine of the angle between them.
double Bound(const Placement& placement, double angle) {
  return placement.exact_differences ? 4.0 : 4.0 + 2.0 / angle;
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
      EXPECT_LE(cell.worst, Bound(placement, angle)) << placement.name << ", angle " << angle;
    }
    table += "\n";
  }
  std::printf("error in units in the last place, median / worst of 200 pairs of lines:\n%s",
              table.c_str());
}

}  // namespace

// Points within a factor of 2 of each other have exact differences, and the
// parameter of the crossing is then a quotient of two cross products within
// 2 units of rounding each: with the product and the sum after it, the
// crossing is off by at most 6u |P0 - X| + u |X| per coordinate (u = 2^-53),
// that is 6.5 units in the last place of the largest coordinate. Lines
// crossing well outside the segments between their points come near it.
TEST(MeetingPointAccuracy, ExactDifferencesStayWithinTheirRoundingBound) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> spread(1.05, 1.95);
  double worst = 0.0;
  for (int i = 0; i < 100000; ++i) {
    const double size = std::ldexp(1.0, (i % 5 - 2) * 400);
    std::array<TMyPoint, 4> p{};
    std::generate(p.begin(), p.end(),
                  [&] { return TMyPoint(size * spread(random), size * spread(random)); });
    const auto exact = ExactCrossing(p[0], p[1], p[2], p[3]);
    const auto crossing = MeetingPoint(p[0], p[1], p[2], p[3]);
    ASSERT_EQ(exact.has_value(), crossing.has_value());
    if (crossing) {
      double largestPoint = 0.0;
      for (const TMyPoint point : p) {
        largestPoint = std::max({largestPoint, point.x, point.y});
      }
      worst = std::max(worst, UlpsOff(*crossing, *exact, largestPoint));
    }
  }
  std::printf("points within a factor of 2: worst %.3g units in the last place\n", worst);
  EXPECT_LE(worst, 6.5);
}
