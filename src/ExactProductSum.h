// SPDX-License-Identifier: MIT
#pragma once

// Sums of products of doubles, exactly, for any finite doubles: every double
// is an integer of at most 53 bits times a power of two from 2^-1074 to
// 2^971, so each product is an integer of at most 106 bits times a power of
// two from 2^-2148 up, and a sum of a few of them is an integer of some 4200
// bits times 2^-2148. That integer is kept in base 2^26; nothing is
// rounded, nothing overflows or underflows, no floating-point operation is
// performed until the sum is read.

#include <cstdint>
#include <span>

namespace incircle::detail {

// A number as a pair of doubles, hi + lo with |lo| at most half a unit in
// the last place of hi, times 2^exponent.
struct ScaledPair {
  double hi = 0.0;
  double lo = 0.0;
  int exponent = 0;
};

// One product, a * b * 2^exponent, subtracted when negative is set.
struct ProductTerm {
  double a = 0.0;
  double b = 0.0;
  int exponent = 0;  // 0, 1 or 2: the halving of differences that overflow
  bool negative = false;
};

// The sum of the terms (finite factors, at most 16 terms), read as a pair
// within a relative 2^-104 of the exact sum, with hi in [2^130, 2^157) in
// magnitude; hi == 0 exactly when the sum is exactly zero, and hi has the
// sign of the exact sum.
[[nodiscard]] ScaledPair ExactSumOfProducts(std::span<const ProductTerm> terms) noexcept;

}  // namespace incircle::detail
