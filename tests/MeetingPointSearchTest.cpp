// SPDX-License-Identifier: MIT
// Searches that climb towards MeetingPoint's worst error against exact
// rational arithmetic, in the families where its rounding is hardest: integer
// points near 2^52 whose crossing lies far from P0, coordinates near the top
// of the double range, points at scales from 1e-300 to 1e300, and nearly
// parallel lines. Each search is seeded and deterministic: from a few
// starting lines it moves one coordinate at a time and keeps every move that
// does not lower the error. Every line met is held to the proven bound, and
// the worst found is printed.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <random>
#include <string>

#include "MeetingPointOracle.h"
#include "Utmypoint.h"

namespace {

using Lines = std::array<TMyPoint, 4>;
using oracle::Magnitude;

constexpr double kLargest = std::numeric_limits<double>::max();

std::string Describe(const Lines& l) {
  std::array<char, 256> text{};
  std::snprintf(text.data(), text.size(), "(%a, %a) (%a, %a) (%a, %a) (%a, %a)", l[0].x, l[0].y,
                l[1].x, l[1].y, l[2].x, l[2].y, l[3].x, l[3].y);
  return text.data();
}

// The error of MeetingPoint on these lines, in units in the last place of
// the largest coordinate, after checking it against the proven bound and
// the rules for no value; negative where the lines have no crossing.
double worstBeyondNearest = 0.0;

double CheckedError(const Lines& l) {
  const auto exact = oracle::ExactCrossing(l[0], l[1], l[2], l[3]);
  const auto computed = MeetingPoint(l[0], l[1], l[2], l[3]);
  const bool identical = l[0] == l[1] || l[2] == l[3];
  if (!exact || identical) {
    EXPECT_FALSE(computed.has_value()) << "no crossing: " << Describe(l);
    return -1.0;
  }
  const double reach = std::max(Magnitude(exact->x), Magnitude(exact->y));
  if (reach > kLargest) {
    EXPECT_FALSE(computed.has_value()) << "beyond the range: " << Describe(l);
    return -1.0;
  }
  if (!computed) {
    // Only a crossing within a hair of the end of the range may round beyond it.
    EXPECT_GT(reach, kLargest * (1 - 0x1p-40))
        << "a finite crossing without a value: " << Describe(l);
    return -1.0;
  }
  const double largestPoint = oracle::LargestCoordinate(l[0], l[1], l[2], l[3]);
  const double error = oracle::UlpsOff(*computed, *exact, largestPoint);
  EXPECT_LE(error, oracle::ProvenBound(*exact)) << Describe(l);
  const double beyond = oracle::BeyondNearest(*computed, *exact, largestPoint);
  worstBeyondNearest = std::max(worstBeyondNearest, beyond);
  EXPECT_LE(beyond, oracle::kBeyondNearest) << Describe(l);
  return error;
}

struct Family {
  const char* name;
  std::function<Lines(std::mt19937_64&)> start;
  std::function<double(double, std::mt19937_64&)> move;  // a coordinate, moved
};

// From each start, 150 moves of one coordinate each; a move is kept when the
// error does not fall.
double Climb(const Family& family, std::uint64_t seed) {
  std::mt19937_64 random(seed);
  std::uniform_int_distribution<int> which(0, 7);
  worstBeyondNearest = 0.0;
  double worst = 0.0;
  Lines worstLines{};
  for (int start = 0; start < 24; ++start) {
    Lines lines = family.start(random);
    double error = CheckedError(lines);
    for (int step = 0; step < 150; ++step) {
      Lines moved = lines;
      const int index = which(random);
      double& coordinate = index % 2 == 0 ? moved[static_cast<std::size_t>(index / 2)].x
                                          : moved[static_cast<std::size_t>(index / 2)].y;
      coordinate = family.move(coordinate, random);
      if (const double movedError = CheckedError(moved); movedError >= error) {
        lines = moved;
        error = movedError;
      }
      if (::testing::Test::HasFailure()) {
        return worst;
      }
    }
    if (error > worst) {
      worst = error;
      worstLines = lines;
    }
  }
  std::printf("%s: worst %.6f units in the last place, %.3g beyond the nearest double, at %s\n",
              family.name, worst, worstBeyondNearest, Describe(worstLines).c_str());
  return worst;
}

// A double moved by up to 2^k units in its last place, k random.
double ByUnits(double value, std::mt19937_64& random, int most) {
  std::uniform_int_distribution<int> power(0, most);
  std::uniform_int_distribution<int> sign(0, 1);
  const double units = std::ldexp(1.0, power(random)) * (sign(random) != 0 ? 1 : -1);
  const double unit = std::ldexp(std::numeric_limits<double>::epsilon(), std::ilogb(value));
  return value + units * unit;
}

TEST(MeetingPointSearch, IntegerPointsNear2To52WithTheCrossingFarFromP0) {
  constexpr double kTop = 0x1p52;
  const Family family{
      "integers near 2^52, crossing far from P0",
      [](std::mt19937_64& random) {
        std::uniform_real_distribution<double> near(0, 0x1p20);
        std::uniform_real_distribution<double> step(0x1p30, 0x1p36);
        std::uniform_real_distribution<double> slope(0.5, 2.0);
        const TMyPoint P0(std::round(-kTop + near(random)), std::round(-kTop + near(random)));
        const double a = std::round(step(random));
        const TMyPoint P1(P0.x + a, P0.y + std::round(a * slope(random)));
        const TMyPoint P2(std::round(kTop - near(random)), std::round(kTop - near(random)));
        const double c = std::round(step(random));
        const TMyPoint P3(P2.x + c, P2.y + std::round(c * slope(random)));
        return Lines{P0, P1, P2, P3};
      },
      [](double value, std::mt19937_64& random) {
        std::uniform_int_distribution<int> power(0, 30);
        std::uniform_int_distribution<int> sign(0, 1);
        const double moved = value + std::ldexp(sign(random) != 0 ? 1.0 : -1.0, power(random));
        return std::clamp(moved, -kTop + 1, kTop - 1);
      }};
  EXPECT_LE(Climb(family, 13), 0.5 + 0x1p-10);
}

TEST(MeetingPointSearch, CoordinatesNearTheTopOfTheRange) {
  const Family family{"coordinates from 0.9e308 to the largest double",
                      [](std::mt19937_64& random) {
                        std::uniform_real_distribution<double> size(0.9e308, kLargest);
                        std::uniform_int_distribution<int> sign(0, 1);
                        Lines lines{};
                        std::generate(lines.begin(), lines.end(), [&] {
                          return TMyPoint(size(random) * (sign(random) != 0 ? 1 : -1),
                                          size(random) * (sign(random) != 0 ? 1 : -1));
                        });
                        return lines;
                      },
                      [](double value, std::mt19937_64& random) {
                        const double moved = ByUnits(value, random, 50);
                        const double magnitude = std::clamp(std::fabs(moved), 0.9e308, kLargest);
                        return std::copysign(magnitude, value);
                      }};
  EXPECT_LE(Climb(family, 17), 0.5 + 0x1p-10);
}

TEST(MeetingPointSearch, PointsAtScalesFrom1eMinus300To1e300) {
  const Family family{"scales from 1e-300 to 1e300",
                      [](std::mt19937_64& random) {
                        std::uniform_real_distribution<double> unit(-1.0, 1.0);
                        std::uniform_int_distribution<int> decade(-300, 300);
                        const double scale = std::pow(10.0, decade(random));
                        Lines lines{};
                        std::generate(lines.begin(), lines.end(), [&] {
                          return TMyPoint(unit(random) * scale, unit(random) * scale);
                        });
                        return lines;
                      },
                      [](double value, std::mt19937_64& random) {
                        return value == 0.0 ? value : ByUnits(value, random, 52);
                      }};
  EXPECT_LE(Climb(family, 19), 0.75 + 0x1p-10);
}

TEST(MeetingPointSearch, NearlyParallelLines) {
  const Family family{
      "nearly parallel lines",
      [](std::mt19937_64& random) {
        std::uniform_real_distribution<double> unit(-1.0, 1.0);
        std::uniform_real_distribution<double> turn(0.0, 6.283185307179586);
        std::uniform_int_distribution<int> steepness(4, 15);
        const double phi = turn(random);
        const double angle = std::pow(10.0, -steepness(random));
        const TMyPoint centre(unit(random), unit(random));
        const TMyPoint d1(std::cos(phi), std::sin(phi));
        const TMyPoint d2(std::cos(phi + angle), std::sin(phi + angle));
        return Lines{centre - d1, centre + d1 * 0.75, centre - d2 * 0.5, centre + d2};
      },
      [](double value, std::mt19937_64& random) {
        return value == 0.0 ? value : ByUnits(value, random, 8);
      }};
  EXPECT_LE(Climb(family, 23), 0.5 + 0x1p-10);
}

}  // namespace
