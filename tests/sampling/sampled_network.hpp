#pragma once

// A small random network for whole-phase sampling tests.

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "algebra/semigroup.hpp"
#include "pipeline/analysis_state.hpp"
#include "formats/fixed_matrix_reader.hpp"
#include "measures/diagonal_rule.hpp"
#include "measures/pair_measures.hpp"
#include "support/byte_matrices.hpp"

namespace quorel::testing_support {

// A small network with its semigroup, observed statistics and (for MF and MG) a fixed matrix.
struct SampledNetwork {
  AnalysisState state;
  StatisticMatrices observed;

  // directionality: 0 all directional, 1 all non-directional (symmetric generators), 2 mixed
  // (the first generator symmetric). The fixed matrix is symmetric unless asked otherwise.
  SampledNetwork(int n, int generators, int directionality, int seed, bool symmetric_fixed = true) {
    std::mt19937_64 rng(seed);
    state.N = static_cast<std::int16_t>(n);
    state.Directionality = static_cast<std::int16_t>(directionality);
    state.MatrixList.Create(state.Storage, n);
    for (int k = 0; k <= generators; ++k) state.MatrixList.AddMatrixSlot(state.Storage, stderr, k);
    for (int k = 0; k < generators; ++k) {
      quorel::testing::ByteMatrix m = quorel::testing::RandomByteMatrix(n, std::min(0.3, 3.0 / n), rng);
      if (directionality == 1 || (directionality == 2 && k == 0)) {
        for (int r = 0; r < n; ++r) {
          for (int c = 0; c < r; ++c) m[r * n + c] = m[c * n + r];
        }
      }
      PackMatrix(m.data(), state.MatrixList.Shape(), state.MatrixList.Matrix(k));
      state.MatrixList.Remember(k);
    }
    state.GeneratorCount = state.ElementCount = static_cast<std::int16_t>(generators);
    Semigroup semigroup = BuildSemigroup(state.MatrixList, generators, 1, state.Storage);
    state.ElementCount = static_cast<std::int16_t>(semigroup.element_count);
    state.MultTable = std::move(semigroup.mult_table);
    state.WordTable = std::move(semigroup.word_table);

    std::string fixed_text;
    for (int c = 0; c < n * n; ++c) {
      const int row = c / n, col = c % n;
      fixed_text += std::to_string(symmetric_fixed ? (row + col) % 3 : (2 * row + col) % 3) + " ";
    }
    std::FILE* in = std::tmpfile();
    std::fputs(fixed_text.c_str(), in);
    std::rewind(in);
    ReadFixed(in, stderr, state.Storage, state.FixedMatrix, n);
    std::fclose(in);

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
