// P-values from random samples. "Permute Compounds": every pair of a small semigroup sampled
// under each measure control at N = 21, 71 and 150 actors on one and two workers, reported
// as nanoseconds per sample per counted cell, both of wall-clock time (two workers should
// halve it) and of CPU time summed over the workers (two workers should keep it). "Permute
// Generators": a 40-element semigroup of a 71-actor network, reported as time per sample.
// The straightforward draw-and-tally loop is measured at N = 71 for scale.

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <random>
#include <string>

#include "algebra/semigroup.hpp"
#include "pipeline/analysis_state.hpp"
#include "measures/diagonal_rule.hpp"
#include "measures/pair_measures.hpp"
#include "sampling/compound_sampling.hpp"
#include "sampling/generator_sampling.hpp"
#include "sampling/sampling_test_support.hpp"
#include "sampling/sequential_pair_sampling.hpp"
#include "support/byte_matrices.hpp"

namespace quorel {
namespace {

constexpr int kDiagonalOption = 1;  // the default: loops count only between compounds

// Wall-clock and process CPU time (all threads) over the timed iterations of a benchmark.
class Stopwatch {
 public:
  void Start() {
    wall_start_ = std::chrono::steady_clock::now();
    cpu_start_ = CpuSeconds();
  }
  void Stop() {
    wall_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start_).count();
    cpu_ += CpuSeconds() - cpu_start_;
  }
  // Nanoseconds per unit of work, `units` per iteration.
  void Report(benchmark::State& bench, double units, const char* unit) const {
    const double total = units * static_cast<double>(bench.iterations());
    bench.counters[std::string("wall_ns_per_") + unit] = wall_ * 1e9 / total;
    bench.counters[std::string("cpu_ns_per_") + unit] = cpu_ * 1e9 / total;
  }

 private:
  static double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
  }
  std::chrono::steady_clock::time_point wall_start_;
  double cpu_start_ = 0.0;
  double wall_ = 0.0;
  double cpu_ = 0.0;
};

// A network of `generators` random relations with about four ties per actor, the semigroup
// built from them with a maximum word length of 2 (14 elements, 91 pairs), the observed
// statistics of every pair and, for MF and MG, a fixed matrix of four values from a two-way
// split of the actors.
struct Network {
  AnalysisState state;
  StatisticMatrices observed;
  std::int64_t counted_cells = 0;  // cells counted over all pairs of one sample

  explicit Network(int n, int generators = 2) {
    std::mt19937_64 rng(static_cast<std::uint64_t>(n) * 7919u + generators);
    state.N = static_cast<std::int16_t>(n);
    state.MatrixList.Create(state.Storage, n);
    for (int k = 0; k <= generators; ++k) state.MatrixList.AddMatrixSlot(state.Storage, stderr, k);
    for (int k = 0; k < generators; ++k) {
      const testing::ByteMatrix m = testing::RandomByteMatrix(n, 4.0 / n, rng);
      PackMatrix(m.data(), state.MatrixList.Shape(), state.MatrixList.Matrix(k));
      state.MatrixList.Remember(k);
    }
    state.GeneratorCount = state.ElementCount = static_cast<std::int16_t>(generators);
    Semigroup semigroup = BuildSemigroup(state.MatrixList, generators, 2, state.Storage);
    state.ElementCount = static_cast<std::int16_t>(semigroup.element_count);

    std::vector<int> values(static_cast<std::size_t>(n) * n);
    for (int cell = 0; cell < n * n; ++cell) values[cell] = (cell / n) % 2 * 2 + cell % n % 2;
    state.FixedMatrix = testing_support::GroupFixedMatrix(values, n);
    Observe();
  }

  void Observe() {
    const int e = state.ElementCount;
    for (std::vector<float>* m : {&observed.L, &observed.McNemarZ, &observed.Kappa, &observed.StdKappa,
                                  &observed.PValue, &observed.Estvar}) {
      m->assign(static_cast<std::size_t>(e) * e, 0.0f);
    }
    counted_cells = 0;
    for (int i = 0; i < e; ++i) {
      for (int j = i + 1; j < e; ++j) {
        const bool include = PairIncludesDiagonal(kDiagonalOption, i, j, state.GeneratorCount);
        ComputePairMeasures(observed, e, i, j, state.MatrixList.Matrix(i), state.MatrixList.Matrix(j),
                            state.MatrixList.Shape(), include, 0);
        counted_cells += CountedCells(state.N, include);
      }
    }
  }
};

// Samples per pair for one iteration: about 1e8 sample-cells, and at least 20.
int SamplesFor(const Network& network) {
  return static_cast<int>(std::max<std::int64_t>(20, 100'000'000 / std::max<std::int64_t>(network.counted_cells, 1)));
}

// Arguments: measure control (0..6 = MA..MG), N, workers.
void BM_PermuteCompounds(benchmark::State& bench) {
  const int control = static_cast<int>(bench.range(0));
  Network network(static_cast<int>(bench.range(1)));
  SamplingSettings settings;
  settings.sample_size = SamplesFor(network);
  settings.measure_control = control;
  settings.diagonal = kDiagonalOption;
  settings.workers = static_cast<int>(bench.range(2));
  Stopwatch watch;
  for (auto _ : bench) {
    StatisticMatrices stats = network.observed;
    watch.Start();
    AnalysisState& s = network.state;
    SampleCompoundPairs(s.MatrixList, s.ElementCount, s.GeneratorCount, s.Directionality, s.FixedMatrix, settings,
                        stats, s.Random, s.Storage, nullptr);
    watch.Stop();
    benchmark::DoNotOptimize(stats.L.data());
  }
  watch.Report(bench, static_cast<double>(network.counted_cells) * settings.sample_size, "sample_cell");
  bench.counters["pairs"] = network.state.ElementCount * (network.state.ElementCount - 1) / 2;
  bench.counters["samples"] = settings.sample_size;
  static const char* const kNames[] = {"MA", "MB", "MC", "MD", "ME", "MF", "MG"};
  bench.SetLabel(kNames[control]);
}
BENCHMARK(BM_PermuteCompounds)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6}, {21, 71, 150}, {1, 2}})
    ->ArgNames({"control", "N", "workers"})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The straightforward path: draw every sample cell by cell and tally its float tables.
