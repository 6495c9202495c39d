// SPDX-License-Identifier: MIT
#include "Orientation.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <utility>

#include "PairArithmetic.h"

// The exact sign, in expansion arithmetic on doubles. The turn is a sum of
// six products of coordinates,
//   a.x b.y - a.y b.x + b.x c.y - b.y c.x + c.x a.y - c.y a.x,
// with no difference to round or overflow first. Each coordinate is split
// into digits in [1/2, 1) and a power of two, exactly; each product of
// digits is an exact sum of two doubles (Dekker's product); and products of
// nearly the same size are added up exactly (two-sums, as a growing
// expansion), the largest first. Why that is exact for every finite input,
// overflow and underflow included, is in docs/proofs/orientation.md.
//
// The library is compiled with -ffp-contract=off: Dekker's product and the
// two-sum rely on each operation being rounded as written.

namespace orientation {
namespace {

constexpr int kDigits = std::numeric_limits<double>::digits;  // 53

// One product of two coordinates, exactly (high + low) * 2^exponent, with
// |high + low| in [1/4, 1).
struct Product {
  double high = 0.0;
  double low = 0.0;
  int exponent = 0;
};

// A product whose factors' digits lie in [1/2, 1) is an integer times
// 2^-106; the terms of one group are added up at the scale of the group's
// largest, and a term is let into the group while its exponent lies within
// this many binary places of the one before. Further apart, everything
// below is smaller than the last bit of a group that does not cancel
// (five products of less than 2^(e - 109) each against 2^(e - 106)); and a
// group of six spans at most 5 * 108 places, so that nothing in it falls
// below the normal range when it is brought to the group's scale.
constexpr int kGroupGap = 2 * kDigits + 2;

// x * y - p exactly, for p = x * y rounded: Dekker's product. The split
// gives each factor two halves of at most 26 bits, so that their products
// are exact; that needs factors below 2^995, where the split cannot
// overflow, and partial products that are not subnormal, which holds for
// factors in [1/2, 1) and for the multiples of 2^-452 of the second stage.
// The library is built without fused products, so Dekker's product holds on
// every target.
using incircle::detail::ProductError;

// sum + error == a + b exactly (Knuth's two-sum), for any a, b whose sum
// does not overflow.
struct TwoSum {
  double sum = 0.0;
  double error = 0.0;
};

[[nodiscard]] TwoSum SumOf(double a, double b) noexcept {
  const double sum = a + b;
  const double bVirtual = sum - a;
  const double aVirtual = sum - bVirtual;
  return {sum, (a - aVirtual) + (b - bVirtual)};
}

// sign * x * y as a product of digits; false when it is zero.
[[nodiscard]] bool ProductOf(double x, double y, double sign, Product& product) noexcept {
  if (x == 0.0 || y == 0.0) {
    return false;
  }
  int xExponent = 0;
  int yExponent = 0;
  const double xDigits = std::frexp(x, &xExponent) * sign;
  const double yDigits = std::frexp(y, &yExponent);
  const double high = xDigits * yDigits;
  product = {high, ProductError(xDigits, yDigits, high), xExponent + yExponent};
  return true;
}

// An exact sum of up to twelve doubles: nonoverlapping components in
// increasing magnitude (Shewchuk's growing expansion), so that the largest
// non-zero component alone decides the sign.
class Expansion {
 public:
  void Add(double value) noexcept {
    double carry = value;
    for (std::size_t i = 0; i < size_; ++i) {
      const TwoSum step = SumOf(carry, components_[i]);
      components_[i] = step.error;
      carry = step.sum;
    }
    components_[size_++] = carry;
  }

  [[nodiscard]] int Sign() const noexcept {
    for (std::size_t i = size_; i > 0; --i) {
      if (const double component = components_[i - 1]; component != 0.0) {
        return component > 0.0 ? 1 : -1;
      }
    }
    return 0;
  }

  void Clear() noexcept { size_ = 0; }

