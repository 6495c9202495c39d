// SPDX-License-Identifier: MIT
#pragma once

// Arithmetic on numbers held as two doubles, hi + lo, that carries about 106
// bits: error-free sums and products, and the product and quotient of
// pairs with a proven relative error. For values near unit size, where
// nothing overflows and no error term is subnormal: callers scale first.

#include <cmath>

#include "FloatingPointTarget.h"

namespace incircle::detail {

// The rounding error of p = x * y, exactly, without a fused multiply-add
// (Dekker's product): for factors below 2^995 in magnitude, where the split
// cannot overflow, and products whose error is not subnormal. Only used
// where the target cannot fuse, for fusing would spoil it.
[[nodiscard]] constexpr double ProductError(double x, double y, double p) noexcept {
  constexpr double kSplitter = 0x1p27 + 1;
  const double xBig = x * kSplitter;
  const double xHigh = xBig - (xBig - x);
  const double xLow = x - xHigh;
  const double yBig = y * kSplitter;
  const double yHigh = yBig - (yBig - y);
  const double yLow = y - yHigh;
  return ((xHigh * yHigh - p) + xHigh * yLow + xLow * yHigh) + xLow * yLow;
}

struct Pair {
  double hi = 0.0;
  double lo = 0.0;
};

// a + b = hi + lo exactly, for |a| >= |b| or a == 0 (Dekker).
[[nodiscard]] inline Pair FastTwoSum(double a, double b) noexcept {
  const double hi = a + b;
  return {hi, b - (hi - a)};
}

// a + b = hi + lo exactly, whatever their order (Knuth), if a + b does not
// overflow.
[[nodiscard]] inline Pair TwoSum(double a, double b) noexcept {
  const double hi = a + b;
  const double bPart = hi - a;
  const double aPart = hi - bPart;
  return {hi, (a - aPart) + (b - bPart)};
}

// a * b = hi + lo exactly: from a fused multiply-add where the target has
// one, from Dekker's product where it has not (for factors below 2^995 and
// an error that is not subnormal).
[[nodiscard]] inline Pair TwoProduct(double a, double b) noexcept {
  INCIRCLE_UNFUSED_PRODUCTS
  const double hi = a * b;
  if constexpr (kFusedMultiplyAdd) {
    return {hi, std::fma(a, b, -hi)};
  } else {
    return {hi, ProductError(a, b, hi)};
  }
}

// x * y, within a relative 3 * 2^-106 (docs/proofs/meeting-point.md).
[[nodiscard]] inline Pair Times(Pair x, Pair y) noexcept {
  INCIRCLE_UNFUSED_PRODUCTS
  const Pair p = TwoProduct(x.hi, y.hi);
  const double cross = x.hi * y.lo + x.lo * y.hi;
  return FastTwoSum(p.hi, p.lo + cross);
}

// n / d, within a relative 2^-100 (docs/proofs/meeting-point.md); d.hi != 0.
[[nodiscard]] inline Pair DividedBy(Pair n, Pair d) noexcept {
  INCIRCLE_UNFUSED_PRODUCTS
  const double q1 = n.hi / d.hi;
  const Pair p = TwoProduct(q1, d.hi);
  // n - q1 * d: n.hi - p.hi is exact, the rest rounds a little.
  const double remainder = (((n.hi - p.hi) - p.lo) + n.lo) - q1 * d.lo;
  return FastTwoSum(q1, remainder / d.hi);
}

}  // namespace incircle::detail
