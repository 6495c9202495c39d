// SPDX-License-Identifier: MIT
#pragma once

// The formulas of the constructions: the bisector point, which the public
// function guards against every input, and the bisector direction, which
// the figure test uses on a figure it has guarded already and whose side
// lengths it knows.

#include "Utmypoint.h"

// From a corner to its bisector point, given the vectors from the corner to
// its neighbours B and C and their lengths: relative to the corner, so that
// a figure far from the origin keeps the precision of its own size. The
// weights lie in [0, 1], so no product grows beyond the vector it scales.
// Needs a finite, non-zero sum of lengths.
[[nodiscard]] inline TMyPoint TowardsBisectorPoint(TMyPoint toB, TMyPoint toC, double dAB,
                                                   double dAC) noexcept {
  const double sum = dAB + dAC;
  return toB * (dAC / sum) + toC * (dAB / sum);
}

// A direction along the inner bisector at a corner, from the vectors to its
// next and previous neighbours, their lengths, and the way the figure turns
// there (+1 when the inside lies to the left of toNext, -1 when to the
// right). The two side vectors, each weighted by the other's length, have
// equal lengths: their sum runs along the inner bisector, and so does their
// difference turned a quarter towards the inside. Each alone is accurate
// only where the other is not: the difference cancels at a sharp corner,
// the sum at a nearly straight one. Both point the same way, so their sum
// never cancels, and the direction is good to a few units in the last place
// at every corner, with no division and no branch.
[[nodiscard]] constexpr TMyPoint InwardBisectorDirection(TMyPoint toNext, TMyPoint toPrevious,
                                                         double lengthToNext,
                                                         double lengthToPrevious,
                                                         double turn) noexcept {
  const TMyPoint alongNext = toNext * lengthToPrevious;
  const TMyPoint alongPrevious = toPrevious * lengthToNext;
  const TMyPoint along = alongNext + alongPrevious;
  const TMyPoint across = alongNext - alongPrevious;
  return {along.x - turn * across.y, along.y + turn * across.x};
}

// a.x * b.y - a.y * b.x where its size matters and not its exact sign: the
// plain formula, without the branch that makes Cross exact in sign.
[[nodiscard]] constexpr double CrossValue(TMyPoint a, TMyPoint b) noexcept {
  return a.x * b.y - a.y * b.x;
}
