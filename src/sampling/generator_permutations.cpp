#include "sampling/generator_permutations.hpp"

#include <cassert>
#include <cstring>

#include "core/analysis_options.hpp"
#include "sampling/group_cells.hpp"
#include "sampling/shuffles.hpp"

namespace quorel {

namespace {

std::size_t Cells(int n) { return static_cast<std::size_t>(n) * static_cast<std::size_t>(n); }

void SetIdentity(std::int16_t* perm, int n) {
  for (int i = 0; i < n; ++i) perm[i] = static_cast<std::int16_t>(i);
}

}  // namespace

WorkspaceStatus PermutationWorkspace::Obtain(StorageGate& gate, int actors, int measure_control,
                                             int max_group_size) {
  n = actors;
  control = measure_control;
  const std::size_t square = Cells(actors);
  const std::size_t line = static_cast<std::size_t>(actors);
  bool ok = true;
  switch (measure_control) {
    case kMA:
      ok = gate.Obtain(StorageKind::kSamplerBuffer, cells, square) &&
           gate.Obtain(StorageKind::kSamplerBuffer, diagonal, line);
      break;
    case kMB:
      ok = gate.Obtain(StorageKind::kSamplerBuffer, cells, square) &&
           gate.Obtain(StorageKind::kSamplerBuffer, perm, line);
      break;
    case kMC:
      ok = gate.Obtain(StorageKind::kSamplerBuffer, perm, line) &&
           gate.Obtain(StorageKind::kSamplerBuffer, table, square) &&
           gate.Obtain(StorageKind::kSamplerBuffer, cells, square);
      break;
    case kMD:
      ok = gate.Obtain(StorageKind::kSamplerBuffer, table,
                       static_cast<std::size_t>(DyadCount(actors))) &&
           gate.Obtain(StorageKind::kSamplerBuffer, diagonal, line);
      break;
    case kME:
      ok = gate.Obtain(StorageKind::kSamplerBuffer, cells, square) &&
           gate.Obtain(StorageKind::kSamplerBuffer, perm, line);
      if (ok && !gate.Obtain(StorageKind::kShuffleWork, work, square)) {
        return WorkspaceStatus::kShuffleWorkFailed;
      }
      break;
    case kMF:
    case kMG:
      ok = gate.Obtain(StorageKind::kSamplerBuffer, scratch,
                       static_cast<std::size_t>(max_group_size > 0 ? max_group_size : 0));
      break;
    default:
      break;
  }
  return ok ? WorkspaceStatus::kReady : WorkspaceStatus::kSamplerBufferFailed;
}

void PermuteDensity(RandomSource& random, std::int8_t* matrix, int n, bool include_diagonal,
                    PermutationWorkspace& ws) {
  assert(ws.cells.size() >= Cells(n));
  std::int8_t* cells = ws.cells.data();
  const int count = ExtractCells(matrix, n, cells, include_diagonal);
  ShuffleBytes(random, cells, count, cells);
  int k = 0;
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      if (c == r && !include_diagonal) continue;
      matrix[r * n + c] = cells[k++];
    }
  }
}

void PermuteDensitySymmetric(RandomSource& random, std::int8_t* matrix, int n,
                             bool include_diagonal, PermutationWorkspace& ws) {
  assert(ws.cells.size() >= static_cast<std::size_t>(DyadCount(n)));
  assert(!include_diagonal || ws.diagonal.size() >= static_cast<std::size_t>(n));
  std::int8_t* upper = ws.cells.data();
  std::int8_t* loops = ws.diagonal.data();
  ExtractUpperTriangle(matrix, n, upper);
  ShuffleBytes(random, upper, DyadCount(n), upper);
  if (include_diagonal) {
    ExtractDiagonal(matrix, n, loops);
    ShuffleBytes(random, loops, n, loops);
  }
  int k = 0;
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j, ++k) {
      matrix[j * n + i] = upper[k];
      matrix[i * n + j] = upper[k];
    }
  }
  if (include_diagonal) {
    for (int i = 0; i < n; ++i) matrix[i * n + i] = loops[i];
  }
}

void PermuteActors(RandomSource& random, std::int8_t* matrix, int n, bool include_diagonal,
                   PermutationWorkspace& ws) {
  assert(ws.cells.size() >= Cells(n) && ws.perm.size() >= static_cast<std::size_t>(n));
  if (n <= 0) return;
  std::int8_t* before = ws.cells.data();
  std::int16_t* perm = ws.perm.data();
  std::memcpy(before, matrix, Cells(n));
  SetIdentity(perm, n);
  ShuffleShorts(random, perm, n, perm);
  for (int i = 0; i < n; ++i) {
    const std::int8_t* from = before + perm[i] * n;
    for (int j = 0; j < n; ++j) {
      if (j == i && !include_diagonal) continue;
      matrix[i * n + j] = from[perm[j]];
    }
  }
}

