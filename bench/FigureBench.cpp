// SPDX-License-Identifier: MIT
// What the figure test costs, next to the floor that any incircle test must
// pay: strict convexity and Pitot's theorem on the same figures.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "ExactCross.h"
#include "TangentialFigures.h"
#include "Utmypoint.h"
#include "Utmyrectangle.h"

namespace {

using figures::Outline;

TMyRectangle FigureOf(const Outline& outline) {
  TMyRectangle figure;
  figure.corners = outline;
  return figure;
}

// Tangential, generic convex, concave and degenerate figures in equal
// shares, in an order fixed by the seed but with no pattern that branch
// prediction could learn.
std::vector<TMyRectangle> VariedFigures() {
  std::mt19937_64 random(2026);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  const auto point = [&] { return TMyPoint(unit(random), unit(random)); };
  std::vector<TMyRectangle> stream;
  for (int i = 0; i < 1024; ++i) {
    Outline tangential = figures::DrawnAroundTheUnitCircle(random);
    stream.push_back(FigureOf(tangential));

    Outline convex = figures::DrawnAroundTheUnitCircle(random);
    convex[0] = convex[0] * 0.9;
    stream.push_back(FigureOf(convex));

    Outline concave = figures::DrawnAroundTheUnitCircle(random);
    concave[1] = (concave[0] + concave[2]) * 0.25;
    stream.push_back(FigureOf(concave));

    const TMyPoint a = point();
    const TMyPoint b = point();
    stream.push_back(i % 2 == 0 ? FigureOf({a, a, b, point()})
                                : FigureOf({a, b, a + (b - a) * 2.0, point()}));
  }
  std::shuffle(stream.begin(), stream.end(), random);
  return stream;
}

const std::vector<TMyRectangle>& Stream() {
  static const std::vector<TMyRectangle> stream = VariedFigures();
  return stream;
}

// The floor: the same questions a Pitot test asks, with nothing but what
// it needs: four turns, four square roots, one comparison.
bool PitotFloor(const TMyRectangle& figure) {
  const auto& c = figure.corners;
  std::array<TMyPoint, 4> sides;
  for (std::size_t i = 0; i < 4; ++i) {
    sides[i] = c[(i + 1) % 4] - c[i];
  }
  int left = 0;
  int right = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    // The inline cross product the figure test itself uses: the public Cross
    // is out of line, a call the figure test does not pay.
    const double turn = incircle::detail::ExactSignCross(sides[i], sides[(i + 1) % 4]);
    left += turn > 0 ? 1 : 0;
    right += turn < 0 ? 1 : 0;
  }
  if (left != 4 && right != 4) {
    return false;
  }
  std::array<double, 4> lengths{};
  for (std::size_t i = 0; i < 4; ++i) {
    lengths[i] = std::sqrt(sides[i].x * sides[i].x + sides[i].y * sides[i].y);
  }
  const double perimeter = lengths[0] + lengths[1] + lengths[2] + lengths[3];
  return std::fabs(lengths[0] + lengths[2] - lengths[1] - lengths[3]) <=
         1024 * std::numeric_limits<double>::epsilon() * perimeter;
}

template <bool (*Test)(const TMyRectangle&)>
int OnePass(const std::vector<TMyRectangle>& stream) {
  int inscribable = 0;
  for (const TMyRectangle& figure : stream) {
    inscribable += Test(figure) ? 1 : 0;
  }
  return inscribable;
}

template <bool (*Test)(const TMyRectangle&)>
void OverTheVariedStream(benchmark::State& state) {
  const std::vector<TMyRectangle>& stream = Stream();
  for (auto _ : state) {
    benchmark::DoNotOptimize(OnePass<Test>(stream));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(stream.size()));
}

bool FigureTest(const TMyRectangle& figure) { return figure.CanInscribeCircle(); }

void BM_FigureTest_VariedFigures(benchmark::State& state) {
  OverTheVariedStream<FigureTest>(state);
}
void BM_PitotFloor_VariedFigures(benchmark::State& state) {
  OverTheVariedStream<PitotFloor>(state);
}

// Hides the values from the optimizer anew on every iteration, so that no
// result can be worked out once and reused.
template <typename... Values>
void Opaque(Values&... values) {
  (benchmark::DoNotOptimize(values), ...);
}

