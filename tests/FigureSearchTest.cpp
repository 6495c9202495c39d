// SPDX-License-Identifier: MIT
// The figure test's bounds under a search for their worst case: hill climbs
// over families of figures, each step bisecting a slide of one corner to the
// edge where the verdict turns.
// - The frontier: the largest defect that still answers yes must stay below
//   the bound proven for the figure (docs/proofs/figure-test.md, Theorem 2),
//   and so below the one stated for its family.
// - The room: a tangential figure, rounded once from one drawn around a
//   known circle or exact as doubles, must answer yes; the climb seeks the
//   figure with the least room left before it would not, measured in the
//   limit that the rounding of its own coordinates sets.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ExactOracle.h"
#include "ExtremeCorners.h"
#include "FigureSearch.h"

namespace {

using extreme::kDegree;
using extreme::kPi;
using extreme::Outline;
using Parameters = std::vector<long double>;

constexpr long double kNotInFamily = std::numeric_limits<long double>::quiet_NaN();

// Four corner angles that add up to a full turn: the first given, the next
// two from parameters between 5 and 175 degrees, the last what is left,
// which must lie there too.
std::optional<std::array<long double, 4>> Angles(long double first, long double second,
                                                 long double third) {
  const auto ordinary = [](long double p) { return (5 + 170 * p) * kDegree; };
  std::array<long double, 4> angles{first, ordinary(second), ordinary(third), 0};
  angles[3] = 2 * kPi - angles[0] - angles[1] - angles[2];
  if (angles[3] < 5 * kDegree || angles[3] > 175 * kDegree) {
    return std::nullopt;
  }
  return angles;
}

struct Placement {
  long double away = 0;       // the distance from the origin, in sizes of the figure
  long double direction = 0;  // radians
  int decimalExponent = 0;    // the scale
};

// Moved and scaled in long double, rounded once.
Outline Placed(const Outline& o, const Placement& placement) {
  long double size = 0;
  for (const TMyPoint p : o) {
    size = std::max(size, std::hypot(static_cast<long double>(p.x), static_cast<long double>(p.y)));
  }
  const long double shiftX = placement.away * size * std::cos(placement.direction);
  const long double shiftY = placement.away * size * std::sin(placement.direction);
  const long double scale = std::pow(10.0L, static_cast<long double>(placement.decimalExponent));
  Outline placed;
  for (std::size_t i = 0; i < 4; ++i) {
    placed[i] = TMyPoint(static_cast<double>((static_cast<long double>(o[i].x) + shiftX) * scale),
                         static_cast<double>((static_cast<long double>(o[i].y) + shiftY) * scale));
  }
  return placed;
}

int Scale(long double parameter) { return static_cast<int>(std::lround(-300 + 600 * parameter)); }

// The slides that the edge is sought along: one corner, towards either
// neighbour, inwards and outwards, each far enough to make a defect of
// `far` of the perimeter.
struct Slide {
  std::size_t towards = 0;
  long double by = 0;
};

std::array<Slide, 4> SlidesTo(const Outline& o, std::size_t corner, long double far) {
  std::array<Slide, 4> slides{};
  std::size_t k = 0;
  for (const std::size_t towards : {(corner + 1) % 4, (corner + 3) % 4}) {
    constexpr long double kTrial = 1e-3L;
    const long double perUnitSlide =
        extreme::PitotDefect(search::SlidBy(o, corner, towards, kTrial)) / kTrial;
    for (const long double sign : {1.0L, -1.0L}) {
      slides[k++] = {towards, sign * far / perUnitSlide};
    }
  }
  return slides;
}

// The finest Pitot defect that Theorem 2 proves to answer no, for a figure
// whose largest coordinate is `largestOverPerimeter` of its perimeter.
long double ProvenDefect(long double largestOverPerimeter) {
  constexpr long double kEpsilon = 0x1p-52L;  // DBL_EPSILON
  return 4 * std::sqrt(2.0L) * kEpsilon * (33.25L + 1.09L * largestOverPerimeter);
}

long double LargestCoordinate(const Outline& o) {
  long double largest = 0;
  for (const TMyPoint p : o) {
    largest = std::max({largest, static_cast<long double>(std::fabs(p.x)),
                        static_cast<long double>(std::fabs(p.y))});
  }
  return largest;
}

long double LargestOverPerimeter(const Outline& o) {
  long double perimeter = 0;
  for (std::size_t k = 0; k < 4; ++k) {
    perimeter += extreme::SideLength(o, k);
  }
  return LargestCoordinate(o) / perimeter;
}

// The largest defect that answers yes over the four slides of one corner,
// and the largest of them relative to the bound proven for its figure.
struct Edge {
  long double defect = 0;
  long double ofProvenBound = 0;
};

Edge WorstEdge(const Outline& unplaced, std::size_t corner, const Placement& placement,
               long double far) {
  Edge worst;
  for (const Slide slide : SlidesTo(unplaced, corner, far)) {
    const std::optional<Outline> edge = search::EdgeFigure(
        [&](long double by) {
          return Placed(search::SlidBy(unplaced, corner, slide.towards, by), placement);
        },
        slide.by);
    if (edge) {
      const long double defect = extreme::PitotDefect(*edge);
      worst.defect = std::max(worst.defect, defect);
      worst.ofProvenBound =
          std::max(worst.ofProvenBound, defect / ProvenDefect(LargestOverPerimeter(*edge)));
    }
  }
  return worst;
}

// The least room, over the four slides of one corner, in units of the limit
// that the figure's rounding sets: 0 when the smallest move of the corner
// already turns the verdict.
long double LeastRoom(const Outline& unplaced, std::size_t corner, const Placement& placement,
                      long double far) {
  const long double limit = search::PhysicalLimit(Placed(unplaced, placement));
  long double least = std::numeric_limits<long double>::infinity();
  for (const Slide slide : SlidesTo(unplaced, corner, far)) {
    least = std::min(least, search::EdgeDefect(
                                [&](long double by) {
                                  return Placed(search::SlidBy(unplaced, corner, slide.towards, by),
                                                placement);
                                },
                                slide.by) /
                                limit);
  }
  return least;
}

// A family of rounded tangential figures: their first corner's angle from a
// range (or the ordinary one), at a distance from the origin from a range,
// at any scale from 10^-300 to 10^300. Parameters: first angle, two more
// angles, turn, direction, distance, scale, corner slid.
struct Family {
  std::string name;
  long double sharpest = 0;  // the first corner's angle, degrees
  long double bluntest = 0;
  long double nearest = 0;  // sizes from the origin
  long double farthest = 0;
  long double frontier = 0;  // the defect, of the perimeter, that answers no
};

std::ostream& operator<<(std::ostream& out, const Family& f) { return out << f.name; }

struct Drawn {
  Outline unplaced;
  Placement placement;
  std::size_t corner = 0;
};

std::optional<Drawn> Draw(const Family& f, const Parameters& p) {
  // Sharp corners spread over decades of their angle, blunt ones over
  // decades of what they lack of a straight angle.
  const long double first =
      f.bluntest <= 90 ? search::Logarithmic(p[0], f.sharpest, f.bluntest)
                       : 180 - search::Logarithmic(p[0], 180 - f.bluntest, 180 - f.sharpest);
  const auto angles = Angles(first * kDegree, p[1], p[2]);
  if (!angles) {
    return std::nullopt;
  }
  const long double away =
      f.nearest == f.farthest ? f.nearest : search::Logarithmic(p[5], f.nearest, f.farthest);
  const Outline unplaced = extreme::AroundTheUnitCircle(*angles, 2 * kPi * p[3]);
  // No larger than 10^300 where it lies, however sharp its corner.
  long double size = 0;
  for (const TMyPoint corner : unplaced) {
    size = std::max(
        size, std::hypot(static_cast<long double>(corner.x), static_cast<long double>(corner.y)));
  }
  const int largestScale = 300 - static_cast<int>(std::ceil(std::log10(size * (1 + away))));
  return Drawn{unplaced,
               {away, 2 * kPi * p[4], std::min(Scale(p[6]), largestScale)},
               std::min<std::size_t>(3, static_cast<std::size_t>(4 * p[7]))};
}

constexpr std::size_t kFamilyParameters = 8;

// A family's frontier, what the bound proves for all of it: a figure A
// sizes (its largest distance of a corner from the incircle's centre) from
// the origin has its largest coordinate within A + 1 sizes and a perimeter
// of at least 2 sizes.
long double FamilyFrontier(long double farthest) { return ProvenDefect((farthest + 1) / 2); }

class Frontier : public testing::TestWithParam<Family> {};

// Climbs towards the largest defect that still answers yes, relative to the
// bound proven for each figure.
TEST_P(Frontier, NoDefectAtOrAboveItAnswersYes) {
  const Family& family = GetParam();
  long double largestDefect = 0;
  const search::Peak peak = search::Climb(
      kFamilyParameters,
      [&](const Parameters& p) {
        const auto drawn = Draw(family, p);
        if (!drawn) {
          return kNotInFamily;
        }
        const Edge edge =
            WorstEdge(drawn->unplaced, drawn->corner, drawn->placement, 10 * family.frontier);
        largestDefect = std::max(largestDefect, edge.defect);
        return edge.ofProvenBound;
      },
      20261210, 12, 150);
  ASSERT_FALSE(peak.parameters.empty());
  const auto worst = Draw(family, peak.parameters);
  const Outline figure = Placed(worst->unplaced, worst->placement);
  const Edge edge =
      WorstEdge(worst->unplaced, worst->corner, worst->placement, 10 * family.frontier);
  std::printf(
      "%s: worst defect answering yes %.3Lg of its proven bound, %.3Lg of the perimeter, "
      "%.3Lg times the rounding limit; largest %.3Lg (frontier %.3Lg), after %ld figures\n",
      family.name.c_str(), peak.value, edge.defect, edge.defect / search::PhysicalLimit(figure),
      largestDefect, family.frontier, peak.evaluations);
  EXPECT_LT(peak.value, 1);
  EXPECT_LT(largestDefect, family.frontier);
}

INSTANTIATE_TEST_SUITE_P(
    Defects, Frontier,
    testing::Values(
        Family{"ordinary_near_the_origin", 5, 175, 0, 0, FamilyFrontier(0)},
        Family{"ordinary_up_to_1e3_sizes_away", 5, 175, 1, 1e3L, FamilyFrontier(1e3L)},
        Family{"sharp_corner_up_to_1e6_sizes_away", 1e-8L, 5, 1e-3L, 1e6L, FamilyFrontier(1e6L)},
        Family{"blunt_corner_up_to_1e6_sizes_away", 175, 179.999999999L, 1e-3L, 1e6L,
               FamilyFrontier(1e6L)},
        Family{"ordinary_1e9_sizes_away", 5, 175, 1e9L, 1e9L, FamilyFrontier(1e9L)},
        Family{"ordinary_1e12_sizes_away", 5, 175, 1e12L, 1e12L, FamilyFrontier(1e12L)}),
    [](const testing::TestParamInfo<Family>& row) { return row.param.name; });

// How far apart the two crossings of the bisector lines of the figure's
// corners, as they are (doubles), lie in long double, in units of 2^-52 of
// its largest coordinate times the magnification (the sum of the reciprocal
// sines of the angles at which the bisectors cross): what the rounding of a
// tangential figure's corners costs, in the measure of the allowance's
// second term. Theorem 3 bounds it by 1 for any figure whose coordinates lie
// within 2^-53 of the largest of a tangential one's.
long double RoundedCornerUnits(const Outline& f) {
  using extreme::Wide;
  const auto unit = [](Wide v) {
    const long double length = std::hypot(v.x, v.y);
    return Wide{v.x / length, v.y / length};
  };
  const auto cross = [](Wide a, Wide b) { return a.x * b.y - a.y * b.x; };
  const auto size = [](Wide v) { return std::hypot(v.x, v.y); };
  const Wide first = extreme::Difference(f[1], f[0]);
  const Wide second = extreme::Difference(f[2], f[1]);
  const long double turn = cross(first, second) > 0 ? 1 : -1;
  std::array<Wide, 4> along{};
  for (std::size_t i = 0; i < 4; ++i) {
    const Wide next = unit(extreme::Difference(f[(i + 1) % 4], f[i]));
    const Wide previous = unit(extreme::Difference(f[(i + 3) % 4], f[i]));
    const Wide sum{next.x + previous.x, next.y + previous.y};
    const Wide difference{next.x - previous.x, next.y - previous.y};
    along[i] = {sum.x - turn * difference.y, sum.y + turn * difference.x};
  }
  struct Crossing {
    Wide point;
    long double magnification = 0;
  };
  const auto crossing = [&](std::size_t a, std::size_t b) {
    const Wide u = along[a];
    const Wide v = along[b];
    const Wide between = extreme::Difference(f[b], f[a]);
    const long double t = cross(between, v) / cross(u, v);
    return Crossing{
        {static_cast<long double>(f[a].x) + t * u.x, static_cast<long double>(f[a].y) + t * u.y},
        size(u) * size(v) / std::fabs(cross(u, v))};
  };
  const long double largest = LargestCoordinate(f);
  // The pairs the figure test crosses: the lowest corner (smallest x, then
  // y) with its higher neighbour, its lower neighbour with the corner
  // opposite.
  const auto below = [&](std::size_t a, std::size_t b) {
    return f[a].x < f[b].x || (f[a].x == f[b].x && f[a].y < f[b].y);
  };
  std::size_t lowest = 0;
  for (std::size_t i = 1; i < 4; ++i) {
    lowest = below(i, lowest) ? i : lowest;
  }
  const std::size_t after = (lowest + 1) % 4;
  const std::size_t before = (lowest + 3) % 4;
  const std::size_t lower = below(after, before) ? after : before;
  const std::size_t higher = lower == after ? before : after;
  const Crossing one = crossing(lowest, higher);
  const Crossing other = crossing(lower, (lowest + 2) % 4);
  const long double apart =
      std::max(std::fabs(one.point.x - other.point.x), std::fabs(one.point.y - other.point.y));
  return apart / (static_cast<long double>(std::numeric_limits<double>::epsilon()) * largest *
                  (one.magnification + other.magnification));
}

class Room : public testing::TestWithParam<Family> {};

// Climbs towards the tangential figure whose rounded corners put its
// crossings farthest apart.
TEST_P(Room, EveryTangentialFigureAnswersYes) {
  const Family& family = GetParam();
  long tangential = 0;
  long refused = 0;
  const search::Peak peak = search::Climb(
      kFamilyParameters,
      [&](const Parameters& p) {
        const auto drawn = Draw(family, p);
        if (!drawn) {
          return kNotInFamily;
        }
        ++tangential;
        const Outline figure = Placed(drawn->unplaced, drawn->placement);
        if (!search::Verdict(figure) && ++refused <= 5) {
          ADD_FAILURE() << family.name
                        << ": a tangential figure answers no: " << search::Describe(figure);
        }
        return RoundedCornerUnits(figure);
      },
      20261211, 400, 100);
  std::printf(
      "%s: crossings at most %.3Lg units of the corners' rounding apart, of %ld "
      "tangential figures\n",
      family.name.c_str(), peak.value, tangential);
  EXPECT_EQ(refused, 0);
  EXPECT_GT(tangential, 5000);
  EXPECT_LE(peak.value, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Tangential, Room,
    testing::Values(Family{"sharpest_corner_near_the_origin", 1e-8L, 1e-4L, 1e-3L, 1},
                    Family{"bluntest_corner_near_the_origin", 179.9999L, 179.999999999L, 1e-3L, 1},
                    Family{"sharp_corner_up_to_1e6_sizes_away", 1e-6L, 1e-2L, 1e-3L, 1e6L},
                    Family{"blunt_corner_up_to_1e6_sizes_away", 179.99L, 179.999999L, 1e-3L, 1e6L},
                    Family{"ordinary_up_to_1e12_sizes_away", 5, 175, 1e-3L, 1e12L}),
    [](const testing::TestParamInfo<Family>& row) { return row.param.name; });

// Figures whose corners are exactly tangential as doubles: integer corners
// of kites, of isosceles trapezoids (-m², 0), (m², 0), (n², 2mn), (-n², 2mn)
// with two sharp corners side by side, and of rhombi, each turned and
// stretched by an integer similarity, moved by whole units and scaled by a
// power of two, all of which leave them exact.
enum class Shape { kite, trapezoid, rhombus };

std::optional<Outline> ExactFigure(Shape shape, const Parameters& p) {
  std::array<std::array<long double, 2>, 4> corners{};
  if (shape == Shape::kite) {
    const long double side = std::floor(1 + 99 * p[0]);
    const long double top = std::floor(side * search::Logarithmic(p[1], 1, 1e8L));
    const long double bottom = std::floor(side * search::Logarithmic(p[2], 1e-2L, 1e2L)) + 1;
    corners = {{{0, top}, {side, 0}, {0, -bottom}, {-side, 0}}};
  } else if (shape == Shape::trapezoid) {
    const long double m = std::floor(search::Logarithmic(p[1], 2, 1.5e7L));
    const long double n = std::floor(1 + 4 * p[0]);
    if (n >= m) {
      return std::nullopt;
    }
    corners = {{{-m * m, 0}, {m * m, 0}, {n * n, 2 * m * n}, {-n * n, 2 * m * n}}};
  } else {
    const long double ux = std::floor(search::Logarithmic(p[1], 1, 1e7L));
    const long double uy = std::floor(search::Logarithmic(p[2], 1, 1e7L));
    if (ux == uy) {
      return std::nullopt;
    }
    corners = {{{0, 0}, {ux, uy}, {ux + uy, uy + ux}, {uy, ux}}};
  }
  const long double a = std::floor(1 + 20 * p[3]);
  const long double b = std::floor(20 * p[4]);
  const long double shift = std::floor(search::Logarithmic(p[5], 1, 1e15L));
  const int exponent = static_cast<int>(std::lround(-990 + 1980 * p[6]));
  Outline figure;
  for (std::size_t i = 0; i < 4; ++i) {
    const long double x = a * corners[i][0] - b * corners[i][1] + shift;
    const long double y = b * corners[i][0] + a * corners[i][1] - shift;
    if (std::fabs(x) >= 0x1p53L || std::fabs(y) >= 0x1p53L) {
      return std::nullopt;
    }
    figure[i] = TMyPoint(std::ldexp(static_cast<double>(x), exponent),
                         std::ldexp(static_cast<double>(y), exponent));
  }
  return figure;
}

struct ExactFamily {
  std::string name;
  Shape shape = Shape::kite;
};

std::ostream& operator<<(std::ostream& out, const ExactFamily& f) { return out << f.name; }

// The constructions are tangential: where the exact oracle reaches, it
// says so.
TEST(ExactlyTangentialFigures, AreTangentialToTheExactOracle) {
  int checked = 0;
  for (const long double k : {0.1L, 0.2L, 0.3L, 0.4L, 0.5L}) {
    for (const Shape shape : {Shape::kite, Shape::trapezoid, Shape::rhombus}) {
      const auto figure = ExactFigure(shape, {k, 0.2L * k, 0.4L * k, k, k / 2, 0, 0.5L});
      if (!figure) {
        continue;
      }
      oracle::IntFigure exact;
      for (std::size_t i = 0; i < 4; ++i) {
        exact[i] = {static_cast<std::int64_t>((*figure)[i].x),
                    static_cast<std::int64_t>((*figure)[i].y)};
      }
      EXPECT_TRUE(oracle::HasIncircle(exact)) << search::Describe(*figure);
      ++checked;
    }
  }
  EXPECT_GE(checked, 12);
}

class ExactlyTangential : public testing::TestWithParam<ExactFamily> {};

TEST_P(ExactlyTangential, AlwaysAnswersYes) {
  const ExactFamily& family = GetParam();
  long tried = 0;
  long refused = 0;
  const search::Peak peak = search::Climb(
      8,
      [&](const Parameters& p) {
        const auto figure = ExactFigure(family.shape, p);
        if (!figure) {
          return kNotInFamily;
        }
        ++tried;
        if (!search::Verdict(*figure) && ++refused <= 5) {
          ADD_FAILURE() << family.name << ": an exactly tangential figure answers no: "
                        << search::Describe(*figure);
        }
        return -LeastRoom(*figure, std::min<std::size_t>(3, static_cast<std::size_t>(4 * p[7])),
                          Placement{}, 1e-2L);
      },
      20261212, 6, 120);
  std::printf("%s: least room %.3Lg times the rounding limit, of %ld figures\n",
              family.name.c_str(), -peak.value, tried);
  EXPECT_EQ(refused, 0);
  EXPECT_GT(tried, 500);
}

INSTANTIATE_TEST_SUITE_P(
    Exact, ExactlyTangential,
    testing::Values(ExactFamily{"kites_of_aspect_up_to_1e8", Shape::kite},
                    ExactFamily{"trapezoids_with_two_sharp_corners", Shape::trapezoid},
                    ExactFamily{"rhombi_sharp_and_blunt_at_once", Shape::rhombus}),
    [](const testing::TestParamInfo<ExactFamily>& row) { return row.param.name; });

}  // namespace
