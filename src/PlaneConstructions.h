#pragma once

// The formulas of the constructions: the bisector point and the crossing,
// which the public functions guard against every input, and the bisector
// direction, which the figure test uses on a figure it has guarded already
// and whose side lengths it knows.

#include <cmath>
#include <optional>

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

// Below this, a product of coordinates may have lost bits to gradual
// underflow; far above the smallest normal double, far below any ordinary
// geometry.
inline constexpr double kSmallestTrustedProduct = 0x1p-900;

// The crossing of the line through P0 along d1 with the line through P2
// along d2, as P0 + t * d1 with t = Cross(P2 - P0, d2) / Cross(d1, d2): fast,
// and within a few units in the last place of the crossing of the lines
// along d1 and d2 as given, as long as no difference or product leaves the
// range where doubles keep their full precision; each unit by which d1 or d2
// is off turns its line, and moves the crossing by about that over the
// angle between the lines. No value where a product might have left that
// range (the lines are then parallel, or need more care).
[[nodiscard]] inline std::optional<TMyPoint> DirectCrossing(TMyPoint P0, TMyPoint d1, TMyPoint P2,
                                                            TMyPoint d2) noexcept {
  const double denominator = Cross(d1, d2);
  if (!(std::fabs(denominator) >= kSmallestTrustedProduct) || !std::isfinite(denominator)) {
    return std::nullopt;
  }
  const TMyPoint crossing = P0 + d1 * (Cross(P2 - P0, d2) / denominator);
  if (!IsFinite(crossing)) {
    return std::nullopt;
  }
  return crossing;
}
