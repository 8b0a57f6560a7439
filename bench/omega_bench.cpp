// Omega, lower Omega, closure and factorization at one cutoff level, on the semigroups of
// random networks (products outside the formed elements are not elements) and on random
// multiplication tables. Peak resident memory of the process is reported as a counter.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <random>

#include "pipeline/cutoff_levels.hpp"
#include "views/report_view.hpp"
#include "omega/closure.hpp"
#include "omega/factorization.hpp"
#include "omega/lower_omega.hpp"
#include "omega/omega_fixtures.hpp"
#include "omega/product_table.hpp"

namespace quorel {
namespace {

using omega_fixtures::Mult;

double PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The complete semigroup of a network of five or six actors and three relations, with
// between 0.9 e and 1.1 e elements, and an Omega that adds to its partial order a share of
// the pairs at random, as significant associations do.
struct Level {
  omega_fixtures::Semigroup semigroup;
  ElementRelation omega;
};

Level MakeLevel(int e, double extra, unsigned seed) {
  std::mt19937 gen(seed);
  Level level;
  const int low = e - e / 10;
  const int high = e + e / 10;
  do {
    level.semigroup = omega_fixtures::SemigroupOfNetwork(gen, 5 + gen() % 2, 3, gen() % 2 ? 0.2 : 0.3, high + 1);
  } while (!level.semigroup.complete || level.semigroup.e < low || level.semigroup.e > high);
  const int n = level.semigroup.e;
  level.omega = omega_fixtures::RandomReflexive(gen, n, extra);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c)
      if (level.semigroup.partial_order.Get(r, c)) level.omega.Set(r, c);
  return level;
}

std::FILE* Sink() {
  static std::FILE* sink = std::fopen("/dev/null", "w");
  return sink;
}

void BM_CloseOmega(benchmark::State& state) {
  const Level level = MakeLevel(static_cast<int>(state.range(0)), 0.02, 1);
  StorageGate gate;
  for (auto _ : state) {
    ElementRelation m = level.omega;
    CloseRelation(m, level.semigroup.mult, gate);
    benchmark::DoNotOptimize(m.Words().data());
  }
  state.counters["E"] = level.semigroup.e;
  state.counters["peak_MiB"] = PeakMiB();
}

void BM_LowerOmega(benchmark::State& state) {
  const Level level = MakeLevel(static_cast<int>(state.range(0)), 0.02, 2);
  StorageGate gate;
  const ProductTable products(level.semigroup.mult, level.semigroup.e, gate);
  ElementRelation lower;
  for (auto _ : state) {
    ComputeLowerOmega(level.omega, level.semigroup.partial_order, products, gate, lower);
    benchmark::DoNotOptimize(lower.Words().data());
  }
  state.counters["E"] = level.semigroup.e;
  state.counters["peak_MiB"] = PeakMiB();
}

// The factorization of the partial order itself: every pair outside it has an extension,
// the largest factor table a level can have.
void BM_FactorizePartialOrder(benchmark::State& state) {
  const Level level = MakeLevel(static_cast<int>(state.range(0)), 0.0, 3);
  StorageGate gate;
  const ProductTable products(level.semigroup.mult, level.semigroup.e, gate);
  double distinct = 0;
  double mib = 0;
  for (auto _ : state) {
    FactorTable table;
    table.Build(level.semigroup.partial_order, products, gate);
    distinct = table.ExtensionCount();
    mib = static_cast<double>(table.BytesUsed()) / (1024.0 * 1024.0);
    ReportView report(Sink(), gate);
    StreamFactorization(level.semigroup.partial_order, level.semigroup.mult, 0, false, false, gate, report);
  }
  state.counters["E"] = level.semigroup.e;
  state.counters["extensions"] = distinct;
  state.counters["store_MiB"] = mib;
  state.counters["peak_MiB"] = PeakMiB();
}

// One cutoff level as the driver runs it: lower Omega with its closure, the closure of
// Omega, and both factorizations.
void BM_CutoffLevel(benchmark::State& state) {
  const Level level = MakeLevel(static_cast<int>(state.range(0)), 0.01, 4);
  StorageGate gate;
  const ProductTable products(level.semigroup.mult, level.semigroup.e, gate);
  for (auto _ : state) {
    ElementRelation omega = level.omega;
    ElementRelation lower;
    ReportView report(Sink(), gate);
    ComputeLowerOmega(omega, level.semigroup.partial_order, products, gate, lower);
    CloseRelation(lower, products, gate);
    CloseRelation(omega, products, gate);
    StreamFactorization(omega, level.semigroup.mult, 0, true, false, gate, report);
    StreamFactorization(lower, level.semigroup.mult, 0, false, false, gate, report);
  }
  state.counters["E"] = level.semigroup.e;
  state.counters["peak_MiB"] = PeakMiB();
}

// Random tables with few products that are elements, and the identity relation: many
// small distinct extensions, nearly all of them atoms. The report itself is not written:
// with an E x E meet-complement matrix per atom it grows as E^4.
void BM_FactorTableRandomTable(benchmark::State& state) {
  const int e = static_cast<int>(state.range(0));
  std::mt19937 gen(5);
  const Mult mult = omega_fixtures::RandomMult(gen, e, 0.99);
  ElementRelation rel = omega_fixtures::RandomReflexive(gen, e, 0.0);
  StorageGate gate;
  CloseRelation(rel, mult, gate);
  const ProductTable products(mult, e, gate);
  double distinct = 0;
  double found = 0;
  for (auto _ : state) {
    FactorTable table;
    table.Build(rel, products, gate);
    AtomList atoms;
    FindAtoms(atoms, table, gate);
    distinct = table.ExtensionCount();
    found = atoms.Count();
  }
  state.counters["extensions"] = distinct;
  state.counters["atoms"] = found;
  state.counters["peak_MiB"] = PeakMiB();
}

#define QUOREL_SIZES ->Arg(25)->Arg(50)->Arg(100)->Arg(150)->Arg(200)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_CloseOmega) QUOREL_SIZES;
BENCHMARK(BM_LowerOmega) QUOREL_SIZES;
BENCHMARK(BM_FactorizePartialOrder) QUOREL_SIZES->Iterations(1);
BENCHMARK(BM_CutoffLevel) QUOREL_SIZES->Iterations(1);
BENCHMARK(BM_FactorTableRandomTable) QUOREL_SIZES;
// A semigroup of about 584 elements, last because the peak memory counter only grows (it
// holds two factor tables at once: the one measured and the one of the report).
BENCHMARK(BM_FactorizePartialOrder)->Arg(584)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorel

BENCHMARK_MAIN();
