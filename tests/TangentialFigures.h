// SPDX-License-Identifier: MIT
#pragma once

// Figures drawn around a known circle of radius 1 at the origin: four
// tangent points, a corner where the tangents of neighbouring points meet.
// The angle at a corner is 180 degrees less the arc between its two tangent
// points, so arcs between 10 and 170 degrees give corners between 170 and 10.

#include <array>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <random>

#include "Utmypoint.h"

namespace figures {

using Outline = std::array<TMyPoint, 4>;

inline constexpr double kDegree = std::numbers::pi / 180.0;

[[nodiscard]] inline Outline DrawnAroundTheUnitCircle(std::mt19937_64& random) {
  std::uniform_real_distribution<double> arc(10 * kDegree, 170 * kDegree);
  std::array<double, 4> arcs{};
  do {
    arcs = {arc(random), arc(random), arc(random), 0.0};
    arcs[3] = 2 * std::numbers::pi - arcs[0] - arcs[1] - arcs[2];
  } while (arcs[3] < 10 * kDegree || arcs[3] > 170 * kDegree);

  double tangentAt = std::uniform_real_distribution<double>(0, 2 * std::numbers::pi)(random);
  Outline outline;
  for (std::size_t i = 0; i < 4; ++i) {
    const double cornerAt = tangentAt + arcs[i] / 2;
    const double distance = 1 / std::cos(arcs[i] / 2);
    outline[i] = TMyPoint(distance * std::cos(cornerAt), distance * std::sin(cornerAt));
    tangentAt += arcs[i];
  }
  return outline;
}

}  // namespace figures
