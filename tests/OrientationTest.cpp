// SPDX-License-Identifier: MIT
// The turn of three corners, as the library decides it (the filter, its
// second stage, the expansion arithmetic), against exact rational
// arithmetic; and figures that miss strict convexity by a hair, with
// coordinates whose differences round, at every scale.

#include <gmpxx.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "Orientation.h"
#include "Renumbering.h"
#include "Utmyrectangle.h"

namespace {

using Corners = std::array<TMyPoint, 4>;
constexpr double kUnit = 0x1p-53;  // u, the unit roundoff

int RationalTurn(TMyPoint a, TMyPoint b, TMyPoint c) {
  const mpq_class ax(a.x);
  const mpq_class ay(a.y);
  const mpq_class bx(b.x);
  const mpq_class by(b.y);
  const mpq_class cx(c.x);
  const mpq_class cy(c.y);
  const mpq_class turn = (bx - ax) * (cy - by) - (by - ay) * (cx - bx);
  return sgn(turn);
}

// The exact turn, as a double (rounded once), for comparing with bounds.
double RationalTurnValue(TMyPoint a, TMyPoint b, TMyPoint c) {
  const mpq_class turn = (mpq_class(b.x) - mpq_class(a.x)) * (mpq_class(c.y) - mpq_class(b.y)) -
                         (mpq_class(b.y) - mpq_class(a.y)) * (mpq_class(c.x) - mpq_class(b.x));
  return turn.get_d();
}

std::string Describe(TMyPoint p) {
  std::array<char, 96> text{};
  std::snprintf(text.data(), text.size(), "(%a, %a)", p.x, p.y);
  return text.data();
}

std::string Describe(std::initializer_list<TMyPoint> points) {
  std::string text;
  for (const TMyPoint p : points) {
    text += Describe(p) + " ";
  }
  return text;
}

// Every stage that gives an answer gives the exact one.
void ExpectEveryStageExact(TMyPoint a, TMyPoint b, TMyPoint c) {
  const int exact = RationalTurn(a, b, c);
  ASSERT_EQ(orientation::ExactTurn(a, b, c), exact) << Describe({a, b, c});
  ASSERT_EQ(orientation::Turn(a, b, c), exact) << Describe({a, b, c});
  ASSERT_EQ(orientation::ExpansionTurn(a, b, c), exact) << Describe({a, b, c});
  if (const std::optional<int> sign = orientation::SecondStageSign(a, b, c)) {
    ASSERT_EQ(*sign, exact) << "second stage, " << Describe({a, b, c});
  }
  const orientation::BoundedTurn filtered = orientation::BoundedTurnOfCorners(a, b, c);
  if (std::fabs(filtered.turn) > filtered.bound) {
    ASSERT_EQ(filtered.turn > 0 ? 1 : -1, exact) << "filter, " << Describe({a, b, c});
  }
}

// Three corners exactly on one line whose differences round: corners on
// the integer grid times 2^exponent, `middle - K1 d`, `middle` and
// `middle + K2 d`, with d of odd coordinates, where the outer corners'
// coordinates are multiples of 2^s (K1 and K2 are chosen so) and up to
// 2^(52 + s): doubles, though their differences from the middle one, whose
// coordinates are below 2^52, need more than 53 bits.
struct CollinearCorners {
  TMyPoint start;
  TMyPoint middle;
  TMyPoint far;
};

struct LineParameters {
  int s = 4;  // the far corner's coordinates are multiples of 2^s
  std::int64_t dx = 1;
  std::int64_t dy = 1;
  std::int64_t x0 = 0;
  std::int64_t y0 = 0;
  std::int64_t startSteps = 0;  // steps from the middle corner back, but for a remainder
  std::int64_t farSteps = 0;    // steps from the middle corner on, but for a remainder
};

class CollinearGenerator {
 public:
  explicit CollinearGenerator(std::uint64_t seed) : random_(seed) {}

  LineParameters RandomLine() {
    LineParameters line;
    line.s = Between(5, 9);
    line.dx = Odd(1 << 20);
    line.dy = Odd(1 << 20);
    line.x0 = Signed(Between64(std::int64_t{1} << 50, std::int64_t{1} << 52));
    line.y0 = Signed(Between64(std::int64_t{1} << 50, std::int64_t{1} << 52));
    const std::int64_t longest = std::max(std::abs(line.dx), std::abs(line.dy));
    line.startSteps = Between64((std::int64_t{1} << (50 + line.s)) / longest,
                                (std::int64_t{1} << (51 + line.s)) / longest);
    line.farSteps = Between64((std::int64_t{1} << (50 + line.s)) / longest,
                              (std::int64_t{1} << (51 + line.s)) / longest);
    return line;
  }

