// SPDX-License-Identifier: MIT
// Feeds arbitrary corners to the constructions and the figure test, and checks
// what must hold for every input, beyond not crashing under the sanitizers.
//
// An input of 64 bytes or more is eight raw doubles: NaN, infinities,
// subnormals and huge values included. A shorter one is up to eight small
// integers, one byte each, where tangential figures are common and an exact
// oracle knows every answer. For any finite corners, the turn of each three
// consecutive ones is decided exactly in rational arithmetic: the figure
// can answer yes only where all four are of one strict sign, and the
// library's own exact turn must agree.

#include <gmpxx.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

#include "ExactOracle.h"
#include "GeometryChecks.h"
#include "Orientation.h"
#include "Renumbering.h"
#include "Utmypoint.h"
#include "Utmyrectangle.h"

namespace {

using Corners = std::array<TMyPoint, 4>;
using checks::kEpsilon;

void Require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

bool AllFinite(const Corners& corners) {
  return std::all_of(corners.begin(), corners.end(), [](TMyPoint p) { return IsFinite(p); });
}

// A few units in the last place of the largest coordinate involved, and a
// floor for coordinates that are themselves subnormal.
double Tolerance(double largest) {
  return 64 * kEpsilon * largest + 64 * std::numeric_limits<double>::denorm_min();
}

void CheckBisectorPoint(TMyPoint A, TMyPoint B, TMyPoint C) {
  const TMyPoint X = BisectorPoint(A, B, C);
  if (!(IsFinite(A) && IsFinite(B) && IsFinite(C))) {
    return;
  }
  Require(!std::isnan(X.x) && !std::isnan(X.y), "BisectorPoint is a number for finite corners");
  if (A == B || A == C || B == C) {
    Require(X == B, "BisectorPoint without an angle is B");
    return;
  }
  const double tolerance = Tolerance(checks::LargestMagnitude({A, B, C}));
  Require(checks::DistanceToLine(X, B, C) <= tolerance, "BisectorPoint lies on the line BC");
  Require(std::min(B.x, C.x) - tolerance <= X.x && X.x <= std::max(B.x, C.x) + tolerance &&
              std::min(B.y, C.y) - tolerance <= X.y && X.y <= std::max(B.y, C.y) + tolerance,
          "BisectorPoint lies between B and C");
}

void CheckMeetingPoint(TMyPoint P0, TMyPoint P1, TMyPoint P2, TMyPoint P3) {
  const auto crossing = MeetingPoint(P0, P1, P2, P3);
  if (!crossing) {
    return;
  }
  Require(IsFinite(*crossing), "a meeting point is finite");
  Require(P0 != P1 && P2 != P3, "a meeting point needs two lines");
  // Parallel lines a unit apart and lines crossing at 10^16 at an angle of
  // 10^-16 are both within the crossing's own rounding of a point far out:
  // no distance tells them apart, so parallelism is decided exactly, for
  // lines whose differences are exact doubles.
  const TMyPoint d1 = P1 - P0;
  const TMyPoint d2 = P3 - P2;
  const auto exact = [](TMyPoint difference, TMyPoint to, TMyPoint from) {
    return IsFinite(difference) && difference + from == to && to - difference == from;
  };
  if (exact(d1, P1, P0) && exact(d2, P3, P2)) {
    Require(checks::ExactCrossSign(d1, d2) != 0, "parallel lines have no meeting point");
  }
  // The crossing is found from the lines' own points and reaches out from
  // them: it may stray from a line by their rounding and by a few units of
  // its distance from them, wherever the origin lies.
  double reach = 0.0;
  for (const TMyPoint p : {P0, P1, P2, P3}) {
    reach = std::max(reach, (*crossing - p).Length());
  }
  const double tolerance =
      Tolerance(checks::LargestMagnitude({P0, P1, P2, P3})) + 64 * kEpsilon * reach;
  Require(checks::DistanceToLine(*crossing, P0, P1) <= tolerance,
          "the meeting point lies on the first line");
  Require(checks::DistanceToLine(*crossing, P2, P3) <= tolerance,
          "the meeting point lies on the second line");
}

bool Verdict(const Corners& corners) {
  TMyRectangle figure;
  figure.corners = corners;
  return figure.CanInscribeCircle();
}

// The corners times 2^exponent, when that rounds nothing: every coordinate
// comes back unchanged when scaled back.
std::optional<Corners> ExactlyScaled(const Corners& corners, int exponent) {
  Corners scaled;
  for (std::size_t i = 0; i < 4; ++i) {
    scaled[i] = TMyPoint(std::ldexp(corners[i].x, exponent), std::ldexp(corners[i].y, exponent));
    if (!IsFinite(scaled[i]) || std::ldexp(scaled[i].x, -exponent) != corners[i].x ||
        std::ldexp(scaled[i].y, -exponent) != corners[i].y) {
      return std::nullopt;
    }
  }
  return scaled;
}

void CheckFigure(const Corners& corners) {
  const bool verdict = Verdict(corners);
  Require(!verdict || AllFinite(corners), "only finite figures have an incircle");
  for (const figures::Numbering& numbering : figures::EveryNumbering(corners)) {
    Require(Verdict(numbering.corners) == verdict, "the verdict does not depend on the numbering");
  }
  // A power of two changes only exponents, which the figure test does itself.
  for (const int exponent : {-1000, -300, -61, -21, -1, 1, 20, 59, 300, 1000}) {
    if (const auto scaled = ExactlyScaled(corners, exponent)) {
      Require(Verdict(*scaled) == verdict, "the verdict does not depend on the scale");
    }
  }
}

// The figure test against the exact oracle, for integer corners.
void CheckIntegerFigure(const std::array<std::int8_t, 8>& values) {
  oracle::IntFigure exact;
  Corners corners;
  for (std::size_t i = 0; i < 4; ++i) {
    exact[i] = {values[2 * i], values[2 * i + 1]};
    corners[i] = TMyPoint(values[2 * i], values[2 * i + 1]);
  }
  Require(Verdict(corners) == oracle::HasIncircle(exact),
          "the verdict agrees with Pitot's theorem");
}

// The turn of a, b, c in rational arithmetic: exact for finite doubles.
int RationalTurn(TMyPoint a, TMyPoint b, TMyPoint c) {
  const mpq_class turn = (mpq_class(b.x) - mpq_class(a.x)) * (mpq_class(c.y) - mpq_class(b.y)) -
                         (mpq_class(b.y) - mpq_class(a.y)) * (mpq_class(c.x) - mpq_class(b.x));
  return sgn(turn);
}

void CheckConvexity(const Corners& corners) {
  if (!AllFinite(corners)) {
    return;
  }
  int left = 0;
  int right = 0;
  for (std::size_t k = 0; k < 4; ++k) {
    const TMyPoint a = corners[k];
    const TMyPoint b = corners[(k + 1) % 4];
    const TMyPoint c = corners[(k + 2) % 4];
    const int exact = RationalTurn(a, b, c);
    Require(orientation::Turn(a, b, c) == exact, "the turn of three corners is exact");
    Require(orientation::ExpansionTurn(a, b, c) == exact,
            "the turn in expansion arithmetic is exact");
    left += exact > 0 ? 1 : 0;
    right += exact < 0 ? 1 : 0;
  }
  Require(!Verdict(corners) || left == 4 || right == 4,
          "only a strictly convex figure has an incircle");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Corners corners;
  if (size >= 8 * sizeof(double)) {
    std::array<double, 8> values{};
    std::memcpy(values.data(), data, sizeof values);
    for (std::size_t i = 0; i < 4; ++i) {
      corners[i] = TMyPoint(values[2 * i], values[2 * i + 1]);
    }
  } else {
    std::array<std::int8_t, 8> values{};
    std::memcpy(values.data(), data, std::min(size, values.size()));
    CheckIntegerFigure(values);
    for (std::size_t i = 0; i < 4; ++i) {
      corners[i] = TMyPoint(values[2 * i], values[2 * i + 1]);
    }
  }
  CheckBisectorPoint(corners[0], corners[1], corners[2]);
  CheckMeetingPoint(corners[0], corners[1], corners[2], corners[3]);
  CheckFigure(corners);
  CheckConvexity(corners);
  return 0;
}
