#include "pipeline/measures_phase.hpp"

#include <cstdio>

#include "pipeline/analysis_state.hpp"
#include "core/worker_pool.hpp"
#include "measures/diagonal_rule.hpp"
#include "measures/pair_measures.hpp"
#include "sampling/compound_sampling.hpp"
#include "sampling/generator_sampling.hpp"

namespace quorel {

namespace {

// Allocates the six matrices in record order; the completion code of the first that fails.
std::int16_t ObtainStatistics(AnalysisState& state) {
  StatisticMatrices& s = state.Statistics;
  const std::size_t cells = static_cast<std::size_t>(state.ElementCount) * state.ElementCount;
  std::vector<float>* matrices[] = {&s.L, &s.McNemarZ, &s.Kappa, &s.StdKappa, &s.PValue, &s.Estvar};
  for (int k = 0; k < 6; ++k) {
    if (!state.Storage.Obtain(StorageKind::kStatistic, *matrices[k], cells, 0.0f)) return static_cast<std::int16_t>(31 + k);
  }
  return 0;
}

}  // namespace

std::int16_t RunMeasures(AnalysisState& state, const MeasuresOptions& options,
                         const std::vector<std::uint8_t>& non_directional) {
  if (const std::int16_t code = ObtainStatistics(state); code != 0) return code;
  StatisticMatrices& stats = state.Statistics;
  const int e = state.ElementCount;
  const int g = state.GeneratorCount;
  const MatrixList& list = state.MatrixList;
  const int workers = WorkerCount(options.Threads);

  MarkStep(state.Progress, Step::kStatistics);
  // The observed statistics; every pair writes only its own cells.
  ParallelFor(workers, e, 1, [&](int, std::int64_t begin, std::int64_t end) {
    for (int i = static_cast<int>(begin); i < end; ++i) {
      for (int j = i + 1; j < e; ++j) {
        ComputePairMeasures(stats, e, i, j, list.Matrix(i), list.Matrix(j), list.Shape(),
                            PairIncludesDiagonal(options.m_Diagonal, i, j, g), options.m_MeasureControl);
      }
    }
  });

  // The counters in the lower cells start at 0 (the matrices were allocated zeroed).
  SamplingSettings settings;
  settings.sample_size = options.m_SampleSize;
  settings.measure_control = options.m_MeasureControl;
  settings.diagonal = options.m_Diagonal;
  settings.workers = workers;
  MarkStep(state.Progress, Step::kSampling);
  const std::int16_t code =
      options.m_PermutationStrategy == 0
          ? SampleCompoundPairs(list, e, g, state.Directionality, state.FixedMatrix, settings, stats, state.Random,
                                state.Storage, state.Progress)
          : SampleGenerators(list, e, g, state.WordTable, non_directional, state.FixedMatrix, settings, stats,
                             state.Random, state.Storage, state.Progress);
  if (code != 0) return code;

  // Proportions: the share of samples reaching the observed statistic (0/0 without samples).
  const float samples = static_cast<float>(options.m_SampleSize);
  for (int i = 0; i < e; ++i) {
    for (int j = i + 1; j < e; ++j) {
      const std::size_t low = static_cast<std::size_t>(j) * e + i;
      stats.L[low] = stats.L[low] / samples;
      stats.Kappa[low] = stats.Kappa[low] / samples;
      stats.StdKappa[low] = stats.StdKappa[low] / samples;
      if (options.m_PermutationStrategy == 0) stats.McNemarZ[low] = stats.McNemarZ[low] / samples;
    }
  }
  return 0;
}

}  // namespace quorel
