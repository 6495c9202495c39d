// SPDX-License-Identifier: MIT
#pragma once

// Every numbering of a figure's corners, starting at any corner and running
// either way round, describes the same figure.

#include <array>
#include <cstddef>
#include <ostream>

#include "Utmypoint.h"

namespace figures {

[[nodiscard]] inline std::array<TMyPoint, 4> Renumbered(const std::array<TMyPoint, 4>& corners,
                                                        std::size_t start, bool reversed) {
  std::array<TMyPoint, 4> renumbered;
  for (std::size_t i = 0; i < 4; ++i) {
    renumbered[i] = corners[(reversed ? start + 4 - i : start + i) % 4];
  }
  return renumbered;
}

struct Numbering {
  std::array<TMyPoint, 4> corners;
  std::size_t start = 0;  // the corner numbered 0 here
  bool reversed = false;  // whether the numbers run the other way round
};

inline std::ostream& operator<<(std::ostream& out, const Numbering& n) {
  return out << "starting at corner " << n.start << (n.reversed ? ", reversed" : "");
}

// The eight numberings, the given one first.
[[nodiscard]] inline std::array<Numbering, 8> EveryNumbering(
    const std::array<TMyPoint, 4>& corners) {
  std::array<Numbering, 8> numberings;
  for (std::size_t k = 0; k < 8; ++k) {
    const std::size_t start = k % 4;
    const bool reversed = k >= 4;
    numberings[k] = {Renumbered(corners, start, reversed), start, reversed};
  }
  return numberings;
}

}  // namespace figures