  // A neighbouring line: one parameter moved a little.
  LineParameters Moved(LineParameters line) {
    const std::int64_t longest = std::max(std::abs(line.dx), std::abs(line.dy));
    switch (Between(0, 4)) {
      case 0:
        line.x0 += Between64(-1000, 1000);
        break;
      case 1:
        line.y0 += Between64(-1000, 1000);
        break;
      case 2:
        line.startSteps =
            std::clamp<std::int64_t>(line.startSteps + Between64(-1000, 1000) * 64, 64,
                                     (std::int64_t{1} << (51 + line.s)) / longest);
        break;
      case 3:
        line.farSteps = std::clamp<std::int64_t>(line.farSteps + Between64(-1000, 1000) * 64, 64,
                                                 (std::int64_t{1} << (51 + line.s)) / longest);
        break;
      default: {
        std::int64_t& d = Between(0, 1) == 0 ? line.dx : line.dy;
        const std::int64_t moved = d + 2 * Between64(-3, 3);
        if (moved != 0 && std::abs(moved) < (1 << 20)) {
          d = moved;
        }
        break;
      }
    }
    return line;
  }

  CollinearCorners Draw(int exponent) { return CornersOf(RandomLine(), exponent); }

  // y0 = x0 dy / dx modulo 2^s, so that one step count makes both
  // coordinates of an outer corner multiples of 2^s.
  static CollinearCorners CornersOf(const LineParameters& line, int exponent) {
    const std::int64_t modulus = std::int64_t{1} << line.s;
    const std::int64_t inverse = InverseModulo(line.dx, modulus);
    const std::int64_t wanted = Modulo(line.x0 * Modulo(line.dy * inverse, modulus), modulus);
    const std::int64_t y0 = line.y0 - Modulo(line.y0 - wanted, modulus);
    const std::int64_t far = (line.farSteps & ~(modulus - 1)) + Modulo(-line.x0 * inverse, modulus);
    const std::int64_t start =
        (line.startSteps & ~(modulus - 1)) + Modulo(line.x0 * inverse, modulus);
    const auto corner = [&](std::int64_t steps) {
      return TMyPoint(std::ldexp(static_cast<double>(line.x0 + steps * line.dx), exponent),
                      std::ldexp(static_cast<double>(y0 + steps * line.dy), exponent));
    };
    return {corner(-start), corner(0), corner(far)};
  }

  std::mt19937_64& random() { return random_; }

 private:
  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  std::int64_t Between64(std::int64_t low, std::int64_t high) {
    return std::uniform_int_distribution<std::int64_t>(low, high)(random_);
  }
  std::int64_t Signed(std::int64_t v) { return Between(0, 1) == 0 ? v : -v; }
  std::int64_t Odd(std::int64_t bound) { return Signed(2 * Between64(0, bound / 2) + 1); }
  static std::int64_t Modulo(std::int64_t v, std::int64_t m) { return ((v % m) + m) % m; }
  static std::int64_t InverseModulo(std::int64_t odd, std::int64_t m) {
    for (std::int64_t candidate = 1; candidate < m; candidate += 2) {
      if (Modulo(odd * candidate, m) == 1) {
        return candidate;
      }
    }
    return 1;
  }

