// SPDX-License-Identifier: MIT
#include "ExactProductSum.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>

namespace incircle::detail {
namespace {

constexpr int kDigitBits = 26;
constexpr std::int64_t kDigitMask = (std::int64_t{1} << kDigitBits) - 1;
// The exponent of the lowest bit of a double, -1074, and of the highest bit
// of a double's significand read as an integer below 2^53, 971.
constexpr int kLowestDoubleBit =
    std::numeric_limits<double>::min_exponent - std::numeric_limits<double>::digits;
constexpr int kHighestDoubleBit =
    std::numeric_limits<double>::max_exponent - std::numeric_limits<double>::digits;
// The lowest bit of any product of two doubles: 2^-1074 * 2^-1074.
constexpr int kLowestBit = 2 * kLowestDoubleBit;
// The highest bit a product can reach, counted from kLowestBit: factors
// below 2^(971 + 53), each times at most 2 for a halved difference; the
// digits end one above the digit of that bit.
constexpr int kHighestProductBit =
    2 * kHighestDoubleBit + 2 + 2 * std::numeric_limits<double>::digits - kLowestBit;
constexpr int kDigitCount = kHighestProductBit / kDigitBits + 4;

// |x| = significand * 2^exponent, significand an integer below 2^53.
struct IntegerDouble {
  std::uint64_t significand = 0;
  int exponent = 0;
  bool negative = false;
};

[[nodiscard]] IntegerDouble Decompose(double x) noexcept {
  const auto bits = std::bit_cast<std::uint64_t>(x);
  const auto field = static_cast<int>((bits >> 52U) & 0x7ffU);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52U) - 1);
  const bool negative = (bits >> 63U) != 0;
  if (field == 0) {
    return {fraction, kLowestDoubleBit, negative};  // zero or subnormal
  }
  return {fraction | (std::uint64_t{1} << 52U), field + kLowestDoubleBit - 1, negative};
}

using Digits = std::array<std::int64_t, kDigitCount>;

// Adds sign * value * 2^(26 index + shift), value below 2^54, into the
// digits from index to index + 2.
inline void AddAt(Digits& digits, std::size_t index, unsigned shift, std::uint64_t value,
                  std::int64_t sign) noexcept {
  const unsigned room = kDigitBits - shift;
  const std::uint64_t low = value & ((std::uint64_t{1} << room) - 1);
  const std::uint64_t rest = value >> room;  // below 2^(28 + shift)
  digits[index] += sign * static_cast<std::int64_t>(low << shift);
  digits[index + 1] +=
      sign * static_cast<std::int64_t>(rest & static_cast<std::uint64_t>(kDigitMask));
  digits[index + 2] += sign * static_cast<std::int64_t>(rest >> static_cast<unsigned>(kDigitBits));
}

}  // namespace

ScaledPair ExactSumOfProducts(std::span<const ProductTerm> terms) noexcept {
  // The bit of each product's lowest bit, counted from kLowestBit.
  const auto lowestBitOf = [](const IntegerDouble& a, const IntegerDouble& b, int exponent) {
    return a.exponent + b.exponent + exponent - kLowestBit;
  };
  int lowestBit = kHighestProductBit;
  int highestBit = -1;
  for (const ProductTerm& term : terms) {
    const IntegerDouble a = Decompose(term.a);
    const IntegerDouble b = Decompose(term.b);
    if (a.significand != 0 && b.significand != 0) {
      const int bit = lowestBitOf(a, b, term.exponent);
      lowestBit = std::min(lowestBit, bit);
      highestBit = std::max(highestBit, bit + 106);
    }
  }
  if (highestBit < 0) {
    return {};  // every product is zero
  }

  // Only the digits that the products reach, and the one above them, are
  // cleared and used: a sum of up to 16 products needs 4 bits more than the
  // largest, and its sign one more, and the digit above has at least 26.
  const int first = lowestBit / kDigitBits;
  const int last = highestBit / kDigitBits + 1;
  Digits digits;  // cleared below where used: a call clears a few of its 165 digits
  std::fill(digits.begin() + first, digits.begin() + last + 1, 0);
  for (const ProductTerm& term : terms) {
    const IntegerDouble a = Decompose(term.a);
    const IntegerDouble b = Decompose(term.b);
    if (a.significand == 0 || b.significand == 0) {
      continue;
    }
    const int bit = lowestBitOf(a, b, term.exponent);
    const std::int64_t sign = (a.negative != b.negative) != term.negative ? -1 : 1;
    // Each factor as halves below 2^27 and 2^26: partial products below
    // 2^54, 26 bits apart. The middle two are each below 2^53, so their sum
    // is below 2^54.
    const std::uint64_t aLow = a.significand & static_cast<std::uint64_t>(kDigitMask);
    const std::uint64_t aHigh = a.significand >> static_cast<unsigned>(kDigitBits);
    const std::uint64_t bLow = b.significand & static_cast<std::uint64_t>(kDigitMask);
    const std::uint64_t bHigh = b.significand >> static_cast<unsigned>(kDigitBits);
    const auto index = static_cast<std::size_t>(bit / kDigitBits);
    const auto shift = static_cast<unsigned>(bit % kDigitBits);
    AddAt(digits, index, shift, aLow * bLow, sign);
    AddAt(digits, index + 1, shift, aLow * bHigh + aHigh * bLow, sign);
    AddAt(digits, index + 2, shift, aHigh * bHigh, sign);
  }

  // Carries, from the lowest digit up: every digit in [0, 2^26), and the
  // carry out of the top the sign, 0 or -1.
  std::int64_t carry = 0;
  for (int i = first; i <= last; ++i) {
    const std::int64_t digit = digits[static_cast<std::size_t>(i)] + carry;
    carry = digit >> kDigitBits;  // floor division by 2^26
    digits[static_cast<std::size_t>(i)] = digit & kDigitMask;
  }
  const bool negative = carry < 0;
  if (negative) {
    // The magnitude, 2^(26 (last + 1)) minus the digits: their complement,
    // plus one.
    std::int64_t borrow = 1;
    for (int i = first; i <= last; ++i) {
      const std::int64_t digit = (kDigitMask - digits[static_cast<std::size_t>(i)]) + borrow;
      borrow = digit >> kDigitBits;
      digits[static_cast<std::size_t>(i)] = digit & kDigitMask;
    }
  }
  int top = last;
  while (top >= first && digits[static_cast<std::size_t>(top)] == 0) {
    --top;
  }
  if (top < first) {
    return {};
  }

  // The six digits from the top, as three doubles of 52 bits each, exact:
  // y2 >= 2^130 leads, y1 < 2^104 and y0 < 2^52 follow. The digits below
  // are less than a part in 2^130 of the sum.
  const auto digit = [&](int i) {
    return i >= first ? static_cast<double>(digits[static_cast<std::size_t>(i)]) : 0.0;
  };
  const double y2 = (digit(top) * 0x1p26 + digit(top - 1)) * 0x1p104;
  const double y1 = (digit(top - 2) * 0x1p26 + digit(top - 3)) * 0x1p52;
  const double y0 = digit(top - 4) * 0x1p26 + digit(top - 5);
  // y2 + y1 exactly, then y0 added to the low part: one rounding, of a
  // relative 2^-106 at most.
  const double hi = y2 + y1;
  const double lo = (y1 - (hi - y2)) + y0;
  const double high = hi + lo;
  const double low = lo - (high - hi);
  const double sign = negative ? -1.0 : 1.0;
  return {sign * high, sign * low, (top - 5) * kDigitBits + kLowestBit};
}

}  // namespace incircle::detail