void BM_FigureTest_FixedSquare(benchmark::State& state) {
  TMyRectangle square = FigureOf({TMyPoint(0, 0), TMyPoint(0, 3), TMyPoint(3, 3), TMyPoint(3, 0)});
  for (auto _ : state) {
    Opaque(square);
    benchmark::DoNotOptimize(square.CanInscribeCircle());
  }
}

void BM_BisectorPoint(benchmark::State& state) {
  TMyPoint A(0.1, 0.2);
  TMyPoint B(4.3, 0.1);
  TMyPoint C(0.3, 2.2);
  for (auto _ : state) {
    Opaque(A, B, C);
    benchmark::DoNotOptimize(BisectorPoint(A, B, C));
  }
}

void BM_MeetingPoint(benchmark::State& state) {
  TMyPoint P0(0.1, 0.2);
  TMyPoint P1(1.6, 1.4);
  TMyPoint P2(3.1, 0.1);
  TMyPoint P3(1.4, 1.7);
  for (auto _ : state) {
    Opaque(P0, P1, P2, P3);
    benchmark::DoNotOptimize(MeetingPoint(P0, P1, P2, P3));
  }
}

BENCHMARK(BM_FigureTest_VariedFigures);
BENCHMARK(BM_PitotFloor_VariedFigures);
BENCHMARK(BM_FigureTest_FixedSquare);
BENCHMARK(BM_BisectorPoint);
BENCHMARK(BM_MeetingPoint);

// Remembers the time of every run, to set the figure test beside its floor
// once both have run: the medians when the runs are repeated (they shrug off
// the odd slow run), the single runs otherwise.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (median || (run.run_type == Run::RT_Iteration && run.repetitions <= 1)) {
        cpuTimes_[run.run_name.function_name] = run.GetAdjustedCPUTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatio() const {
    const auto test = cpuTimes_.find("BM_FigureTest_VariedFigures");
    const auto floor = cpuTimes_.find("BM_PitotFloor_VariedFigures");
    if (test != cpuTimes_.end() && floor != cpuTimes_.end()) {
      std::printf("figure test / Pitot floor, ratio of the medians: %.2f\n",
                  test->second / floor->second);
    }
  }

 private:
  std::map<std::string, double> cpuTimes_;
};

// The ratio timed in pairs: one pass of the figure test and one of the
// floor, back to back, so that both meet the same state of a shared
// machine; the order within a pair alternates. The median of the pairs'
// ratios is steady where separate medians drift apart.
struct Paired {
  double ratio = 0;
  double testNanoseconds = 0;   // per figure, median over the pairs
  double floorNanoseconds = 0;  // per figure, median over the pairs
};

double Median(std::vector<double> values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

Paired PairedRatio(int pairs) {
  using Clock = std::chrono::steady_clock;
  const std::vector<TMyRectangle>& stream = Stream();
  const auto timed = [&](auto pass) {
    const Clock::time_point start = Clock::now();
    benchmark::DoNotOptimize(pass(stream));
    return std::chrono::duration<double>(Clock::now() - start).count();
  };
  std::vector<double> ratios;
  std::vector<double> tests;
  std::vector<double> floors;
  for (int i = 0; i < pairs; ++i) {
    double test = 0;
    double floor = 0;
    if (i % 2 == 0) {
      test = timed(OnePass<FigureTest>);
      floor = timed(OnePass<PitotFloor>);
    } else {
      floor = timed(OnePass<PitotFloor>);
      test = timed(OnePass<FigureTest>);
    }
    ratios.push_back(test / floor);
    tests.push_back(test);
    floors.push_back(floor);
  }
  const double perFigure = 1e9 / static_cast<double>(stream.size());
  return {Median(ratios), Median(tests) * perFigure, Median(floors) * perFigure};
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio();
  constexpr int kPairs = 401;
  const Paired paired = PairedRatio(kPairs);
  std::printf(
      "figure test / Pitot floor, median of %d back-to-back pairs: %.2f (%.1f ns / %.1f ns per "
      "figure)\n",
      kPairs, paired.ratio, paired.testNanoseconds, paired.floorNanoseconds);
  benchmark::Shutdown();
  return 0;
}
