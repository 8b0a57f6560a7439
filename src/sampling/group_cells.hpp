#pragma once

#include <cstddef>

#include "core/fixed_matrix.hpp"

namespace quorel {

// Which cells of a fixed-matrix group the fixed-matrix controls move, shared by the generator
// permutations and the pairwise samplers.

// Under MF a cell takes part in its group's shuffle unless it is an excluded loop, or the
// relations are treated as non-directional and it lies below the diagonal (its upper mirror
// carries it).
inline bool TakesPartInGroup(const CellNode& cell, bool include_diagonal, bool non_directional) {
  if (!include_diagonal && cell.Row == cell.Col) return false;
  if (non_directional && cell.Row > cell.Col) return false;
  return true;
}

// Under MG a group is split into one actor's cells at a time: the list is row-major, so each
// maximal run of cells with the same Row is one actor's cells carrying that value.
// Calls visit(begin, end) for every run [begin, end) of the group's list, in list order.
template <class Visit>
void ForEachActorRun(const CellGroup& group, Visit&& visit) {
  const std::size_t size = group.Cells.size();
  for (std::size_t begin = 0; begin < size;) {
    std::size_t end = begin + 1;
    while (end < size && group.Cells[end].Row == group.Cells[begin].Row) ++end;
    visit(begin, end);
    begin = end;
  }
}

}  // namespace quorel
