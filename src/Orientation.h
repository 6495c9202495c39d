// SPDX-License-Identifier: MIT
#pragma once

// Which way three points turn, decided exactly: the sign of twice the
// signed area of the triangle a, b, c,
//   (b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x),
// positive when c lies to the left of the way from a through b. A filter
// whose rounding error is bounded (docs/proofs/orientation.md) settles
// almost every triple inline; what it cannot vouch for goes to an exact
// sum of products, out of line. Internal to the library: neither
// installed nor included by a public header.

#include <array>
#include <cmath>
#include <optional>

#include "Utmypoint.h"

namespace orientation {

// The error of the filter's turn, relative to the sum of its two products'
// magnitudes: 3u + 32u^2 with u = 2^-53, the three roundings of each
// product's factors and of the product itself, and what the difference
// and the bound's own evaluation add.
inline constexpr double kTurnErrorFactor = 0x1.8000000000008p-52;

// What underflow can add, absolutely, where products or sides fall below
// the normal range: sides of a figure brought near unit size may be rounded
// once more there, by half a subnormal unit times a factor of at most 4,
// and each product once: 11 halves of that unit at most, and 12 here.
inline constexpr double kTurnUnderflowAllowance = 0x1.8p-1072;

// The filter's turn of two consecutive sides of a figure,
// in.x * out.y - in.y * out.x as rounded, and the bound on its error: when
// |turn| > bound, its sign is the exact sign of the turn of the three
// corners that the sides join. `in` runs from a to b and `out` from b to c,
// each the difference of two corners rounded once, or rounded and then
// times a common power of two, as long as every coordinate of the result
// is at most 4 in magnitude. Plain differences of corners of any size also
// qualify: where they overflow, the turn is not a number or the bound is
// infinite, and neither vouches for a sign.
struct BoundedTurn {
  double turn = 0.0;
  double bound = 0.0;
};

[[nodiscard]] inline BoundedTurn BoundedTurnOf(TMyPoint in, TMyPoint out) noexcept {
  const double left = in.x * out.y;
  const double right = in.y * out.x;
  return {left - right,
          kTurnErrorFactor * (std::fabs(left) + std::fabs(right)) + kTurnUnderflowAllowance};
}

// The filter's turn when it vouches for its sign, 0 when it cannot.
[[nodiscard]] inline double FilteredTurn(TMyPoint in, TMyPoint out) noexcept {
  const BoundedTurn t = BoundedTurnOf(in, out);
  return std::fabs(t.turn) > t.bound ? t.turn : 0.0;
}

// The error of the second stage, relative to the sum of the magnitudes of
// the rounded sides' turn and of its two products: 16u^2. Its part of
// first order is exact; what it leaves out or rounds is of order u^2.
inline constexpr double kSecondTurnErrorFactor = 0x1p-102;

// The second stage's turn of a, b, c: that of the rounded sides plus, to
// first order, what their rounding left out, with its bound, and the two
// parts it is the rounded sum of; the two products of the rounded sides
// and their exact errors; and whether the sides are exact. No value when a
// coordinate lies outside [2^-400, 2^500] in magnitude and is not zero.
struct SecondStageTurn {
  BoundedTurn bounded;
  double leading = 0.0;  // the rounded difference of the two products
  double rest = 0.0;     // what is added to it
  double p = 0.0;
  double q = 0.0;
  double pError = 0.0;
  double qError = 0.0;
  bool sidesExact = false;
};

[[nodiscard]] std::optional<SecondStageTurn> SecondStageTurnOf(TMyPoint a, TMyPoint b,
                                                               TMyPoint c) noexcept;

// The second stage, out of line, for triples the filter cannot vouch for:
// the sides' rounding errors, recovered exactly, taken into account to
// first order, and where the sides are exact, their turn exactly. The sign
// of the turn of a, b, c, or no value when it cannot vouch for one either
// (or when a coordinate lies outside [2^-400, 2^500] in magnitude and is
// not zero).
[[nodiscard]] std::optional<int> SecondStageSign(TMyPoint a, TMyPoint b, TMyPoint c) noexcept;

// The exact sign of the turn of a, b, c: +1 left, -1 right, 0 when the
// three are on one line (two of them equal included). Any finite points,
// subnormal to the largest double. Out of line and rare: the
// second stage first, then the exact sum of the six products.
[[nodiscard]] int ExactTurn(TMyPoint a, TMyPoint b, TMyPoint c) noexcept;

// The filter on the rounded differences b - a and c - b, then, where it
// cannot vouch, ExactTurn: the exact sign for any finite points. Out of
// line, for callers that have no sides of their own.
[[nodiscard]] int Turn(TMyPoint a, TMyPoint b, TMyPoint c) noexcept;

// Whether four corners turn left at every corner (+1), right at every
// corner (-1), or neither (0), given the filter's turns of corners k, k + 1,
// k + 2 for k = 0 ... 3, of which at least one is not vouched for: those
// are decided exactly, unless the others already turn both ways. Finite
// corners.
[[nodiscard]] double TurningOfCorners(const std::array<TMyPoint, 4>& corners,
                                      const std::array<BoundedTurn, 4>& turns) noexcept;

// The filter's turn and bound for b - a and c - b, as Turn and the figure
// test compute them (the figure test on sides near unit size), compiled
// with the library.
[[nodiscard]] BoundedTurn BoundedTurnOfCorners(TMyPoint a, TMyPoint b, TMyPoint c) noexcept;

// The last stage of ExactTurn alone: the six products of coordinates,
// added up by the library's exact sum of products. Exact for any finite
// points.
[[nodiscard]] int ExpansionTurn(TMyPoint a, TMyPoint b, TMyPoint c) noexcept;

}  // namespace orientation
