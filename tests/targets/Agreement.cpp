// SPDX-License-Identifier: MIT
// Prints what the library answers on inputs where the CPU's fused multiply-add
// could make a difference: signs of cross products of nearly parallel
// vectors, crossings of lines (every bit of them), and verdicts on figures at
// the edge of the figure test's allowance. Built for one CPU against a
// library built for another, it must print what it prints when both are
// built alike.
#include <incircle/Utmypoint.h>
#include <incircle/Utmyrectangle.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <random>
#include <string>

// The names of the library's helpers are the program's own to use: the
// public headers declare none of them, and no macro.
#ifdef INCIRCLE_UNFUSED_PRODUCTS
#error "the public headers define the library's no-fusing macro"
#endif
constexpr bool kFusedMultiplyAdd = false;
double ProductError(double x, double y, double p) { return x * y - p; }
double KahanCross(double a, double b) { return a - b; }
double CrossOfTiedProducts(double a, double b) { return a + b; }

namespace {

int SignOf(double v) { return (v > 0 ? 1 : 0) - (v < 0 ? 1 : 0); }

std::string CrossSigns(std::mt19937_64& random) {
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_int_distribution<int> ulps(-2, 2);
  std::string signs;
  for (int i = 0; i < 2000; ++i) {
    const TMyPoint a(unit(random), unit(random));
    const double k = unit(random) * 8;
    TMyPoint b(a.x * k, a.y * k);
    b.y += ulps(random) * std::numeric_limits<double>::epsilon() * std::fabs(b.y);
    signs += static_cast<char>('1' + SignOf(Cross(a, b)));
  }
  return signs;
}

void PrintCrossings(std::mt19937_64& random) {
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  const auto print = [](const std::optional<TMyPoint>& p) {
    if (p) {
      std::printf("(%a, %a)\n", p->x, p->y);
    } else {
      std::printf("none\n");
    }
  };
  print(MeetingPoint({-0x1.ffffffffffcc8p+51, -0x1.fffffffffbd08p+51},
                     {-0x1.ffff841558802p+51, -0x1.ffff841475cc8p+51},
                     {0x1.ffffff00a5ad4p+51, 0x1.ffffffa57816p+51},
                     {0x1.ffffff3f247f6p+51, 0x1.ffffffc2107d6p+51}));
  print(MeetingPoint({1e308, 0}, {0, 0}, {-1e308, 1}, {-1e308, 2}));
  for (int i = 0; i < 200; ++i) {
    const double angle = std::pow(10.0, -(i % 15));
    const double phi = 3 * unit(random);
    const TMyPoint centre(unit(random), unit(random));
    const TMyPoint d1(std::cos(phi), std::sin(phi));
    const TMyPoint d2(std::cos(phi + angle), std::sin(phi + angle));
    print(MeetingPoint(centre - d1, centre + d1 * 0.5, centre - d2 * 0.25, centre + d2));
  }
}

// Kites (0, h), (w, 0), (0, -k), (-w, 0), tangential for every h, w, k,
// moved far from the origin and nudged by a few units, where rounding
// decides.
std::string Verdicts(std::mt19937_64& random) {
  std::uniform_real_distribution<double> size(0.5, 2.0);
  std::uniform_int_distribution<int> nudge(-8, 8);
  std::string verdicts;
  for (int i = 0; i < 2000; ++i) {
    const double w = size(random);
    const double h = size(random);
    const double k = size(random) * 3;
    const double far = std::ldexp(1.0, i % 40);
    TMyRectangle kite;
    kite.corners = {TMyPoint(far, far + h), TMyPoint(far + w, far), TMyPoint(far, far - k),
                    TMyPoint(far - w, far)};
    kite.corners[i % 4].x += nudge(random) * std::numeric_limits<double>::epsilon() * far;
    verdicts += kite.CanInscribeCircle() ? '1' : '0';
  }
  return verdicts;
}

}  // namespace

int main() {
  std::printf("the program's own names: %d %g %g %g\n", static_cast<int>(kFusedMultiplyAdd),
              ProductError(3, 5, 14), KahanCross(2, 1), CrossOfTiedProducts(1, 1));
  std::mt19937_64 random(2026);
  std::printf("Cross signs: %s\n", CrossSigns(random).c_str());
  PrintCrossings(random);
  std::printf("verdicts: %s\n", Verdicts(random).c_str());
  return 0;
}
