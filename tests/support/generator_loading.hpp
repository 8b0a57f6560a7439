#pragma once

#include <cstdio>
#include <vector>

#include "pipeline/analysis_state.hpp"
#include "support/byte_matrices.hpp"

namespace quorel::testing {

// Puts distinct generators into the state as the reader would leave them: the matrix list
// holding them (remembered for lookups) with a spare slot, G = E = their number.
inline void LoadGenerators(AnalysisState& state, const std::vector<ByteMatrix>& generators, int n) {
  state.N = static_cast<std::int16_t>(n);
  state.MatrixList.Create(state.Storage, n);
  const int g = static_cast<int>(generators.size());
  for (int k = 0; k <= g; ++k) state.MatrixList.AddMatrixSlot(state.Storage, stderr, k);
  for (int k = 0; k < g; ++k) {
    PackMatrix(generators[k].data(), state.MatrixList.Shape(), state.MatrixList.Matrix(k));
    state.MatrixList.Remember(k);
  }
  state.GeneratorCount = state.ElementCount = static_cast<std::int16_t>(g);
}

}  // namespace quorel::testing
