// SPDX-License-Identifier: MIT
#pragma once

// Every numbering of a figure's corners, starting at any corner and running
// either way round, describes the same figure.

#include <array>
#include <cstddef>

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

}  // namespace figures
