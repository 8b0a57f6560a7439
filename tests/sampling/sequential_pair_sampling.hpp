#pragma once

#include <cstdint>
#include <vector>

#include "pipeline/analysis_state.hpp"
#include "measures/diagonal_rule.hpp"
#include "measures/pair_measures.hpp"
#include "sampling/compound_sampling.hpp"
#include "sampling/pair_draws.hpp"

namespace quorel::testing_support {

// The straightforward pairwise sampling: the pairs one after another, in order, on the
// state's one stream, every sample drawn cell by cell and its float tables tallied. The
// oracle the fast sampler must match counter for counter, and its benchmark baseline.
inline void SamplePairsSequentially(AnalysisState& state, StatisticMatrices& stats, const SamplingSettings& settings) {
  const int e = state.ElementCount;
  const int n = state.N;
  const std::size_t cells = static_cast<std::size_t>(n) * n;
  std::vector<std::int8_t> bytes(cells * e);
  for (int k = 0; k < e; ++k) UnpackMatrix(state.MatrixList.Matrix(k), state.MatrixList.Shape(), &bytes[cells * k]);
  PairWorkspace ws;
  ws.Obtain(state.Storage, n, settings.measure_control, state.FixedMatrix.MaxGroupSize);
  const FixedMatrixRecord* fixed = state.FixedMatrix.Groups.empty() ? nullptr : &state.FixedMatrix;
  for (int i = 0; i < e; ++i) {
    for (int j = i + 1; j < e; ++j) {
      const bool include = PairIncludesDiagonal(settings.diagonal, i, j, state.GeneratorCount);
      ws.Prepare(&bytes[cells * i], &bytes[cells * j], include);
      FourfoldTable x, y;
      for (int s = 0; s < settings.sample_size; ++s) {
        DrawPairSample(state.Random, settings.measure_control, state.Directionality, fixed, ws, x, y);
        TallySampledTables(stats, e, x, y, i, j, CountedCells(n, include));
      }
    }
  }
}

}  // namespace quorel::testing_support