  std::mt19937_64 random_;
};

// The exponents that put the grid's corners from the subnormal range to
// the top of the range: the far corner's coordinates reach 2^(exponent + 61).
std::vector<int> EveryScale() {
  std::vector<int> exponents{-1074, -1060, -1030};
  for (int e = -1000; e <= 940; e += 47) {
    exponents.push_back(e);
  }
  exponents.push_back(962);  // the far corner within a factor of 2 of the largest double
  return exponents;
}

TMyPoint ApexWithShare(const CollinearCorners& line, double t1Share);

// The apex of the triangle start, apex, far whose incircle touches the
// side from start to far at the middle corner: tangent lengths
// t0 = |start middle|, t2 = |middle far| and t1, a share of the base. Near
// the top of the range the share is made smaller until the apex is finite.
TMyPoint ApexTouchingAt(const CollinearCorners& line, double t1Share) {
  TMyPoint apex = ApexWithShare(line, t1Share);
  for (double share = t1Share; !IsFinite(apex); share /= 2) {
    apex = ApexWithShare(line, share);
  }
  return apex;
}

TMyPoint ApexWithShare(const CollinearCorners& line, double t1Share) {
  using Wide = long double;
  const auto wide = [](double v) { return static_cast<Wide>(v); };
  const Wide ux = wide(line.far.x) - wide(line.start.x);
  const Wide uy = wide(line.far.y) - wide(line.start.y);
  const Wide base = std::hypot(ux, uy);
  const Wide t0 = std::hypot(wide(line.middle.x) - wide(line.start.x),
                             wide(line.middle.y) - wide(line.start.y));
  const Wide t2 = base - t0;
  const Wide t1 = base * wide(t1Share);
  const Wide along = ((t0 + t1) * (t0 + t1) - (t2 + t1) * (t2 + t1) + base * base) / (2 * base);
  const Wide across = std::sqrt((t0 + t1) * (t0 + t1) - along * along);
  return {static_cast<double>(wide(line.start.x) + (ux * along - uy * across) / base),
          static_cast<double>(wide(line.start.y) + (uy * along + ux * across) / base)};
}

bool AnyNumberingAnswersYes(const Corners& corners) {
  for (std::size_t start = 0; start < 4; ++start) {
    for (const bool reversed : {false, true}) {
      TMyRectangle figure;
      figure.corners = figures::Renumbered(corners, start, reversed);
      if (figure.CanInscribeCircle()) {
        return true;
      }
    }
  }
  return false;
}

bool EveryNumberingAnswersYes(const Corners& corners) {
  for (std::size_t start = 0; start < 4; ++start) {
    for (const bool reversed : {false, true}) {
      TMyRectangle figure;
      figure.corners = figures::Renumbered(corners, start, reversed);
      if (!figure.CanInscribeCircle()) {
        return false;
      }
    }
  }
  return true;
}

// The exact turns of the four corners, all of one sign or not.
bool StrictlyConvex(const Corners& c) {
  int left = 0;
  int right = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const int turn = RationalTurn(c[i], c[(i + 1) % 4], c[(i + 2) % 4]);
    left += turn > 0 ? 1 : 0;
    right += turn < 0 ? 1 : 0;
  }
  return left == 4 || right == 4;
}

bool DifferencesRound(TMyPoint p, TMyPoint q) {
  const TMyPoint d = p - q;
  return mpq_class(d.x) != mpq_class(p.x) - mpq_class(q.x) ||
         mpq_class(d.y) != mpq_class(p.y) - mpq_class(q.y);
}

// The review's figure: corners 0, 2 and 3 exactly on a line, corner 3 where
// the incircle of the triangle 0, 1, 2 touches its side.
TEST(FigureConvexity, TheReviewsThreeCollinearCornersAnswerNo) {
  const Corners corners{TMyPoint(0x1.d42001f7c0c3p-8, 0x1.5f180179d0924p-6),
                        TMyPoint(-0x1.fe03ff3303a38p-2, 0x1.775e28655d9cp-2),
                        TMyPoint(0x1.c7b9eb51b4afp+0, 0x1.55cb707d47834p+2),
                        TMyPoint(0x1.00c5ca1e51cd8p-3, 0x1.8128af2d7ab44p-2)};
  ASSERT_EQ(RationalTurn(corners[2], corners[3], corners[0]), 0);
  EXPECT_FALSE(AnyNumberingAnswersYes(corners));
  EXPECT_EQ(orientation::Turn(corners[2], corners[3], corners[0]), 0);
}

// Three corners exactly on a line, the fourth placed so that the incircle of
// the triangle touches the line at the middle one: the Pitot sums agree and
// the bisectors meet, yet the figure is a triangle. At every scale.
TEST(FigureConvexity, ThreeCornersExactlyOnALineAnswerNoAtEveryScale) {
  CollinearGenerator generator(31);
  std::uniform_real_distribution<double> share(0.2, 3.0);
  int rounded = 0;
  for (const int exponent : EveryScale()) {
    for (int i = 0; i < 60; ++i) {
      const CollinearCorners line = generator.Draw(exponent);
      const TMyPoint apex = ApexTouchingAt(line, share(generator.random()));
      ASSERT_EQ(RationalTurn(line.start, line.middle, line.far), 0) << exponent;
      rounded +=
          DifferencesRound(line.far, line.middle) && DifferencesRound(line.middle, line.start) ? 1
                                                                                               : 0;
      const Corners corners{line.start, apex, line.far, line.middle};
      EXPECT_FALSE(AnyNumberingAnswersYes(corners))
          << "scale 2^" << exponent << ": " << Describe({line.start, apex, line.far, line.middle});
    }
  }
  EXPECT_GT(rounded, 1000);  // the generator does make differences that round
}

