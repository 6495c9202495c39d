// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <limits>
#include <ostream>
#include <string>

#include "Renumbering.h"
#include "Utmyrectangle.h"

namespace {

TMyRectangle Figure(TMyPoint c0, TMyPoint c1, TMyPoint c2, TMyPoint c3) {
  TMyRectangle figure;
  figure.corners = {c0, c1, c2, c3};
  return figure;
}

// Every numbering of the corners is the same figure and gets the same answer.
void ExpectEveryNumberingToAnswer(const TMyRectangle& figure, bool expected) {
  for (const figures::Numbering& numbering : figures::EveryNumbering(figure.corners)) {
    TMyRectangle renumbered;
    renumbered.corners = numbering.corners;
    EXPECT_EQ(renumbered.CanInscribeCircle(), expected) << numbering;
  }
}

struct Case {
  std::string name;
  TMyRectangle figure;
  bool inscribable = false;
};

std::ostream& operator<<(std::ostream& out, const Case& c) { return out << c.name; }

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kTiny = 0x1p-1070;
constexpr double kLeast = std::numeric_limits<double>::denorm_min();

class FigureVerdict : public testing::TestWithParam<Case> {};

TEST_P(FigureVerdict, MatchesTheGeometry) {
  EXPECT_EQ(GetParam().figure.CanInscribeCircle(), GetParam().inscribable);
}

TEST_P(FigureVerdict, DoesNotDependOnWhereTheNumberingStartsOrWhichWayItRuns) {
  ExpectEveryNumberingToAnswer(GetParam().figure, GetParam().inscribable);
}

// A tangential figure with one corner slid by about 1e-14 of its size: its
// crossings lie about as far apart as the tolerance allows, so that rounding
// alone would decide, differently for different numberings, were the
// constructions not always done in one numbering.
TEST(FigureVerdict, OnTheEdgeOfTheToleranceIsStillOneAnswer) {
  const TMyRectangle figure = Figure(
      {0x1.2b4f90a4084b6p+1, 0x1.0e3434c951e1p+2}, {0x1.3c917e80d404ap+3, 0x1.88af51fd13dp-4},
      {0x1.f099cae4baap-2, 0x1.143d091b09debp+3}, {0x1.0fbe67fa7a3c7p+1, 0x1.1fea9511d74e6p+2});
  ExpectEveryNumberingToAnswer(figure, figure.CanInscribeCircle());
}

INSTANTIATE_TEST_SUITE_P(
    Figures, FigureVerdict,
    testing::Values(
        Case{"the_3_by_3_square", Figure({0, 0}, {0, 3}, {3, 3}, {3, 0}), true},
        Case{"the_4_by_4_square", Figure({0, 0}, {0, 4}, {4, 4}, {4, 0}), true},
        Case{"a_square_off_the_origin", Figure({1, 1}, {1, 3}, {3, 3}, {3, 1}), true},
        Case{"a_4_by_2_rectangle", Figure({0, 0}, {0, 2}, {4, 2}, {4, 0}), false},
        // Exact equality of the two computed crossings fails here by one unit.
        Case{"a_tilted_square", Figure({0, 0}, {3, 1}, {2, 4}, {-1, 3}), true},
        Case{"a_rhombus", Figure({0, 0}, {3, 4}, {8, 4}, {5, 0}), true},
        Case{"a_kite", Figure({0, 5}, {3, 0}, {0, -1}, {-3, 0}), true},
        Case{"a_kite_with_sides_3_and_4", Figure({0, 0}, {3, 0}, {3, 4}, {-0.84, 2.88}), true},
        Case{"an_isosceles_trapezoid_with_sides_2_8_5_5", Figure({0, 0}, {8, 0}, {5, 4}, {3, 4}),
             true},
        Case{"a_parallelogram", Figure({0, 0}, {1, 2}, {4, 2}, {3, 0}), false},
        Case{"a_generic_convex_figure", Figure({0, 0}, {7, 1}, {6, 5}, {1, 3}), false},
        // Bisector lines that meet in one point do not make a concave or
        // self-intersecting outline tangential.
        Case{"a_dart", Figure({0, 3}, {1, 0}, {0, 1}, {-1, 0}), false},
        Case{"a_bow_tie", Figure({0, 0}, {2, 2}, {2, 0}, {0, 2}), false},
        Case{"a_crossed_square", Figure({0, 0}, {3, 3}, {0, 3}, {3, 0}), false},
        Case{"the_default_figure", TMyRectangle{}, false},
        Case{"two_corners_in_one_place", Figure({0, 0}, {0, 0}, {1, 1}, {1, 0}), false},
        Case{"opposite_corners_in_one_place", Figure({0, 0}, {1, 1}, {0, 0}, {1, 0}), false},
        Case{"a_triangle_with_a_corner_on_a_side", Figure({0, 0}, {0, 4}, {3, 0}, {1.5, 0}), false},
        Case{"all_corners_on_one_line", Figure({0, 0}, {1, 1}, {2, 2}, {3, 3}), false},
        Case{"a_NaN_corner", Figure({0, 0}, {0, 3}, {3, kNaN}, {3, 0}), false},
        Case{"an_infinite_corner", Figure({0, 0}, {0, 3}, {kInf, 3}, {3, 0}), false},
        Case{"a_square_spanning_all_doubles",
             Figure({-kMax, -kMax}, {-kMax, kMax}, {kMax, kMax}, {kMax, -kMax}), true},
        Case{"a_subnormal_square", Figure({0, 0}, {0, kTiny}, {kTiny, kTiny}, {kTiny, 0}), true},
        Case{"a_huge_rectangle", Figure({0, 0}, {0, 2e300}, {4e300, 2e300}, {4e300, 0}), false},
        Case{"a_tiny_rhombus", Figure({0, 0}, {3e-300, 4e-300}, {8e-300, 4e-300}, {5e-300, 0}),
             true},
        Case{"the_smallest_square", Figure({0, 0}, {0, kLeast}, {kLeast, kLeast}, {kLeast, 0}),
             true},
        // Corners at the top of the range, whose sides would overflow unless
        // the corners were halved first.
        Case{"a_square_from_minus_to_plus_2_to_the_1023",
             Figure({-0x1p1023, -0x1p1023}, {-0x1p1023, 0x1p1023}, {0x1p1023, 0x1p1023},
                    {0x1p1023, -0x1p1023}),
             true},
        // Its bisectors' crossings multiplied through by their denominators,
        // about 2^-600 each, underflow to 0, and so does the allowance.
        Case{"a_rectangle_of_1_by_2_to_the_minus_300",
             Figure({0, 0}, {1, 0}, {1, 0x1p-300}, {0, 0x1p-300}), false},
        // Kites with sides of about 2^-151 of their length, the sharpest
        // whose crossings' denominators are still trusted (just above
        // 2^-450) and the bluntest whose are not.
        Case{"the_sharpest_trusted_kite",
             Figure({0, 0}, {0x1.8ace5422aa0dbp-152, 0x1.8ace5422aa0dbp-152}, {1, 0},
                    {0x1.8ace5422aa0dbp-152, -0x1.8ace5422aa0dbp-152}),
             true},
        Case{"the_bluntest_untrusted_kite",
             Figure({0, 0}, {0x1.6a09e667f3bcdp-152, 0x1.6a09e667f3bcdp-152}, {1, 0},
                    {0x1.6a09e667f3bcdp-152, -0x1.6a09e667f3bcdp-152}),
             false}),
    [](const testing::TestParamInfo<Case>& param) { return param.param.name; });

}  // namespace
