#pragma once

namespace quorel {

// Which cells a table of two elements counts. An actor's tie to itself counts for every
// pair under "include for all relations" (2), never under "exclude for all relations" (0),
// and under "exclude for generators only" (1) exactly when neither element is a generator.
inline bool PairIncludesDiagonal(int diagonal_option, int i, int j, int generator_count) {
  if (diagonal_option == 2) return true;
  if (diagonal_option == 1) return i >= generator_count && j >= generator_count;
  return false;
}

// Cells counted by a table of N actors.
inline int CountedCells(int n, bool include_diagonal) { return include_diagonal ? n * n : n * (n - 1); }

}  // namespace quorel
