// SPDX-License-Identifier: MIT
#pragma once

// An incircle test that shares nothing with the library's: for integer
// corners, a quadrilateral has an inscribed circle exactly when it is
// strictly convex and its opposite sides have equal sums (Pitot's theorem and
// its converse), and both can be decided in integer arithmetic, square roots
// included.

#include <array>
#include <cstdint>
#include <cstdlib>

namespace oracle {

struct IntPoint {
  std::int64_t x = 0;
  std::int64_t y = 0;
};
using IntFigure = std::array<IntPoint, 4>;

// Coordinates up to this magnitude keep every intermediate below 2^127.
inline constexpr std::int64_t kLargestCoordinate = 4096;

__extension__ using Int128 = __int128;

[[nodiscard]] constexpr int Sign(Int128 v) {
  if (v == 0) {
    return 0;
  }
  return v > 0 ? 1 : -1;
}

// sign(u + sqrt(a) - sqrt(b)) for a, b >= 0, exactly.
[[nodiscard]] constexpr int SignOfSumWithRoots(Int128 u, Int128 a, Int128 b) {
  const int rootsSign = Sign(a - b);
  if (u == 0 || rootsSign == 0 || Sign(u) == rootsSign) {
    return u == 0 ? rootsSign : Sign(u);
  }
  if (u > 0) {  // and a < b: compare (u + sqrt(a))^2 with b
    const Int128 w = u * u + a - b;
    if (w >= 0) {
      return (w == 0 && a == 0) ? 0 : 1;
    }
    return Sign(4 * u * u * a - w * w);
  }
  // u < 0 and a > b: compare a with (sqrt(b) - u)^2
  const Int128 w = a - b - u * u;
  if (w <= 0) {
    return (w == 0 && b == 0) ? 0 : -1;
  }
  return Sign(w * w - 4 * u * u * b);
}

// sign(sqrt(p) + sqrt(q) - sqrt(r) - sqrt(s)) for p, q, r, s >= 0: both sums
// are non-negative, so it is the sign of the difference of their squares,
// (p + q - r - s) + sqrt(4pq) - sqrt(4rs).
[[nodiscard]] constexpr int CompareRootSums(Int128 p, Int128 q, Int128 r, Int128 s) {
  return SignOfSumWithRoots(p + q - r - s, 4 * p * q, 4 * r * s);
}

[[nodiscard]] constexpr Int128 SquaredDistance(IntPoint a, IntPoint b) {
  const Int128 dx = b.x - a.x;
  const Int128 dy = b.y - a.y;
  return dx * dx + dy * dy;
}

[[nodiscard]] constexpr bool IsStrictlyConvex(const IntFigure& f) {
  int left = 0;
  int right = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const IntPoint a = f[i];
    const IntPoint b = f[(i + 1) % 4];
    const IntPoint c = f[(i + 2) % 4];
    const std::int64_t turn = (b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x);
    left += turn > 0 ? 1 : 0;
    right += turn < 0 ? 1 : 0;
  }
  return left == 4 || right == 4;
}

// Corners beyond kLargestCoordinate are outside what this decides exactly.
[[nodiscard]] constexpr bool HasIncircle(const IntFigure& f) {
  for (const IntPoint p : f) {
    if (p.x > kLargestCoordinate || p.x < -kLargestCoordinate || p.y > kLargestCoordinate ||
        p.y < -kLargestCoordinate) {
      std::abort();
    }
  }
  return IsStrictlyConvex(f) &&
         CompareRootSums(SquaredDistance(f[0], f[1]), SquaredDistance(f[2], f[3]),
                         SquaredDistance(f[1], f[2]), SquaredDistance(f[3], f[0])) == 0;
}

}  // namespace oracle