// The middle corner moved by one unit of the grid, far less than half a
// unit in the last place of the largest coordinate: towards the apex it is
// a dart's reflex corner, away from it a corner of a strictly convex figure
// a hair from straight, which still has (to within rounding) an incircle.
TEST(FigureConvexity, DartsLessThanHalfAUnitDeepAnswerNoTheirConvexMirrorsYes) {
  CollinearGenerator generator(32);
  std::uniform_real_distribution<double> share(0.2, 3.0);
  int convexYes = 0;
  int convex = 0;
  for (const int exponent : EveryScale()) {
    for (int i = 0; i < 40; ++i) {
      const CollinearCorners line = generator.Draw(exponent);
      const TMyPoint apex = ApexTouchingAt(line, share(generator.random()));
      const double step = std::ldexp(1.0, exponent);
      const int apexSide = RationalTurn(line.start, line.far, apex);
      for (const TMyPoint move :
           {TMyPoint(step, 0), TMyPoint(-step, 0), TMyPoint(0, step), TMyPoint(0, -step)}) {
        const TMyPoint moved = line.middle + move;
        const int side = RationalTurn(line.start, line.far, moved);
        ASSERT_NE(side, 0);
        const Corners corners{line.start, apex, line.far, moved};
        const double largest = std::max({std::fabs(line.far.x), std::fabs(line.far.y),
                                         std::fabs(line.start.x), std::fabs(line.start.y)});
        ASSERT_LT(step, (std::nextafter(largest, 2 * largest) - largest) / 2);
        const std::string where = "scale 2^" + std::to_string(exponent) + ": " +
                                  Describe({line.start, apex, line.far, moved});
        if (side == apexSide) {
          ASSERT_FALSE(StrictlyConvex(corners)) << where;
          EXPECT_FALSE(AnyNumberingAnswersYes(corners)) << "dart, " << where;
        } else {
          ASSERT_TRUE(StrictlyConvex(corners)) << where;
          ++convex;
          convexYes += EveryNumberingAnswersYes(corners) ? 1 : 0;
          for (std::size_t k = 0; k < 4; ++k) {
            EXPECT_EQ(orientation::Turn(corners[k], corners[(k + 1) % 4], corners[(k + 2) % 4]),
                      RationalTurn(corners[k], corners[(k + 1) % 4], corners[(k + 2) % 4]))
                << where;
          }
        }
      }
    }
  }
  // Their tangency is as good as the rounding of the apex: the figure test
  // must not refuse them for the nearly straight corner.
  EXPECT_EQ(convexYes, convex);
}

// Each stage against rational arithmetic, on triples that stress it: random
// coordinates of every size and sign, zeros and the extremes among them;
// three corners exactly on a line at every scale; and those moved by a few
// units in the last place of one coordinate.
TEST(ExactTurn, AgreesWithRationalArithmeticForEveryFiniteInput) {
  std::mt19937_64 random(33);
  std::uniform_int_distribution<int> anyExponent(-1074, 1023);
  std::uniform_real_distribution<double> digits(1.0, 2.0);
  std::uniform_int_distribution<int> pick(0, 15);
  const auto coordinate = [&] {
    switch (pick(random)) {
      case 0:
        return 0.0;
      case 1:
        return std::numeric_limits<double>::max();
      case 2:
        return -std::numeric_limits<double>::max();
      case 3:
        return std::numeric_limits<double>::denorm_min();
      default: {
        const double value = std::ldexp(digits(random), anyExponent(random));
        return pick(random) < 8 ? value : -value;
      }
    }
  };
  for (int i = 0; i < 100000; ++i) {
    ExpectEveryStageExact({coordinate(), coordinate()}, {coordinate(), coordinate()},
                          {coordinate(), coordinate()});
  }
  CollinearGenerator generator(34);
  std::uniform_int_distribution<int> ulps(-3, 3);
  for (const int exponent : EveryScale()) {
    for (int i = 0; i < 300; ++i) {
      const CollinearCorners line = generator.Draw(exponent);
      ExpectEveryStageExact(line.start, line.middle, line.far);
      ExpectEveryStageExact(line.middle, line.far, line.start);
      ExpectEveryStageExact(line.far, line.start, line.middle);
      TMyPoint nudged = line.far;
      nudged.y +=
          ulps(random) * std::ldexp(std::numeric_limits<double>::epsilon(), std::ilogb(nudged.y));
      ExpectEveryStageExact(line.start, line.middle, nudged);
      ExpectEveryStageExact(nudged, line.start, line.middle);
    }
  }
}

