#pragma once

// The formulas of the two constructions, written once and shared by the
// public functions, which guard them against every input, and by the figure
// test, which has guarded its figure already and knows its side lengths.

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