void BM_PermuteCompoundsStraightforward(benchmark::State& bench) {
  const int control = static_cast<int>(bench.range(0));
  Network network(static_cast<int>(bench.range(1)));
  SamplingSettings settings;
  settings.sample_size = std::max(1, SamplesFor(network) / 16);
  settings.measure_control = control;
  settings.diagonal = kDiagonalOption;
  Stopwatch watch;
  for (auto _ : bench) {
    StatisticMatrices stats = network.observed;
    watch.Start();
    AnalysisState& s = network.state;
    testing_support::SamplePairsSequentially(s.MatrixList, s.ElementCount, s.GeneratorCount, s.Directionality,
                                             s.FixedMatrix, settings, stats, s.Random);
    watch.Stop();
    benchmark::DoNotOptimize(stats.L.data());
  }
  watch.Report(bench, static_cast<double>(network.counted_cells) * settings.sample_size, "sample_cell");
}
BENCHMARK(BM_PermuteCompoundsStraightforward)
    ->ArgsProduct({{0, 1, 3}, {71}})
    ->ArgNames({"control", "N"})
    ->Unit(benchmark::kMillisecond);

// A 40-element semigroup of 71 actors: four generators, the 16 words of two letters and 20
// words of three, each compound the product of its prefix and its last generator.
struct GeneratorNetwork {
  AnalysisState state;
  std::vector<WordEntry> words;  // how each element was formed
  StatisticMatrices observed;

  GeneratorNetwork() {
    constexpr int kActors = 71;
    constexpr int kGenerators = 4;
    constexpr int kElements = 40;
    std::mt19937_64 rng(40);
    state.N = kActors;
    state.MatrixList.Create(state.Storage, kActors);
    for (int k = 0; k < kElements; ++k) state.MatrixList.AddMatrixSlot(state.Storage, stderr, k);
    const MatrixShape& shape = state.MatrixList.Shape();
    words.assign(kElements, WordEntry{});
    for (int k = 0; k < kGenerators; ++k) {
      const testing::ByteMatrix m = testing::RandomByteMatrix(kActors, 3.0 / kActors, rng);
      PackMatrix(m.data(), shape, state.MatrixList.Matrix(k));
    }
    for (int k = kGenerators; k < kElements; ++k) {
      // Words of two letters are 4..19 (prefix a generator), of three 20..39 (prefix 4..8).
      const int node = k < 20 ? (k - kGenerators) / kGenerators : kGenerators + (k - 20) / kGenerators;
      WordEntry& word = words[k];
      word.Node = static_cast<std::int16_t>(node);
      word.Generator = static_cast<std::int16_t>((k - kGenerators) % kGenerators);
      BooleanProduct(state.MatrixList.Matrix(node), state.MatrixList.Matrix(word.Generator),
                     state.MatrixList.Matrix(k), shape);
    }
    state.GeneratorCount = kGenerators;
    state.ElementCount = kElements;
    std::vector<int> values(static_cast<std::size_t>(kActors) * kActors);
    for (int cell = 0; cell < kActors * kActors; ++cell) values[cell] = (cell / kActors) % 2 * 2 + cell % kActors % 2;
    state.FixedMatrix = testing_support::GroupFixedMatrix(values, kActors);
    for (std::vector<float>* m : {&observed.L, &observed.McNemarZ, &observed.Kappa, &observed.StdKappa,
                                  &observed.PValue, &observed.Estvar}) {
      m->assign(static_cast<std::size_t>(kElements) * kElements, 0.0f);
    }
    for (int i = 0; i < kElements; ++i) {
      for (int j = i + 1; j < kElements; ++j) {
        ComputePairMeasures(observed, kElements, i, j, state.MatrixList.Matrix(i), state.MatrixList.Matrix(j), shape,
                            PairIncludesDiagonal(kDiagonalOption, i, j, kGenerators), 0);
      }
    }
  }
};

// Arguments: measure control, workers. One iteration is 100 samples; time per sample.
void BM_PermuteGenerators(benchmark::State& bench) {
  const int control = static_cast<int>(bench.range(0));
  GeneratorNetwork network;
  SamplingSettings settings;
  settings.sample_size = 100;
  settings.measure_control = control;
  settings.diagonal = kDiagonalOption;
  settings.workers = static_cast<int>(bench.range(1));
  const std::vector<std::uint8_t> non_directional(network.state.GeneratorCount, 0);
  Stopwatch watch;
  for (auto _ : bench) {
    StatisticMatrices stats = network.observed;
    watch.Start();
    AnalysisState& s = network.state;
    SampleGenerators(s.MatrixList, s.ElementCount, s.GeneratorCount, network.words, non_directional, s.FixedMatrix,
                     settings, stats, s.Random, s.Storage, nullptr);
    watch.Stop();
    benchmark::DoNotOptimize(stats.L.data());
  }
  watch.Report(bench, settings.sample_size, "sample");
}
BENCHMARK(BM_PermuteGenerators)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6}, {1, 2}})
    ->ArgNames({"control", "workers"})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
}  // namespace quorel

BENCHMARK_MAIN();
