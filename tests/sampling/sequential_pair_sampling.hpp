#pragma once

#include <cstdint>
#include <vector>

#include "core/fixed_matrix.hpp"
#include "core/matrix_list.hpp"
#include "core/random_source.hpp"
#include "measures/diagonal_rule.hpp"
#include "measures/pair_measures.hpp"
#include "sampling/compound_sampling.hpp"
#include "sampling/reference_pair_draws.hpp"

namespace quorel::testing_support {

// The straightforward pairwise sampling, with SampleCompoundPairs's arguments: the pairs one
// after another, in order, on the one stream, every sample drawn cell by cell and its float
// tables tallied. The oracle the fast sampler must match counter for counter, and its
// benchmark baseline.
inline void SamplePairsSequentially(const MatrixList& relations, int elements, int generators, int directionality,
                                    const FixedMatrixRecord& fixed_matrix, const SamplingSettings& settings,
                                    StatisticMatrices& stats, RandomSource& random) {
  const int e = elements;
  const int n = relations.Shape().n;
  const std::size_t cells = static_cast<std::size_t>(n) * n;
  std::vector<std::int8_t> bytes(cells * e);
  for (int k = 0; k < e; ++k) UnpackMatrix(relations.Matrix(k), relations.Shape(), &bytes[cells * k]);
  const FixedMatrixRecord* fixed = fixed_matrix.Groups.empty() ? nullptr : &fixed_matrix;
  ReferencePairWorkspace ws(n, settings.measure_control, directionality, fixed);
  for (int i = 0; i < e; ++i) {
    for (int j = i + 1; j < e; ++j) {
      const bool include = PairIncludesDiagonal(settings.diagonal, i, j, generators);
      ws.Prepare(&bytes[cells * i], &bytes[cells * j], include);
      FourfoldTable x, y;
      for (int s = 0; s < settings.sample_size; ++s) {
        DrawReferenceSample(random, ws, x, y);
        TallySampledTables(stats, e, x, y, i, j, CountedCells(n, include));
      }
    }
  }
}

}  // namespace quorel::testing_support
