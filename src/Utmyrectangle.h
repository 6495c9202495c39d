// SPDX-License-Identifier: MIT
#pragma once

#include <array>

#include "Utmypoint.h"
#include "incircle_export.h"

// A figure of four corners, numbered in order around it: corner i neighbours
// corners i - 1 and i + 1 (mod 4). Nothing is checked when the corners are
// set; the figure test decides what it can answer for.
struct TMyRectangle {
  std::array<TMyPoint, 4> corners{};

  // True when a circle touches all four sides from inside: the figure is a
  // strictly convex quadrilateral (turning either way) and the bisector
  // lines of corners 0 and 3 meet where those of corners 1 and 2 meet. Any
  // other figure, non-finite corners included, answers false.
  [[nodiscard]] INCIRCLE_EXPORT bool CanInscribeCircle() const noexcept;
};
