#pragma once

#include <algorithm>
#include <array>
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

inline Relation RandomRelation(std::mt19937& gen, int n, bool symmetric) {
  const std::vector<int> cells = RandomCells(gen, n, 2, symmetric);
  return Relation(cells.begin(), cells.end());
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

inline std::vector<std::int8_t> Diagonal(const Relation& m, int n) {
  std::vector<std::int8_t> d(n);
  for (int i = 0; i < n; ++i) d[i] = m[i * n + i];
  return d;
}

// What the null model of a measure control (0..6 = MA..MG) promises to keep when it randomises
// a relation, as numbers to compare before and after; loops count only when included.
inline std::vector<int> KeptByControl(int control, const Relation& m, int n, bool include,
                                      bool symmetric, const FixedMatrixRecord& fixed) {
  const auto at = [&](int r, int c) { return r != c || include ? m[r * n + c] : 0; };
  std::vector<int> kept;
  std::array<int, 3> census{};  // null, asymmetric, mutual dyads
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) ++census[m[i * n + j] + m[j * n + i]];
  }
  if (control == 0) {  // ties
    int ties = 0;
    for (int cell = 0; cell < n * n; ++cell) ties += at(cell / n, cell % n);
    kept.push_back(ties);
  } else if (control == 1 || control == 2 || control == 4) {
    // MB: each actor's loop, outdegree and indegree, as a multiset, and the dyad census.
    // MC, ME: the multiset of outdegrees.
    for (int i = 0; i < n; ++i) {
      int out = 0, in = 0;
      for (int j = 0; j < n; ++j) {
        out += j != i ? at(i, j) : 0;
        in += j != i ? at(j, i) : 0;
      }
      kept.push_back(control == 1 ? at(i, i) * 1000000 + out * 1000 + in : out + at(i, i));
    }
    std::sort(kept.begin(), kept.end());
    if (control == 1) kept.insert(kept.end(), census.begin(), census.end());
  } else if (control == 3) {  // the dyad census and the number of loops
    kept.assign(census.begin(), census.end());
    int loops = 0;
    for (int i = 0; i < n; ++i) loops += at(i, i);
    kept.push_back(loops);
  } else if (control == 5 || control == 6) {
    // MF: ties per fixed-matrix value (when symmetric, among the cells on and above the
    // diagonal, since a loop may trade places with a mirrored pair). MG: ties per actor and value.
    for (const CellGroup& g : fixed.Groups) {
      std::vector<int> ties(control == 5 ? 1 : n, 0);
      for (const CellNode& cell : g.Cells) {
        if (symmetric && cell.Row > cell.Col) continue;
        ties[control == 5 ? 0 : cell.Row] += at(cell.Row, cell.Col);
      }
      kept.insert(kept.end(), ties.begin(), ties.end());
    }
  }
  bool is_symmetric = true;
  for (int cell = 0; cell < n * n; ++cell) is_symmetric &= m[cell] == m[(cell % n) * n + cell / n];
  if (symmetric) kept.push_back(is_symmetric);
  return kept;
}

}  // namespace quorel::testing_support