 private:
  std::array<double, 12> components_{};
  std::size_t size_ = 0;
};

// Where every coordinate is zero or within [2^-400, 2^500] in magnitude,
// every difference, product and error term below is a multiple of 2^-904
// and at most 2^1003: nothing overflows, nothing non-zero is subnormal, and
// each operation is rounded relatively, by at most u = 2^-53.
[[nodiscard]] bool InSecondStageRange(double value) noexcept {
  const double magnitude = std::fabs(value);
  return magnitude == 0.0 || (magnitude >= 0x1p-400 && magnitude <= 0x1p500);
}

[[nodiscard]] bool InSecondStageRange(TMyPoint a, TMyPoint b, TMyPoint c) noexcept {
  return InSecondStageRange(a.x) && InSecondStageRange(a.y) && InSecondStageRange(b.x) &&
         InSecondStageRange(b.y) && InSecondStageRange(c.x) && InSecondStageRange(c.y);
}

}  // namespace

std::optional<int> SecondStageSign(TMyPoint a, TMyPoint b, TMyPoint c) noexcept {
  if (!InSecondStageRange(a, b, c)) {
    return std::nullopt;
  }
  // The sides as rounded, and what their rounding left out, exactly.
  const TwoSum x1 = SumOf(b.x, -a.x);
  const TwoSum y1 = SumOf(b.y, -a.y);
  const TwoSum x2 = SumOf(c.x, -b.x);
  const TwoSum y2 = SumOf(c.y, -b.y);
  // The turn of the rounded sides, exactly: h + hError + pError - qError.
  const double p = x1.sum * y2.sum;
  const double q = y1.sum * x2.sum;
  const TwoSum h = SumOf(p, -q);
  const double pError = ProductError(x1.sum, y2.sum, p);
  const double qError = ProductError(y1.sum, x2.sum, q);
  if (x1.error == 0.0 && y1.error == 0.0 && x2.error == 0.0 && y2.error == 0.0) {
    // The sides are exact, and so is their turn: four doubles.
    Expansion turn;
    turn.Add(h.error);
    turn.Add(pError);
    turn.Add(-qError);
    turn.Add(h.sum);
    return turn.Sign();
  }
  // What the left-out parts add, to first order; the products of two of
  // them, at most u^2 of the sides' products, are left out and bounded.
  const double rest = ((h.error + pError) - qError) + ((x1.sum * y2.error + x1.error * y2.sum) -
                                                       (y1.sum * x2.error + y1.error * x2.sum));
  const double turn = h.sum + rest;
  const double bound = kSecondTurnErrorFactor * (std::fabs(h.sum) + (std::fabs(p) + std::fabs(q)));
  if (std::fabs(turn) > bound) {
    return turn > 0.0 ? 1 : -1;
  }
  return std::nullopt;
}

int ExactTurn(TMyPoint a, TMyPoint b, TMyPoint c) noexcept {
  if (a == b || b == c || c == a) {
    return 0;
  }
  if (const std::optional<int> sign = SecondStageSign(a, b, c)) {
    return *sign;
  }
  return ExpansionTurn(a, b, c);
}

int ExpansionTurn(TMyPoint a, TMyPoint b, TMyPoint c) noexcept {
  std::array<Product, 6> products;
  std::size_t count = 0;
  const auto add = [&](double x, double y, double sign) {
    count += ProductOf(x, y, sign, products[count]) ? 1U : 0U;
  };
  add(a.x, b.y, 1.0);
  add(a.y, b.x, -1.0);
  add(b.x, c.y, 1.0);
  add(b.y, c.x, -1.0);
  add(c.x, a.y, 1.0);
  add(c.y, a.x, -1.0);
  // Largest exponent first: insertion sort of at most six.
  for (std::size_t i = 1; i < count; ++i) {
    for (std::size_t j = i; j > 0 && products[j - 1].exponent < products[j].exponent; --j) {
      std::swap(products[j - 1], products[j]);
    }
  }
  Expansion sum;
  std::size_t first = 0;  // of the group being added up
  for (std::size_t i = 0; i < count; ++i) {
    const int shift = products[i].exponent - products[first].exponent;
    sum.Add(std::ldexp(products[i].high, shift));
    sum.Add(std::ldexp(products[i].low, shift));
    const bool groupEnds =
        i + 1 == count || products[i + 1].exponent < products[i].exponent - kGroupGap;
    if (groupEnds) {
      if (const int sign = sum.Sign(); sign != 0) {
        return sign;
      }
      sum.Clear();
      first = i + 1;
    }
  }
  return 0;
}

double TurningOfCorners(const std::array<TMyPoint, 4>& corners,
                        const std::array<BoundedTurn, 4>& turns) noexcept {
  std::array<int, 4> signs{};
  bool anyLeft = false;
  bool anyRight = false;
  for (std::size_t k = 0; k < 4; ++k) {
    const BoundedTurn t = turns[k];
    signs[k] = t.turn > t.bound ? 1 : (-t.turn > t.bound ? -1 : 0);
    anyLeft = anyLeft || signs[k] > 0;
    anyRight = anyRight || signs[k] < 0;
  }
  for (std::size_t k = 0; k < 4 && !(anyLeft && anyRight); ++k) {
    if (signs[k] == 0) {
      const int sign = ExactTurn(corners[k], corners[(k + 1) % 4], corners[(k + 2) % 4]);
      if (sign == 0) {
        return 0.0;
      }
      anyLeft = anyLeft || sign > 0;
      anyRight = anyRight || sign < 0;
    }
  }
  if (anyLeft == anyRight) {
    return 0.0;
  }
  return anyLeft ? 1.0 : -1.0;
}

BoundedTurn BoundedTurnOfCorners(TMyPoint a, TMyPoint b, TMyPoint c) noexcept {
  return BoundedTurnOf(b - a, c - b);
}

int Turn(TMyPoint a, TMyPoint b, TMyPoint c) noexcept {
  const double turn = FilteredTurn(b - a, c - b);
  if (turn != 0.0) {
    return turn > 0.0 ? 1 : -1;
  }
  return ExactTurn(a, b, c);
}

}  // namespace orientation