// Corners a and c = -2a, whose line runs through the origin, and b a hair
// from the origin, off their line by some u^2 of their size: every
// difference rounds, and the turn, 3 cross(a, b), is of the order of u^2
// of the sides' products, where the second stage decides. Its answers are
// exact, and it decides almost all those whose turn is 24 to 30 u^2 of its
// measure of size (with the bound's factor doubled it would decide none).
TEST(ExactTurn, SecondStageDecidesNearlyCollinearCornersExactly) {
  std::mt19937_64 random(35);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_real_distribution<double> hair(-48 * kUnit * kUnit, 48 * kUnit * kUnit);
  int inBand = 0;
  int decidedInBand = 0;
  for (int i = 0; i < 100000; ++i) {
    const TMyPoint a(unit(random), unit(random));
    const double size = std::max(std::fabs(a.x), std::fabs(a.y));
    const TMyPoint b(hair(random) * size, hair(random) * size);
    const TMyPoint c = a * -2.0;
    const int exact = RationalTurn(a, b, c);
    const std::optional<int> sign = orientation::SecondStageSign(a, b, c);
    if (sign) {
      ASSERT_EQ(*sign, exact) << Describe({a, b, c});
    }
    ASSERT_EQ(orientation::ExactTurn(a, b, c), exact) << Describe({a, b, c});
    // The second stage's measure of size: |h| + |p| + |q|, from the sides.
    const TMyPoint in = b - a;
    const TMyPoint out = c - b;
    const double p = in.x * out.y;
    const double q = in.y * out.x;
    const double measure = std::fabs(p - q) + std::fabs(p) + std::fabs(q);
    const double turn = std::fabs(RationalTurnValue(a, b, c));
    if (turn > 24 * kUnit * kUnit * measure && turn < 30 * kUnit * kUnit * measure) {
      ++inBand;
      decidedInBand += sign ? 1 : 0;
    }
  }
  std::printf("second stage: %d of %d turns of 24 to 30 u^2 decided\n", decidedInBand, inBand);
  ASSERT_GT(inBand, 1000);
  EXPECT_GT(decidedInBand, inBand * 9 / 10);
}

// Three corners exactly on a line whose differences round: the second
// stage never vouches for a turn, and where the sides are exact it finds
// the turn 0 itself.
// The second stage's error, |exact turn - its turn|, relative to its bound,
// climbed towards the worst case over nearly collinear corners whose
// differences round: sides just above powers of two, where rounding errors
// are largest relative to what they round, nudged a few units in the last
// place at a time. Where the stage vouches, it is right, and its turn
// before the last rounding lies within the bound of the exact one.
TEST(ExactTurn, SecondStageSearchForItsWorstCaseStaysWithinItsBound) {
  std::mt19937_64 random(41);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const auto errorOf = [](TMyPoint a, TMyPoint b, TMyPoint c) {
    const std::optional<orientation::SecondStageTurn> stage =
        orientation::SecondStageTurnOf(a, b, c);
    if (!stage || stage->sidesExact) {
      return 0.0;
    }
    const mpq_class exact = (mpq_class(b.x) - mpq_class(a.x)) * (mpq_class(c.y) - mpq_class(b.y)) -
                            (mpq_class(b.y) - mpq_class(a.y)) * (mpq_class(c.x) - mpq_class(b.x));
    const orientation::BoundedTurn t = stage->bounded;
    if (std::fabs(t.turn) > t.bound) {
      EXPECT_EQ(t.turn > 0 ? 1 : -1, sgn(exact)) << Describe({a, b, c});
    }
    // The error of the sum before its last rounding, as the proof bounds it.
    const mpq_class error = abs(exact - (mpq_class(stage->leading) + mpq_class(stage->rest)));
    return mpq_class(error / mpq_class(t.bound)).get_d();
  };
  double worst = 0.0;
  std::array<TMyPoint, 3> worstCorners{};
  for (int start = 0; start < 1500; ++start) {
    const auto justAboveAPowerOfTwo = [&] {
      return std::ldexp(1.0 + 1e-3 * unit(random), static_cast<int>(3 * unit(random)));
    };
    const TMyPoint step(justAboveAPowerOfTwo(), justAboveAPowerOfTwo());
    const TMyPoint a(-0.75 - 0.2 * unit(random), -0.75 - 0.2 * unit(random));
    std::array<TMyPoint, 3> p{a, a + step, a + step + step * (0.5 + 0.5 * unit(random))};
    double current = errorOf(p[0], p[1], p[2]);
    for (int move = 0; move < 500; ++move) {
      std::array<TMyPoint, 3> candidate = p;
      const auto which = static_cast<std::size_t>(6 * unit(random));
      double& coordinate =
          (which % 2 == 0) ? candidate[which / 2 % 3].x : candidate[which / 2 % 3].y;
      const int units = 1 + static_cast<int>(40 * unit(random));
      const double towards = unit(random) < 0.5 ? -4.0 : 4.0;
      for (int k = 0; k < units; ++k) {
        coordinate = std::nextafter(coordinate, towards);
      }
      const double value = errorOf(candidate[0], candidate[1], candidate[2]);
      if (value >= current) {
        current = value;
        p = candidate;
      }
    }
    if (current > worst) {
      worst = current;
      worstCorners = p;
    }
  }
  std::printf("second stage: worst error %.3f of its bound, at %s\n", worst,
              Describe({worstCorners[0], worstCorners[1], worstCorners[2]}).c_str());
  EXPECT_LT(worst, 1.0);
  EXPECT_GT(worst, 0.1);
}

