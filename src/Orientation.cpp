// SPDX-License-Identifier: MIT
#include "Orientation.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <span>

#include "ExactProductSum.h"
#include "PairArithmetic.h"

// The exact sign, from an exact sum of products. The turn is a sum of six
// products of coordinates,
//   a.x b.y - a.y b.x + b.x c.y - b.y c.x + c.x a.y - c.y a.x,
// with no difference to round or overflow first, and the library's exact
// sum of products adds them up exactly for any finite coordinates
// (docs/proofs/orientation.md).
//
// The library is compiled with -ffp-contract=off: Dekker's product and the
// two-sum of the second stage rely on each operation being rounded as
// written.

namespace orientation {
namespace {

using incircle::detail::ExactSumOfProducts;
using incircle::detail::Pair;
using incircle::detail::ProductError;
using incircle::detail::ProductTerm;
using incircle::detail::TwoSum;

// The sign of an exact sum of products of coordinates.
[[nodiscard]] int SignOf(std::span<const ProductTerm> terms) noexcept {
  const double sum = ExactSumOfProducts(terms).hi;
  return sum > 0.0 ? 1 : (sum < 0.0 ? -1 : 0);
}

// Where every coordinate is zero or within [2^-400, 2^500] in magnitude,
// every difference, product and error term below is a multiple of 2^-904
// and at most 2^1003: nothing overflows, nothing non-zero is subnormal, and
// each operation is rounded relatively, by at most u = 2^-53.
[[nodiscard]] int InSecondStageRange(double value) noexcept {
  const double magnitude = std::fabs(value);
  return static_cast<int>(magnitude == 0.0) |
         (static_cast<int>(magnitude >= 0x1p-400) & static_cast<int>(magnitude <= 0x1p500));
}

// Bitwise, not short-circuit: the coordinates come in no order that a
// branch could learn.
[[nodiscard]] bool InSecondStageRange(TMyPoint a, TMyPoint b, TMyPoint c) noexcept {
  return (InSecondStageRange(a.x) & InSecondStageRange(a.y) & InSecondStageRange(b.x) &
          InSecondStageRange(b.y) & InSecondStageRange(c.x) & InSecondStageRange(c.y)) != 0;
}

}  // namespace

std::optional<SecondStageTurn> SecondStageTurnOf(TMyPoint a, TMyPoint b, TMyPoint c) noexcept {
  if (!InSecondStageRange(a, b, c)) {
    return std::nullopt;
  }
  // The sides as rounded, and what their rounding left out, exactly.
  const Pair x1 = TwoSum(b.x, -a.x);
  const Pair y1 = TwoSum(b.y, -a.y);
  const Pair x2 = TwoSum(c.x, -b.x);
  const Pair y2 = TwoSum(c.y, -b.y);
  // The turn of the rounded sides, exactly: h + hError + pError - qError.
  SecondStageTurn stage;
  stage.p = x1.hi * y2.hi;
  stage.q = y1.hi * x2.hi;
  const Pair h = TwoSum(stage.p, -stage.q);
  stage.pError = ProductError(x1.hi, y2.hi, stage.p);
  stage.qError = ProductError(y1.hi, x2.hi, stage.q);
  // What the left-out parts add, to first order; the products of two of
  // them, at most u^2 of the sides' products, are left out and bounded.
  // Where the sides are exact, all of that is 0.
  const double rest = ((h.lo + stage.pError) - stage.qError) +
                      ((x1.hi * y2.lo + x1.lo * y2.hi) - (y1.hi * x2.lo + y1.lo * x2.hi));
  stage.leading = h.hi;
  stage.rest = rest;
  stage.bounded = {h.hi + rest, kSecondTurnErrorFactor *
                                    (std::fabs(h.hi) + (std::fabs(stage.p) + std::fabs(stage.q)))};
  stage.sidesExact = x1.lo == 0.0 && y1.lo == 0.0 && x2.lo == 0.0 && y2.lo == 0.0;
  return stage;
}

std::optional<int> SecondStageSign(TMyPoint a, TMyPoint b, TMyPoint c) noexcept {
  const std::optional<SecondStageTurn> stage = SecondStageTurnOf(a, b, c);
  if (!stage) {
    return std::nullopt;
  }
  const BoundedTurn t = stage->bounded;
  if (std::fabs(t.turn) > t.bound) {
    return t.turn > 0.0 ? 1 : -1;
  }
  if (stage->sidesExact) {
    // The sides are exact: their turn is p - q + pError - qError. Where the
    // two products round to one double, as they do for every three corners
    // exactly on a line, it is the difference of the two errors, whose sign
    // one rounded subtraction keeps.
    if (stage->p == stage->q) {
      const double errors = stage->pError - stage->qError;
      return errors > 0.0 ? 1 : (errors < 0.0 ? -1 : 0);
    }
    const TMyPoint in = b - a;
    const TMyPoint out = c - b;
    const std::array<ProductTerm, 2> exact{{{in.x, out.y, 0, false}, {in.y, out.x, 0, true}}};
    return SignOf(exact);
  }
  return std::nullopt;
}

int ExactTurn(TMyPoint a, TMyPoint b, TMyPoint c) noexcept {
  if (a == b || b == c || c == a) {
    return 0;
  }
  if (const std::optional<int> sign = SecondStageSign(a, b, c)) {
    return *sign;
  }
  return ExpansionTurn(a, b, c);
}

int ExpansionTurn(TMyPoint a, TMyPoint b, TMyPoint c) noexcept {
  const std::array<ProductTerm, 6> turn{{{a.x, b.y, 0, false},
                                         {a.y, b.x, 0, true},
                                         {b.x, c.y, 0, false},
                                         {b.y, c.x, 0, true},
                                         {c.x, a.y, 0, false},
                                         {c.y, a.x, 0, true}}};
  return SignOf(turn);
}

double TurningOfCorners(const std::array<TMyPoint, 4>& corners,
                        const std::array<BoundedTurn, 4>& turns) noexcept {
  std::array<int, 4> signs{};
  bool anyLeft = false;
  bool anyRight = false;
  for (std::size_t k = 0; k < 4; ++k) {
    const BoundedTurn t = turns[k];
    signs[k] = t.turn > t.bound ? 1 : (-t.turn > t.bound ? -1 : 0);
    anyLeft = anyLeft || signs[k] > 0;
    anyRight = anyRight || signs[k] < 0;
  }
  for (std::size_t k = 0; k < 4 && !(anyLeft && anyRight); ++k) {
    if (signs[k] == 0) {
      const int sign = ExactTurn(corners[k], corners[(k + 1) % 4], corners[(k + 2) % 4]);
      if (sign == 0) {
        return 0.0;
      }
      anyLeft = anyLeft || sign > 0;
      anyRight = anyRight || sign < 0;
    }
  }
  if (anyLeft == anyRight) {
    return 0.0;
  }
  return anyLeft ? 1.0 : -1.0;
}

BoundedTurn BoundedTurnOfCorners(TMyPoint a, TMyPoint b, TMyPoint c) noexcept {
  return BoundedTurnOf(b - a, c - b);
}

int Turn(TMyPoint a, TMyPoint b, TMyPoint c) noexcept {
  const double turn = FilteredTurn(b - a, c - b);
  if (turn != 0.0) {
    return turn > 0.0 ? 1 : -1;
  }
  return ExactTurn(a, b, c);
}

}  // namespace orientation
