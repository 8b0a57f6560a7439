// Semigroup construction and partial order on a large semigroup: three random generators on
// 64 actors (density 0.055) whose semigroup has 5057 elements and words of up to 40 letters.
// The fast kernels (packed rows, hashed lookup, table filled from the word table) against
// the straightforward ones (byte matrices, cell-by-cell product, linear scan).

#include <benchmark/benchmark.h>

#include <random>

#include "algebra/partial_order.hpp"
#include "algebra/semigroup.hpp"
#include "pipeline/analysis_state.hpp"
#include "support/generator_loading.hpp"

namespace quorel {
namespace {

constexpr int kActors = 64;
constexpr double kDensity = 0.055;
constexpr int kSeed = 2;
constexpr int kMaxWordLength = 60;

std::vector<testing::ByteMatrix> Generators() {
  std::mt19937_64 rng(kSeed);
  std::vector<testing::ByteMatrix> generators;
  for (int k = 0; k < 3; ++k) generators.push_back(testing::RandomByteMatrix(kActors, kDensity, rng));
  return generators;
}

void Load(AnalysisState& state, const std::vector<testing::ByteMatrix>& generators) {
  testing::LoadGenerators(state, generators, kActors);
}

// The semigroup of the loaded generators; its elements stay in the state's matrix list.
int Construct(AnalysisState& state) {
  const Semigroup s = BuildSemigroup(state.MatrixList, state.GeneratorCount, kMaxWordLength, state.Storage);
  state.ElementCount = static_cast<std::int16_t>(s.element_count);
  return s.element_count;
}

// The whole construction: stages and the complete multiplication table.
void BM_SemigroupFast(benchmark::State& bench) {
  const auto generators = Generators();
  int elements = 0;
  for (auto _ : bench) {
    AnalysisState state;
    Load(state, generators);
    elements = Construct(state);
  }
  bench.counters["elements"] = elements;
  bench.counters["elements_per_s"] = benchmark::Counter(elements, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SemigroupFast)->Unit(benchmark::kMillisecond);

// The stages alone with byte matrices and linear scans (the table fill would take hours).
void BM_SemigroupStagesReference(benchmark::State& bench) {
  const auto generators = Generators();
  int elements = 0;
  for (auto _ : bench) {
    std::vector<testing::ByteMatrix> held = generators;
    const int g = static_cast<int>(generators.size());
    int start = 0;
    int end = g;
    for (int stage = 1; stage <= kMaxWordLength && start < end; ++stage) {
      for (int i = start; i < end; ++i) {
        for (int j = 0; j < g; ++j) {
          testing::ByteMatrix product = testing::ByteProduct(held[i], held[j], kActors);
          if (testing::ByteFind(held, static_cast<int>(held.size()), product) < 0) held.push_back(std::move(product));
        }
      }
      start = end;
      end = static_cast<int>(held.size());
    }
    elements = static_cast<int>(held.size());
    benchmark::DoNotOptimize(held.data());
  }
  bench.counters["elements"] = elements;
  bench.counters["elements_per_s"] = benchmark::Counter(elements, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SemigroupStagesReference)->Unit(benchmark::kMillisecond)->Iterations(1);

// The rest of the multiplication table done literally, for the first rows only: every cell
// a cell-by-cell product and a linear scan. Reports cells per second, from which the time of
// the whole table (E x (E - G) cells) follows.
void BM_TableFillReference(benchmark::State& bench) {
  AnalysisState state;
  Load(state, Generators());
  Construct(state);
  const int e = state.ElementCount;
  std::vector<testing::ByteMatrix> elements(e, testing::ByteMatrix(kActors * kActors));
  for (int k = 0; k < e; ++k) UnpackMatrix(state.MatrixList.Matrix(k), state.MatrixList.Shape(), elements[k].data());
  const int rows = 2;
  for (auto _ : bench) {
    for (int a = 0; a < rows; ++a) {
      for (int b = 3; b < e; ++b) {
        benchmark::DoNotOptimize(
            testing::ByteFind(elements, e, testing::ByteProduct(elements[a], elements[b], kActors)));
      }
    }
  }
  bench.counters["cells_per_s"] =
      benchmark::Counter(static_cast<double>(rows) * (e - 3), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_TableFillReference)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PartialOrderFast(benchmark::State& bench) {
  AnalysisState state;
  Load(state, Generators());
  Construct(state);
  const int e = state.ElementCount;
  for (auto _ : bench) {
    ElementRelation order(e);
    ComputePartialOrder(state.MatrixList, e, order);
    benchmark::DoNotOptimize(order.Words().data());
  }
  bench.counters["elements"] = e;
  bench.counters["tests_per_s"] =
      benchmark::Counter(static_cast<double>(e) * e, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_PartialOrderFast)->Unit(benchmark::kMillisecond);

// Byte containment over the first 1000 elements (a million tests).
void BM_PartialOrderReference(benchmark::State& bench) {
  AnalysisState state;
  Load(state, Generators());
  Construct(state);
  const int e = 1000;
  std::vector<testing::ByteMatrix> elements(e, testing::ByteMatrix(kActors * kActors));
  for (int k = 0; k < e; ++k) UnpackMatrix(state.MatrixList.Matrix(k), state.MatrixList.Shape(), elements[k].data());
  for (auto _ : bench) {
    std::vector<std::int8_t> order(static_cast<std::size_t>(e) * e);
    for (int i = 0; i < e; ++i) {
      for (int j = 0; j < e; ++j) order[i * e + j] = testing::ByteContains(elements[i], elements[j]);
    }
    benchmark::DoNotOptimize(order.data());
  }
  bench.counters["elements"] = e;
  bench.counters["tests_per_s"] =
      benchmark::Counter(static_cast<double>(e) * e, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_PartialOrderReference)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorel

BENCHMARK_MAIN();