TEST(ExactTurn, SecondStageNeverVouchesForATurnOfCollinearCorners) {
  CollinearGenerator generator(38);
  int exactSides = 0;
  for (int i = 0; i < 20000; ++i) {
    const CollinearCorners line = generator.Draw(-58);
    for (const auto& [a, b, c] : {std::array<TMyPoint, 3>{line.start, line.middle, line.far},
                                  std::array<TMyPoint, 3>{line.middle, line.far, line.start},
                                  std::array<TMyPoint, 3>{line.far, line.start, line.middle}}) {
      const std::optional<int> sign = orientation::SecondStageSign(a, b, c);
      ASSERT_TRUE(!sign || *sign == 0) << Describe({a, b, c});
      exactSides += sign ? 1 : 0;
    }
  }
  // The start and the middle corner differ exactly; so do P, 2P and 4P.
  const TMyPoint p(0.1, -0.35);
  EXPECT_EQ(orientation::SecondStageSign(p, p * 2, p * 4), 0);
  std::printf("second stage: %d collinear triples with exact sides\n", exactSides);
}

// Coordinates whose products span the whole range: the products of one
// group must be added at the scale of the group, and a group ends only
// where everything below cannot reach its last bit. (F78, F77) and
// (F77, F76), consecutive Fibonacci numbers, have a turn of -1 against
// products near 2^105; the third corner adds some 2^21.5 from products
// 2^82 smaller, which must not be left to a group of their own.
TEST(ExactTurn, ProductsFarBelowTheLargestStillCount) {
  const TMyPoint a(8944394323791464.0, 5527939700884757.0);
  const TMyPoint b(5527939700884757.0, 3416454622906707.0);
  const TMyPoint c(0x1p-30, 0.0);
  ASSERT_EQ(RationalTurn(a, b, TMyPoint(0, 0)), -1);
  EXPECT_EQ(orientation::ExpansionTurn(a, b, c), RationalTurn(a, b, c));
  EXPECT_EQ(orientation::ExpansionTurn(a, b, c), 1);
  EXPECT_EQ(orientation::ExpansionTurn(a, b, TMyPoint(-0x1p-30, 0.0)), -1);
  // The same at the ends of the range: every coordinate scaled by a power
  // of two keeps the sign.
  for (const int exponent : {-1000, -500, 400, 900}) {
    const auto scaled = [&](TMyPoint p) {
      return TMyPoint(std::ldexp(p.x, exponent), std::ldexp(p.y, exponent));
    };
    if (std::isfinite(scaled(a).x) && scaled(c).x != 0.0) {
      EXPECT_EQ(orientation::ExpansionTurn(scaled(a), scaled(b), scaled(c)), 1) << exponent;
    }
  }
}

