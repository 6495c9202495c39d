// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>  // FP_FAST_FMA

// What the target's floating point does with a product followed by a sum:
// the one place where the geometry asks the compiler about the CPU.

// Whether the target has a fused multiply-add: compilers then fuse products
// into sums unless told otherwise, and std::fma is one instruction.
#if defined(FP_FAST_FMA) || defined(__FP_FAST_FMA) || defined(__FMA__) || defined(__ARM_FEATURE_FMA)
inline constexpr bool kFusedMultiplyAdd = true;
#else
inline constexpr bool kFusedMultiplyAdd = false;
#endif

// Opens a function body whose products must each be rounded as written,
// never fused into the sum that follows: what clang can be told for one
// function. Elsewhere only a target without a fused multiply-add is relied
// on for that.
#if defined(__clang__)
#define INCIRCLE_UNFUSED_PRODUCTS _Pragma("clang fp contract(off)")
#else
#define INCIRCLE_UNFUSED_PRODUCTS
#endif
