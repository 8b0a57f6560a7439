#pragma once

// A small random network for whole-phase sampling tests.

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "algebra/semigroup.hpp"
#include "pipeline/analysis_state.hpp"
#include "measures/diagonal_rule.hpp"
#include "measures/pair_measures.hpp"
#include "sampling/sampling_test_support.hpp"
#include "support/byte_matrices.hpp"
#include "support/generator_loading.hpp"

namespace quorel::testing_support {

// A small network with its semigroup, observed statistics and (for MF and MG) a fixed matrix.
struct SampledNetwork {
  AnalysisState state;
  std::vector<WordEntry> words;  // how each element was formed
  StatisticMatrices observed;

  // directionality: 0 all directional, 1 all non-directional (symmetric generators), 2 mixed
  // (the first generator symmetric). The fixed matrix is symmetric unless asked otherwise.
  SampledNetwork(int n, int generators, int directionality, int seed, bool symmetric_fixed = true) {
    std::mt19937_64 rng(seed);
    std::vector<quorel::testing::ByteMatrix> relations;
    for (int k = 0; k < generators; ++k) {
      relations.push_back(quorel::testing::RandomByteMatrix(n, std::min(0.3, 3.0 / n), rng));
      if (directionality == 1 || (directionality == 2 && k == 0)) {
        for (int r = 0; r < n; ++r)
          for (int c = 0; c < r; ++c) relations[k][r * n + c] = relations[k][c * n + r];
      }
    }
    quorel::testing::LoadGenerators(state, relations, n);
    state.Directionality = static_cast<std::int16_t>(directionality);
    Semigroup semigroup = BuildSemigroup(state.MatrixList, generators, 1, state.Storage);
    state.ElementCount = static_cast<std::int16_t>(semigroup.element_count);
    words = std::move(semigroup.word_table);
    std::vector<int> values(n * n);
    for (int c = 0; c < n * n; ++c) values[c] = symmetric_fixed ? (c / n + c % n) % 3 : (2 * (c / n) + c % n) % 3;
    state.FixedMatrix = GroupFixedMatrix(values, n);
    const int e = state.ElementCount;
    for (std::vector<float>* m : {&observed.L, &observed.McNemarZ, &observed.Kappa, &observed.StdKappa,
                                  &observed.PValue, &observed.Estvar}) {
      m->assign(static_cast<std::size_t>(e) * e, 0.0f);
    }
  }

  // Per generator: 1 when it is non-directional (symmetric by construction).
  std::vector<std::uint8_t> NonDirectional() const {
    std::vector<std::uint8_t> flags(state.GeneratorCount, 0);
    for (int k = 0; k < state.GeneratorCount; ++k) {
      flags[k] = state.Directionality == 1 || (state.Directionality == 2 && k == 0) ? 1 : 0;
    }
    return flags;
  }

  void Observe(int diagonal) {
    const int e = state.ElementCount;
    for (int i = 0; i < e; ++i) {
      for (int j = i + 1; j < e; ++j) {
        ComputePairMeasures(observed, e, i, j, state.MatrixList.Matrix(i), state.MatrixList.Matrix(j),
                            state.MatrixList.Shape(), PairIncludesDiagonal(diagonal, i, j, state.GeneratorCount), 0);
      }
    }
  }
};

}  // namespace quorel::testing_support
