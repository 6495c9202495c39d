// SPDX-License-Identifier: MIT
#pragma once

// The cross product whose sign is exact, as the library's own code computes
// it: inline, compiled with the library's flags, for the figure test's fast
// path. Users get the same function through the out-of-line Cross.

#include <cmath>

#include "FloatingPointTarget.h"
#include "Utmypoint.h"

namespace incircle::detail {

// Kahan's 2 by 2 determinant, a.x * b.y - a.y * b.x, with fused
// multiply-adds: the rounding error of one product, recovered exactly, is
// added back to the other, and the result lies within two units in the last
// place of the exact value (Jeannerod, Louvet and Muller, 2013), so its sign
// is exact where nothing overflows and no recovered error is lost to
// underflow (docs/proofs/cross.md). No product is left for a compiler to
// fuse. Only for targets that fuse: elsewhere std::fma is a library routine,
// slow, and on MinGW-w64 wrong in its last bits.
[[nodiscard]] inline double KahanCross(TMyPoint a, TMyPoint b) noexcept {
  INCIRCLE_UNFUSED_PRODUCTS
  const double w = a.y * b.x;
  const double error = std::fma(-a.y, b.x, w);  // w - a.y * b.x, exactly
  return std::fma(a.x, b.y, -w) + error;
}

// The cross product where the plain formula gives 0 without a fused
// multiply-add, from the exact sum of the products: out of line, so that the
// rare case costs its callers' fast path nothing.
[[nodiscard]] double CrossOfTiedProducts(TMyPoint a, TMyPoint b) noexcept;

// a.x * b.y - a.y * b.x with its exact sign, zero exactly when the vectors
// are parallel: for coordinates that are zero or within [2^-480, 2^480] in
// magnitude on every target, and for any finite ones where the target does
// not fuse and the products do not overflow (docs/proofs/cross.md). Where
// the target fuses, Kahan's determinant; elsewhere the plain formula, whose
// sign is never wrong, and the exact sum for the rare tie.
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
