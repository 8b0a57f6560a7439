#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "core/fixed_matrix.hpp"
#include "core/random_source.hpp"

namespace quorel::testing_support {

using Relation = std::vector<std::int8_t>;

// Draws taken between two states of a stream: each draw adds one fixed odd increment to the
// state, so the count is the state difference times the increment's inverse modulo 2^64.
inline std::uint64_t DrawsBetween(const RandomSource& before, const RandomSource& after) {
  std::uint64_t inverse = RandomSource::kIncrement;
  for (int i = 0; i < 6; ++i) inverse *= 2 - RandomSource::kIncrement * inverse;
  return (after.State() - before.State()) * inverse;
}

// Random N x N values below `values` (0/1 relations for 2), mirrored when symmetric.
inline std::vector<int> RandomCells(std::mt19937& gen, int n, int values, bool symmetric) {
  std::vector<int> m(static_cast<std::size_t>(n) * n);
  std::uniform_int_distribution<int> value(0, values - 1);
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) m[r * n + c] = symmetric && c < r ? m[c * n + r] : value(gen);
  }
  return m;
}

// Groups values the way the fixed-matrix reader does: one group per value in order of first
// appearance, each group's cells in ascending row-major order.
inline FixedMatrixRecord GroupFixedMatrix(const std::vector<int>& values, int n) {
  FixedMatrixRecord fixed;
  std::vector<int> seen;
  for (int cell = 0; cell < n * n; ++cell) {
    const auto at = std::find(seen.begin(), seen.end(), values[cell]) - seen.begin();
    if (at == static_cast<long>(seen.size())) {
      seen.push_back(values[cell]);
      fixed.Groups.emplace_back();
    }
    CellGroup& group = fixed.Groups[at];
    group.Cells.push_back(
        {static_cast<std::int16_t>(cell / n), static_cast<std::int16_t>(cell % n)});
    fixed.MaxGroupSize = std::max(fixed.MaxGroupSize, ++group.Count);
  }
  fixed.GroupCount = static_cast<std::int16_t>(fixed.Groups.size());
  return fixed;
}

}  // namespace quorel::testing_support
