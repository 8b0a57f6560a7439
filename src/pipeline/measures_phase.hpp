#pragma once

#include <cstdint>
#include <vector>

#include "algebra/semigroup.hpp"
#include "core/analysis_options.hpp"
#include "core/fixed_matrix.hpp"
#include "core/matrix_list.hpp"
#include "core/process_group.hpp"
#include "core/progress_observer.hpp"
#include "core/random_source.hpp"
#include "core/storage_gate.hpp"
#include "measures/exact_proportion_matrices.hpp"
#include "measures/statistic_matrices.hpp"

namespace quorel {

// What the measures of a problem are computed from.
struct MeasuresInput {
  const MatrixList& relations;    // the elements, slots 0..E-1
  const Semigroup& semigroup;
  int directionality = 0;         // 0 all directional, 1 all non-directional, 2 mixed
  const FixedMatrixRecord& fixed;  // empty unless a fixed matrix is supplied
  const std::vector<std::uint8_t>& non_directional;  // per generator
};

// The measures of association: the observed statistics of every pair of elements, the
// random samples under the permutation strategy and measure control, and the proportions.
// A statistic matrix or a sampler's buffers that cannot be had end the run with their
// completion code (an Error of kind kCompletion: 31 to 36, 29). Spread over `processes`
// (null: this process alone), each samples its share and the counters are summed across them
// before the proportions are formed, so every process returns the same matrices as a run
// alone, and its stream ends where that run's does.
// Cost: E^2 / 2 tables of N^2 / 64 word operations, then the sampling (see the samplers), then
// one sum of 2 E (E - 1) counters across the processes.
StatisticMatrices RunMeasures(const MeasuresInput& input, const AnalysisOptions& options, RandomSource& random,
                              StorageGate& gate, ProgressObserver* progress, ProcessGroup* processes = nullptr);

// The exact P-values of every pair when the options ask for them (ExactP) and each pair is
// permuted; empty otherwise. Reads the observed statistics of `statistics`.
// Cost: pairs x the exact law of a pair (exact_proportions.hpp), on the options' workers.
ExactProportionMatrices RunExactProportions(const MeasuresInput& input, const AnalysisOptions& options,
                                            const StatisticMatrices& statistics, StorageGate& gate);

// The statistics Omega reads: `statistics` itself, or with OmegaFromExact a copy whose
// proportions of Theta, standardized kappa and McNemar's Z are the exact values as 32-bit
// floats (not a number where there is none, which no cutoff exceeds).
StatisticMatrices OmegaStatistics(const StatisticMatrices& statistics, const ExactProportionMatrices& exact,
                                  const AnalysisOptions& options);

}  // namespace quorel
