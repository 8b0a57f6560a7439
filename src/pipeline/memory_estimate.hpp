#pragma once

#include <cstdint>
#include <vector>

#include "core/analysis_options.hpp"
#include "core/storage_gate.hpp"

namespace quorel {

// What the storage of a problem grows with: the actors, the relations read, the generators
// (the distinct relations, with their transposes when asked for) and the semigroup's elements.
struct ProblemSize {
  int actors = 0;
  int relations = 0;
  int generators = 0;
  int elements = 0;
};

// One storage request of a run, as the storage gate counts it: the bytes already in use
// when it is made and the bytes it asks for.
struct StorageStep {
  StorageKind kind = StorageKind::kCount;
  std::uint64_t in_use = 0;
  std::uint64_t needed = 0;

  std::uint64_t After() const { return in_use + needed; }
};

// The large storage requests of one problem in the order the analysis makes them, under
// `options`: the semigroup's growing records and matrices (one step for all their growth),
// its tables, the partial order, the six statistic matrices, the samplers' buffers, Omega
// and the closures of the first cutoff level, and the first factorization's tables. Each
// later cutoff level and factorization repeats the same requests on the same base. Not
// counted: the extensions of the factor tables (bounded separately) and small scratch.
std::vector<StorageStep> EstimateStorageSteps(const ProblemSize& size, const AnalysisOptions& options);

// The most bytes the gate has in use at once during the problem: the largest After() of
// its steps. Dominated by about 26 E^2 bytes (24 for the statistic matrices, 2 for the
// multiplication table), and about 26 E^2 more while the generators are sampled.
std::uint64_t EstimatePeakBytes(const ProblemSize& size, const AnalysisOptions& options);

// The most elements the maximum word length and the actors allow: G + G^2 + ... +
// G^(m+1) (G (m+1) for generator products only), at most 2^(N^2) relations and the
// element numbers' limit.
int MostElements(int actors, int generators, const AnalysisOptions& options);

}  // namespace quorel