// The filter never vouches for a wrong sign, and its bound is no more than
// twice what rounding can reach: a search over exactly collinear corners
// near unit size, climbing towards the largest turn the filter computes
// for them relative to its bound. Halving the bound's factor would let the
// filter vouch for a turn of three corners on one line.
TEST(TurnFilter, SearchForItsWorstCaseStaysWithinTheBoundAndReachesHalfOfIt) {
  CollinearGenerator generator(36);
  // Corners near unit size: the figure test's sides are plain differences there.
  const int exponent = -58;
  const auto worstOf = [](const CollinearCorners& line) {
    double worst = 0.0;
    const std::array<TMyPoint, 3> p{line.start, line.middle, line.far};
    for (const auto& order : std::array<std::array<std::size_t, 3>, 6>{
             {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}}}) {
      const orientation::BoundedTurn t =
          orientation::BoundedTurnOfCorners(p[order[0]], p[order[1]], p[order[2]]);
      EXPECT_LE(std::fabs(t.turn), t.bound) << Describe({line.start, line.middle, line.far});
      worst = std::max(worst, std::fabs(t.turn) / t.bound);
    }
    return worst;
  };
  double best = 0.0;
  CollinearCorners bestLine = generator.Draw(exponent);
  for (int restart = 0; restart < 20; ++restart) {
    LineParameters line = generator.RandomLine();
    double current = worstOf(CollinearGenerator::CornersOf(line, exponent));
    for (int step = 0; step < 3000; ++step) {
      const LineParameters candidate = generator.Moved(line);
      const double value = worstOf(CollinearGenerator::CornersOf(candidate, exponent));
      if (value >= current) {
        current = value;
        line = candidate;
      }
      if (::testing::Test::HasFailure()) {
        return;
      }
    }
    if (current > best) {
      best = current;
      bestLine = CollinearGenerator::CornersOf(line, exponent);
    }
  }
  std::printf("filter: worst turn of collinear corners %.3f of its bound, at %s\n", best,
              Describe({bestLine.start, bestLine.middle, bestLine.far}).c_str());
  EXPECT_GT(best, 0.5);
}

// Nearly collinear corners, a few units in the last place off the line:
// whatever the filter vouches for is right, and it vouches for almost all
// whose exact turn is 1.5 to 1.9 times its bound's 3u of the products
// (with the bound's factor doubled it would vouch for almost none).
TEST(TurnFilter, VouchesOnlyForExactSignsAndForMostTurnsClearOfItsBound) {
  std::mt19937_64 random(37);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_real_distribution<double> along(-3.0, 3.0);
  std::uniform_real_distribution<double> offset(-12.0, 12.0);
  int inBand = 0;
  int vouchedInBand = 0;
  for (int i = 0; i < 200000; ++i) {
    const TMyPoint a(unit(random), unit(random));
    const TMyPoint b(unit(random), unit(random));
    const TMyPoint side = b - a;
    const double size = std::fabs(side.x) + std::fabs(side.y);
    const TMyPoint c =
        a + side * along(random) + TMyPoint(-side.y, side.x) * (offset(random) * kUnit * size);
    const int exact = RationalTurn(a, b, c);
    const orientation::BoundedTurn t = orientation::BoundedTurnOfCorners(a, b, c);
    const bool vouched = std::fabs(t.turn) > t.bound;
    if (vouched) {
      ASSERT_EQ(t.turn > 0 ? 1 : -1, exact) << Describe({a, b, c});
    }
    // The filter's measure of size, |left| + |right|, from the sides.
    const TMyPoint in = b - a;
    const TMyPoint out = c - b;
    const double measure = std::fabs(in.x * out.y) + std::fabs(in.y * out.x);
    const double turn = std::fabs(RationalTurnValue(a, b, c));
    if (turn > 4.5 * kUnit * measure && turn < 5.7 * kUnit * measure) {
      ++inBand;
      vouchedInBand += vouched ? 1 : 0;
    }
  }
  std::printf("filter: %d of %d turns of 4.5u to 5.7u vouched for\n", vouchedInBand, inBand);
  ASSERT_GT(inBand, 1000);
  EXPECT_GT(vouchedInBand, inBand * 9 / 10);
}

