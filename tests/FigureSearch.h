// SPDX-License-Identifier: MIT
#pragma once

// Searches for the worst case of the figure test's bounds: a seeded,
// deterministic hill climb over the parameters of a family of figures, and
// the bisection of a slide of one corner to the edge where the verdict
// turns. The figures are drawn around a known circle in long double and
// rounded once (ExtremeCorners.h); their defects and the limit that their
// rounding sets are measured in long double.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "ExtremeCorners.h"
#include "Utmyrectangle.h"

namespace search {

using extreme::Outline;

[[nodiscard]] inline bool Verdict(const Outline& corners) {
  TMyRectangle figure;
  figure.corners = corners;
  return figure.CanInscribeCircle();
}

// The corners in hexadecimal, exactly.
[[nodiscard]] inline std::string Describe(const Outline& o) {
  std::string text;
  for (const TMyPoint p : o) {
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "(%a, %a) ", p.x, p.y);
    text += buffer.data();
  }
  return text;
}

// How much moving every coordinate by half a unit in its last place can
// change the figure's Pitot defect, to first order and relative to its
// perimeter: no test of the corners as doubles can tell defects apart more
// finely than this.
[[nodiscard]] inline long double PhysicalLimit(const Outline& o) {
  std::array<extreme::Wide, 4> unit{};
  long double perimeter = 0;
  for (std::size_t k = 0; k < 4; ++k) {
    const extreme::Wide side = extreme::Difference(o[(k + 1) % 4], o[k]);
    const long double length = std::hypot(side.x, side.y);
    unit[k] = {side.x / length, side.y / length};
    perimeter += length;
  }
  const auto halfUlp = [](double v) {
    return static_cast<long double>(std::fabs(v)) *
           static_cast<long double>(std::numeric_limits<double>::epsilon()) / 2;
  };
  long double change = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    // Sides i - 1 and i enter the defect with opposite signs, and corner i
    // ends the one and starts the other.
    const extreme::Wide before = unit[(i + 3) % 4];
    const extreme::Wide after = unit[i];
    change += std::fabs(before.x + after.x) * halfUlp(o[i].x) +
              std::fabs(before.y + after.y) * halfUlp(o[i].y);
  }
  return change / perimeter;
}

// A figure as a function of one slide of a corner, the slide given as a
// fraction of the side it runs along (negative: outwards).
using SlidFigure = std::function<Outline(long double)>;

// The figure at the largest slide, between 0 and `far`, at which it still
// answers yes, found by bisection between a slide that answers yes and one
// that answers no. When the figure does not answer yes even unslid, none;
// when it still does at `far`, the figure there.
[[nodiscard]] inline std::optional<Outline> EdgeFigure(const SlidFigure& figure, long double far) {
  if (!Verdict(figure(0))) {
    return std::nullopt;
  }
  if (Verdict(figure(far))) {
    return figure(far);
  }
  long double yes = 0;
  long double no = far;
  for (int step = 0; step < 64; ++step) {
    const long double middle = (yes + no) / 2;
    (Verdict(figure(middle)) ? yes : no) = middle;
  }
  return figure(yes);
}

// The defect of the figure at that edge; 0 when there is none.
[[nodiscard]] inline long double EdgeDefect(const SlidFigure& figure, long double far) {
  const std::optional<Outline> edge = EdgeFigure(figure, far);
  return edge ? extreme::PitotDefect(*edge) : 0;
}

// One corner slid along the line to one of its neighbours by `by` of that
// side, in long double, and rounded once.
[[nodiscard]] inline Outline SlidBy(const Outline& o, std::size_t corner, std::size_t towards,
                                    long double by) {
  Outline moved = o;
  const extreme::Wide side = extreme::Difference(o[towards], o[corner]);
  moved[corner] =
      TMyPoint(static_cast<double>(static_cast<long double>(o[corner].x) + side.x * by),
               static_cast<double>(static_cast<long double>(o[corner].y) + side.y * by));
  return moved;
}

// The best of a hill climb over parameters in [0, 1]: from each of a few
// random starts, steps that change one parameter by a random amount on a
// scale that shrinks when the climb stalls; a step is kept when it is no
// worse. The objective is maximised; NaN marks parameters outside the family.
struct Peak {
  std::vector<long double> parameters;
  long double value = -std::numeric_limits<long double>::infinity();
  long evaluations = 0;
};

[[nodiscard]] inline Peak Climb(
    std::size_t dimensions, const std::function<long double(const std::vector<long double>&)>& f,
    std::uint64_t seed, int starts, int steps) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<long double> unit(0, 1);
  Peak best;
  for (int start = 0; start < starts; ++start) {
    std::vector<long double> here(dimensions);
    long double value = std::numeric_limits<long double>::quiet_NaN();
    for (int attempt = 0; attempt < 100 && std::isnan(value); ++attempt) {
      std::generate(here.begin(), here.end(), [&] { return unit(random); });
      value = f(here);
      ++best.evaluations;
    }
    long double scale = 0.1L;
    for (int step = 0; step < steps && !std::isnan(value); ++step) {
      std::vector<long double> next = here;
      const std::size_t which =
          std::uniform_int_distribution<std::size_t>(0, dimensions - 1)(random);
      next[which] = std::clamp(next[which] + scale * (2 * unit(random) - 1), 0.0L, 1.0L);
      const long double nextValue = f(next);
      ++best.evaluations;
      if (!std::isnan(nextValue) && nextValue >= value) {
        here = next;
        value = nextValue;
      } else {
        scale = std::max(scale * 0.9L, 1e-6L);
      }
    }
    if (!std::isnan(value) && value > best.value) {
      best.value = value;
      best.parameters = here;
    }
  }
  return best;
}

// A parameter in [0, 1] spread evenly over the decades from `low` to `high`.
[[nodiscard]] inline long double Logarithmic(long double parameter, long double low,
                                             long double high) {
  return low * std::pow(high / low, parameter);
}

}  // namespace search
