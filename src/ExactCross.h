#pragma once

// The cross product whose sign is exact, as the library's own code computes
// it: inline, compiled with the library's flags, for the figure test's fast
// path. Users get the same function through the out-of-line Cross.

#include <cmath>

#include "FloatingPointTarget.h"
#include "Utmypoint.h"

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

// Kahan's 2 by 2 determinant, a.x * b.y - a.y * b.x: the rounding error of
// one product, recovered exactly, is added back to the other. With fused
// multiply-adds the result lies within two units in the last place of the
// exact value (Jeannerod, Louvet and Muller, 2013), so its sign is exact, as
// long as no product falls below about 2^-969, where the recovered error
// would be subnormal; no product is left for a compiler to fuse. Without a
// fused multiply-add, std::fma is a library routine, slow, and on MinGW-w64
// wrong in its last bits, so the errors come from Dekker's products instead
// (coordinates below 2^995): where the two products cancel, their
// difference is exact and so is the result's sign; where they do not, the
// one rounding more cannot change it.
[[nodiscard]] inline double KahanCross(TMyPoint a, TMyPoint b) noexcept {
  INCIRCLE_UNFUSED_PRODUCTS
  const double w = a.y * b.x;
  if constexpr (kFusedMultiplyAdd) {
    const double error = std::fma(-a.y, b.x, w);  // w - a.y * b.x, exactly
    return std::fma(a.x, b.y, -w) + error;
  } else {
    const double error = -ProductError(a.y, b.x, w);
    const double left = a.x * b.y;
    return ((left - w) + ProductError(a.x, b.y, left)) + error;
  }
}

// The cross product where the plain formula gives 0 without a fused
// multiply-add: out of line, so that the rare case costs its callers' fast
// path nothing.
[[nodiscard]] double CrossOfTiedProducts(TMyPoint a, TMyPoint b) noexcept;

// a.x * b.y - a.y * b.x with its exact sign, for every pair of vectors
// whose products do not underflow: zero exactly when they are parallel.
// Where the target fuses, Kahan's determinant; elsewhere the plain formula,
// whose sign is never wrong there, and Kahan's determinant for the rare tie.
[[nodiscard]] inline double ExactSignCross(TMyPoint a, TMyPoint b) noexcept {
  INCIRCLE_UNFUSED_PRODUCTS
  if constexpr (kFusedMultiplyAdd) {
    return KahanCross(a, b);
  } else {
    const double plain = a.x * b.y - a.y * b.x;
    if (plain != 0.0) {
      return plain;
    }
    return CrossOfTiedProducts(a, b);
  }
}

}  // namespace incircle::detail