void PermuteRowsAndActors(RandomSource& random, std::int8_t* matrix, int n, bool include_diagonal,
                          PermutationWorkspace& ws) {
  assert(ws.cells.size() >= Cells(n) && ws.table.size() >= Cells(n));
  assert(ws.perm.size() >= static_cast<std::size_t>(n));
  if (n <= 0) return;
  std::int8_t* before = ws.cells.data();
  std::int16_t* perm = ws.perm.data();
  std::int16_t* columns = ws.table.data();
  std::memcpy(before, matrix, Cells(n));
  SetIdentity(perm, n);
  const int len = include_diagonal ? n : n - 1;
  // Row r's column permutation is a shuffle of the identity still held by perm.
  for (int r = 0; r < n; ++r) ShuffleShorts(random, perm, len, columns + r * n);
  ShuffleShorts(random, perm, n, perm);
  for (int i = 0; i < n; ++i) {
    const std::int8_t* from = before + perm[i] * n;
    const std::int16_t* q = columns + i * n;
    for (int j = 0; j < n; ++j) {
      if (include_diagonal) {
        matrix[i * n + j] = from[q[j]];
      } else if (j != i) {
        // q numbers the source row's off-diagonal columns; step over its loop.
        int t = j < i ? q[j] : q[j - 1];
        if (t >= perm[i]) ++t;
        matrix[i * n + j] = from[t];
      }
    }
  }
}

void PermuteDyadCensus(RandomSource& random, std::int8_t* matrix, int n, bool include_diagonal,
                       PermutationWorkspace& ws) {
  assert(ws.table.size() >= static_cast<std::size_t>(DyadCount(n)));
  assert(!include_diagonal || ws.diagonal.size() >= static_cast<std::size_t>(n));
  ShuffleDyads(random, matrix, n, ws.table.data(), ws.diagonal.data(), include_diagonal);
  WriteDyads(matrix, n, ws.table.data(), ws.diagonal.data(), include_diagonal);
}

void PermuteOutdegreeDistribution(RandomSource& random, std::int8_t* matrix, int n,
                                  bool include_diagonal, PermutationWorkspace& ws) {
  assert(ws.cells.size() >= Cells(n) && ws.work.size() >= Cells(n));
  assert(ws.perm.size() >= static_cast<std::size_t>(n));
  if (n <= 0) return;
  std::memcpy(ws.cells.data(), matrix, Cells(n));
  SetIdentity(ws.perm.data(), n);
  ShuffleRowsAndActors(random, ws.cells.data(), matrix, n, ws.perm.data(),
                       include_diagonal ? n : n - 1, include_diagonal, ws.work.data());
}

void PermuteWithinGroups(RandomSource& random, std::int8_t* matrix, int n, bool include_diagonal,
                         bool non_directional, const FixedMatrixRecord& fixed,
                         PermutationWorkspace& ws) {
  std::int8_t* scratch = ws.scratch.data();
  for (const CellGroup& group : fixed.Groups) {
    if (group.Cells.size() <= 1) continue;
    assert(ws.scratch.size() >= group.Cells.size());
    int k = 0;
    for (const CellNode& cell : group.Cells) {
      if (TakesPartInGroup(cell, include_diagonal, non_directional)) {
        scratch[k++] = matrix[cell.Row * n + cell.Col];
      }
    }
    ShuffleBytes(random, scratch, k, scratch);
    k = 0;
    for (const CellNode& cell : group.Cells) {
      if (!TakesPartInGroup(cell, include_diagonal, non_directional)) continue;
      matrix[cell.Row * n + cell.Col] = scratch[k];
      if (non_directional) matrix[cell.Col * n + cell.Row] = scratch[k];
      ++k;
    }
  }
}

void PermuteWithinGroupRows(RandomSource& random, std::int8_t* matrix, int n,
                            bool include_diagonal, const FixedMatrixRecord& fixed,
                            PermutationWorkspace& ws) {
  std::int8_t* scratch = ws.scratch.data();
  for (const CellGroup& group : fixed.Groups) {
    if (group.Cells.size() <= 1) continue;
    assert(ws.scratch.size() >= group.Cells.size());
    ForEachActorRun(group, [&](std::size_t begin, std::size_t end) {
      if (end - begin < 2) return;  // an actor's only cell of the value stays as it is
      int k = 0;
      for (std::size_t i = begin; i < end; ++i) {
        const CellNode& cell = group.Cells[i];
        if (include_diagonal || cell.Row != cell.Col) {
          scratch[k++] = matrix[cell.Row * n + cell.Col];
        }
      }
      ShuffleBytes(random, scratch, k, scratch);
      k = 0;
      for (std::size_t i = begin; i < end; ++i) {
        const CellNode& cell = group.Cells[i];
        if (include_diagonal || cell.Row != cell.Col) {
          matrix[cell.Row * n + cell.Col] = scratch[k++];
        }
      }
    });
  }
}

void PermuteUnderControl(RandomSource& random, std::int8_t* matrix, int n, int control,
                         int diagonal_option, bool non_directional,
                         const FixedMatrixRecord* fixed, PermutationWorkspace& ws) {
  // A generator's loops take part only under "include for all relations".
  const bool include = diagonal_option == 2;
  switch (control) {
    case kMA:
      if (non_directional) {
        PermuteDensitySymmetric(random, matrix, n, include, ws);
      } else {
        PermuteDensity(random, matrix, n, include, ws);
      }
      break;
    case kMB: PermuteActors(random, matrix, n, include, ws); break;
    case kMC: PermuteRowsAndActors(random, matrix, n, include, ws); break;
    case kMD: PermuteDyadCensus(random, matrix, n, include, ws); break;
    case kME: PermuteOutdegreeDistribution(random, matrix, n, include, ws); break;
    case kMF:
      if (fixed != nullptr) {
        PermuteWithinGroups(random, matrix, n, include, non_directional, *fixed, ws);
      }
      break;
    case kMG:
      if (fixed != nullptr) PermuteWithinGroupRows(random, matrix, n, include, *fixed, ws);
      break;
    default: break;
  }
}

}  // namespace quorel
