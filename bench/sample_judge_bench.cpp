// Holding one sampled table against a pair's observed statistics, the step "permute
// Generators" repeats for every pair and sample: the straightforward comparison (kappa,
// standardized kappa and L formed in full) against the judge's shortcuts, in nanoseconds per
// table. The tables and observed values are those of random relations among 18 actors with
// about as many ties as the compounds of sampson_monastery.dat, loops not counted.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "measures/pair_measures.hpp"
#include "measures/sample_judge.hpp"
#include "support/observed_statistics.hpp"

namespace quorel {
namespace {

constexpr int kActors = 18;
constexpr int kCounted = kActors * kActors - kActors;
constexpr int kTables = 1 << 16;

struct Case {
  int first_ties, second_ties, shared;
};

// A table of two relations with ties placed at random, about `density` of the cells each.
Case RandomCase(std::mt19937& rng, double density) {
  std::bernoulli_distribution tie(density);
  Case c{0, 0, 0};
  for (int cell = 0; cell < kCounted; ++cell) {
    const bool a = tie(rng), b = tie(rng);
    c.first_ties += a;
    c.second_ties += b;
    c.shared += a && b;
  }
  return c;
}

struct Workload {
  std::vector<Case> samples;
  std::vector<ObservedStatistics> observed;

  Workload() {
    std::mt19937 rng(18);
    std::uniform_real_distribution<double> density(0.05, 0.6);
    for (int k = 0; k < kTables; ++k) {
      const double d = density(rng);
      samples.push_back(RandomCase(rng, d));
      const Case o = RandomCase(rng, d);
      observed.push_back(testing::ObservedStatisticsOf(
          SampleTableOf(kCounted, o.first_ties, o.second_ties, o.shared), kCounted));
    }
  }
};

void BM_StraightforwardComparison(benchmark::State& bench) {
  Workload w;
  int reached = 0;
  for (auto _ : bench) {
    for (int k = 0; k < kTables; ++k) {
      const Case& c = w.samples[k];
      const SampleReach r =
          TableReaches(w.observed[k], SampleTableOf(kCounted, c.first_ties, c.second_ties, c.shared), kCounted);
      reached += r.kappa + r.standardized_kappa + r.likelihood_ratio;
    }
  }
  benchmark::DoNotOptimize(reached);
  bench.counters["ns_per_table"] =
      benchmark::Counter(static_cast<double>(bench.iterations()) * kTables, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_StraightforwardComparison);

void BM_JudgedComparison(benchmark::State& bench) {
  Workload w;
  const SampleJudge judge(kActors);
  int reached = 0;
  for (auto _ : bench) {
    for (int k = 0; k < kTables; ++k) {
      const Case& c = w.samples[k];
      const SampleReach r = judge.Judge(w.observed[k], kCounted, c.first_ties, c.second_ties, c.shared);
      reached += r.kappa + r.standardized_kappa + r.likelihood_ratio;
    }
  }
  benchmark::DoNotOptimize(reached);
  bench.counters["ns_per_table"] =
      benchmark::Counter(static_cast<double>(bench.iterations()) * kTables, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_JudgedComparison);

}  // namespace
}  // namespace quorel

BENCHMARK_MAIN();