// Sides that the figure test brings to unit size round once more where
// they become subnormal: corners whose x coordinates are some 2^-80 of the
// largest, so that their differences, scaled, are a fraction of the
// smallest subnormal. The filter on such sides, computed as the figure
// test computes them, never vouches for a wrong sign; the bound's relative
// part alone would, for many of them: the absolute part is needed.
TEST(TurnFilter, SidesThatUnderflowWhenBroughtToUnitSizeNeedTheAbsolutePart) {
  std::mt19937_64 random(39);
  std::uniform_int_distribution<int> top(990, 1020);
  std::uniform_int_distribution<int> small(-64, 64);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  int relativeAloneWrong = 0;
  for (int i = 0; i < 100000; ++i) {
    const int e = top(random);
    const auto x = [&] { return std::ldexp(static_cast<double>(small(random)), e - 1080); };
    const auto y = [&] { return std::ldexp(unit(random), e); };
    const TMyPoint a(x(), y());
    const TMyPoint b(x(), y());
    const TMyPoint c(x(), y());
    const double largest = std::max({std::fabs(a.y), std::fabs(b.y), std::fabs(c.y)});
    const int k = -std::ilogb(largest);
    const auto side = [&](TMyPoint from, TMyPoint to) {
      const TMyPoint d = to - from;
      return TMyPoint(std::ldexp(d.x, k), std::ldexp(d.y, k));
    };
    const TMyPoint in = side(a, b);
    const TMyPoint out = side(b, c);
    const orientation::BoundedTurn t = orientation::BoundedTurnOf(in, out);
    const int exact = RationalTurn(a, b, c);
    if (std::fabs(t.turn) > t.bound) {
      ASSERT_EQ(t.turn > 0 ? 1 : -1, exact) << Describe({a, b, c});
    }
    const double relative =
        orientation::kTurnErrorFactor * (std::fabs(in.x * out.y) + std::fabs(in.y * out.x));
    const int sign = (t.turn > 0 ? 1 : 0) - (t.turn < 0 ? 1 : 0);
    relativeAloneWrong += std::fabs(t.turn) > relative && sign != exact ? 1 : 0;
  }
  std::printf("filter: the relative part alone would be wrong %d times\n", relativeAloneWrong);
  EXPECT_GT(relativeAloneWrong, 0);
}

// Where the products fall below the normal range the bound's absolute part
// covers what underflow loses, and no more than it must: a turn of 24
// units of the smallest subnormal, from sides whose products are exact, is
// vouched for.
TEST(TurnFilter, VouchesForAnExactTurnOfNineSubnormalUnits) {
  const double unit = std::numeric_limits<double>::denorm_min();
  const TMyPoint a(0, 0);
  const TMyPoint b(9 * unit, 0);
  const TMyPoint c(9 * unit, 1);
  const orientation::BoundedTurn t = orientation::BoundedTurnOfCorners(a, b, c);
  EXPECT_EQ(t.turn, 9 * unit);
  EXPECT_GT(t.turn, t.bound);
  EXPECT_EQ(orientation::Turn(a, b, c), 1);
}

// A spike, two corners near (-2, 0) and one near (2, 0), times 2^1000,
// brought to unit size as the figure test brings its sides: its y-sides
// round to the subnormal grid at near ties, each by almost half a unit,
// and the x-sides of nearly 4 multiply that. The rounded sides turn the
// other way than the corners do, by 8 halves of a subnormal unit: what
// the absolute part of the bound, 12 of them, must cover.
TEST(TurnFilter, ASpikeWhoseSidesUnderflowNeedsTwoThirdsOfTheAbsolutePart) {
  const TMyPoint a(-0x1.ffffffffffff8p+1000, 0);
  const TMyPoint b(0x1.ffffffffffff5p+1000, -0x1.0000000008addp-75);
  const TMyPoint c(-0x1.ff92a57aad2f7p+1000, -0x1.5905b98p-103);
  const auto side = [](TMyPoint from, TMyPoint to) { return (to - from) * 0x1p-1000; };
  const orientation::BoundedTurn t = orientation::BoundedTurnOf(side(a, b), side(b, c));
  const int exact = RationalTurn(a, b, c);
  ASSERT_NE(exact, 0);
  // The rounded sides turn the wrong way, by that much beyond the relative part.
  const double relative = t.bound - orientation::kTurnUnderflowAllowance;
  EXPECT_EQ(t.turn > 0 ? 1 : -1, -exact);
  EXPECT_GE(std::fabs(t.turn) - relative, 0x1p-1072);
  // And the filter leaves the turn to the exact stages, which get it right.
  EXPECT_LE(std::fabs(t.turn), t.bound);
  EXPECT_EQ(orientation::Turn(a, b, c), exact);
}

}  // namespace
