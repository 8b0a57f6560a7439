#include "sampling/pair_draws.hpp"

#include <cassert>
#include <cstring>

#include "core/analysis_options.hpp"
#include "sampling/group_cells.hpp"
#include "sampling/shuffles.hpp"

namespace quorel {

namespace {

std::size_t Cells(int n) { return static_cast<std::size_t>(n) * static_cast<std::size_t>(n); }

void SetIdentity(std::vector<std::int16_t>& perm) {
  for (std::size_t i = 0; i < perm.size(); ++i) perm[i] = static_cast<std::int16_t>(i);
}

// The counting pass shared by every sampler but the directional density one: for each counted
// cell in row-major order, X counts (A, W) and Y counts (A, B) exchanged on one draw.
void CountSample(RandomSource& random, const PairWorkspace& ws, FourfoldTable& x,
                 FourfoldTable& y) {
  const int n = ws.n;
  const std::int8_t* w = ws.w.data();
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      if (c == r && !ws.include_diagonal) continue;
      const int cell = r * n + c;
      x[2 * ws.a[cell] + w[cell]] += 1.0f;
      CountCellWithRandomSwap(random, y, ws.a[cell], ws.b[cell]);
    }
  }
}

int AsymmetricDyads(const std::int8_t* m, int n) {
  int count = 0;
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) count += (m[i * n + j] != 0) != (m[j * n + i] != 0);
  }
  return count;
}

}  // namespace

WorkspaceStatus PairWorkspace::Obtain(StorageGate& gate, int actors, int measure_control,
                                      int max_group_size) {
  n = actors;
  control = measure_control;
  const std::size_t square = Cells(actors);
  const std::size_t line = static_cast<std::size_t>(actors);
  const std::size_t dyads = static_cast<std::size_t>(DyadCount(actors));
  const auto obtain = [&gate](auto& buffer, std::size_t size) {
    return gate.Obtain(StorageKind::kSamplerBuffer, buffer, size);
  };
  bool ok = true;
  switch (measure_control) {
    case kMA:
      ok = obtain(ea, square) && obtain(eb, square) && obtain(upper, dyads) &&
           obtain(diagonal, line) && obtain(w, square);
      break;
    case kMB: ok = obtain(identity, line) && obtain(perm, line) && obtain(w, square); break;
    case kMC:
      ok = obtain(identity, line) && obtain(perm, line) && obtain(table, square) &&
           obtain(w, square);
      break;
    case kMD: ok = obtain(table, dyads) && obtain(diagonal, line) && obtain(w, square); break;
    case kME:
      ok = obtain(perm, line) && obtain(w, square);
      if (ok && !gate.Obtain(StorageKind::kShuffleWork, work, square)) {
        return WorkspaceStatus::kShuffleWorkFailed;
      }
      break;
    case kMF:
    case kMG:
      ok = obtain(w, square) &&
           obtain(scratch, static_cast<std::size_t>(max_group_size > 0 ? max_group_size : 0));
      break;
    default: break;
  }
  return ok ? WorkspaceStatus::kReady : WorkspaceStatus::kSamplerBufferFailed;
}

void PairWorkspace::Prepare(const std::int8_t* first, const std::int8_t* second,
                            bool include) {
  a = first;
  b = second;
  include_diagonal = include;
  counted = CountedCellCount(n, include);
  if (control == kMA) {
    ExtractCells(a, n, ea.data(), include);
    ExtractCells(b, n, eb.data(), include);
  }
  SetIdentity(identity);
  // ME's permutation starts from the identity once per pair and then carries over.
  SetIdentity(perm);
}

void DrawDensity(RandomSource& random, PairWorkspace& ws, FourfoldTable& x, FourfoldTable& y) {
  x = FourfoldTable{};
  y = FourfoldTable{};
  const int count = ws.counted;
  const std::int8_t* ea = ws.ea.data();
  const std::int8_t* eb = ws.eb.data();
  std::int8_t* unplaced = ws.w.data();
  if (count > 0) std::memcpy(unplaced, eb, static_cast<std::size_t>(count));
  for (int k = 0; k < count; ++k) {
    const int r = random.Draw();
    const int j = PickIndex(k, count - k, r);
    x[2 * ea[k] + unplaced[j]] += 1.0f;
    // Position k is placed for good; its old value takes the slot just emptied, so
    // unplaced[k+1..] keeps exactly the values still to be paired, as in a forward shuffle.
    unplaced[j] = unplaced[k];
    if (r >= 16384) {
      y[2 * (ea[k] == 0 ? 1 : 0) + (eb[k] == 0 ? 1 : 0)] += 1.0f;
    } else {
      y[2 * ea[k] + eb[k]] += 1.0f;
    }
  }
}

void DrawDensitySymmetric(RandomSource& random, PairWorkspace& ws, FourfoldTable& x,
                          FourfoldTable& y) {
  x = FourfoldTable{};
  y = FourfoldTable{};
  const int n = ws.n;
  std::int8_t* upper = ws.upper.data();
  std::int8_t* loops = ws.diagonal.data();
  std::int8_t* w = ws.w.data();
  ExtractUpperTriangle(ws.b, n, upper);
  if (ws.include_diagonal) ExtractDiagonal(ws.b, n, loops);
  ShuffleBytes(random, upper, DyadCount(n), upper);
  if (ws.include_diagonal) ShuffleBytes(random, loops, n, loops);
  int k = 0;
  for (int r = 0; r < n; ++r) {
    for (int c = r + 1; c < n; ++c, ++k) {
      w[c * n + r] = upper[k];
      w[r * n + c] = upper[k];
    }
    if (ws.include_diagonal) w[r * n + r] = loops[r];
  }
  // Both (r, c) and (c, r) are counted, so each unordered pair counts twice.
  CountSample(random, ws, x, y);
}

void DrawActors(RandomSource& random, PairWorkspace& ws, FourfoldTable& x, FourfoldTable& y) {
  x = FourfoldTable{};
  y = FourfoldTable{};
  const int n = ws.n;
  const std::int16_t* perm = ws.perm.data();
  ShuffleShorts(random, ws.identity.data(), n, ws.perm.data());
  for (int r = 0; r < n; ++r) {
    const std::int8_t* from = ws.b + perm[r] * n;
    for (int c = 0; c < n; ++c) ws.w[r * n + c] = from[perm[c]];
  }
  CountSample(random, ws, x, y);
}

void DrawRowsAndActors(RandomSource& random, PairWorkspace& ws, FourfoldTable& x,
                       FourfoldTable& y) {
  x = FourfoldTable{};
  y = FourfoldTable{};
  const int n = ws.n;
  const int len = ws.include_diagonal ? n : n - 1;
  const std::int16_t* perm = ws.perm.data();
  std::int16_t* columns = ws.table.data();
  // Here the actor permutation is drawn before the rows' column permutations.
  ShuffleShorts(random, ws.identity.data(), n, ws.perm.data());
  for (int r = 0; r < n; ++r) ShuffleShorts(random, ws.identity.data(), len, columns + r * n);
  for (int r = 0; r < n; ++r) {
    const std::int8_t* from = ws.b + perm[r] * n;
    const std::int16_t* q = columns + r * n;
    std::int8_t* to = ws.w.data() + r * n;
    for (int c = 0; c < n; ++c) {
      if (ws.include_diagonal) {
        to[c] = from[q[c]];
      } else if (c != r) {
        // q numbers the source row's off-diagonal columns; step over its loop.
        int t = c < r ? q[c] : q[c - 1];
        if (t >= perm[r]) ++t;
        to[c] = from[t];
      }
    }
  }
  CountSample(random, ws, x, y);
}

void DrawDyadCensus(RandomSource& random, PairWorkspace& ws, FourfoldTable& x, FourfoldTable& y) {
  x = FourfoldTable{};
  y = FourfoldTable{};
  ShuffleDyads(random, ws.b, ws.n, ws.table.data(), ws.diagonal.data(), ws.include_diagonal);
  WriteDyads(ws.w.data(), ws.n, ws.table.data(), ws.diagonal.data(), ws.include_diagonal);
  CountSample(random, ws, x, y);
}

void DrawOutdegreeDistribution(RandomSource& random, PairWorkspace& ws, FourfoldTable& x,
                               FourfoldTable& y) {
  x = FourfoldTable{};
  y = FourfoldTable{};
  if (ws.n > 0) {
    ShuffleRowsAndActors(random, ws.b, ws.w.data(), ws.n, ws.perm.data(),
                         ws.include_diagonal ? ws.n : ws.n - 1, ws.include_diagonal,
                         ws.work.data());
  }
  CountSample(random, ws, x, y);
}

void DrawWithinGroups(RandomSource& random, PairWorkspace& ws, const FixedMatrixRecord& fixed,
                      int directionality, FourfoldTable& x, FourfoldTable& y) {
  x = FourfoldTable{};
  y = FourfoldTable{};
  const int n = ws.n;
  std::int8_t* w = ws.w.data();
  std::int8_t* scratch = ws.scratch.data();
  // W starts as a copy of B. With all relations non-directional and a fixed matrix that is not
  // symmetric, a lower cell of a multi-cell group whose mirror sits in a group of its own is
  // written by no step below; it keeps B's own value, as single-cell groups do.
  std::memcpy(w, ws.b, Cells(n));
  const bool mirrored = directionality == 1;
  for (const CellGroup& group : fixed.Groups) {
    if (group.Cells.size() == 1) {
      // Written in group order, so this also replaces a mirror an earlier group put here.
      const CellNode& cell = group.Cells.front();
      w[cell.Row * n + cell.Col] = ws.b[cell.Row * n + cell.Col];
      continue;
    }
    assert(ws.scratch.size() >= group.Cells.size());
    int k = 0;
    for (const CellNode& cell : group.Cells) {
      if (TakesPartInGroup(cell, ws.include_diagonal, mirrored)) {
        scratch[k++] = ws.b[cell.Row * n + cell.Col];
      }
    }
    ShuffleBytes(random, scratch, k, scratch);
    k = 0;
    for (const CellNode& cell : group.Cells) {
      if (!TakesPartInGroup(cell, ws.include_diagonal, mirrored)) continue;
      w[cell.Row * n + cell.Col] = scratch[k];
      if (mirrored) w[cell.Col * n + cell.Row] = scratch[k];
      ++k;
    }
  }
  CountSample(random, ws, x, y);
}

void DrawWithinGroupRows(RandomSource& random, PairWorkspace& ws, const FixedMatrixRecord& fixed,
                         FourfoldTable& x, FourfoldTable& y) {
  x = FourfoldTable{};
  y = FourfoldTable{};
  const int n = ws.n;
  std::int8_t* w = ws.w.data();
  std::int8_t* scratch = ws.scratch.data();
  const auto takes_part = [&ws](const CellNode& cell) {
    return ws.include_diagonal || cell.Row != cell.Col;
  };
  for (const CellGroup& group : fixed.Groups) {
    assert(group.Cells.size() <= 1 || ws.scratch.size() >= group.Cells.size());
    ForEachActorRun(group, [&](std::size_t begin, std::size_t end) {
      if (end - begin == 1) {
        const CellNode& cell = group.Cells[begin];
        w[cell.Row * n + cell.Col] = ws.b[cell.Row * n + cell.Col];
        return;
      }
      int k = 0;
      for (std::size_t i = begin; i < end; ++i) {
        const CellNode& cell = group.Cells[i];
        if (takes_part(cell)) scratch[k++] = ws.b[cell.Row * n + cell.Col];
      }
      ShuffleBytes(random, scratch, k, scratch);
      k = 0;
      for (std::size_t i = begin; i < end; ++i) {
        const CellNode& cell = group.Cells[i];
        if (takes_part(cell)) w[cell.Row * n + cell.Col] = scratch[k++];
      }
    });
  }
  CountSample(random, ws, x, y);
}

bool DrawPairSample(RandomSource& random, int control, int directionality,
                    const FixedMatrixRecord* fixed, PairWorkspace& ws, FourfoldTable& x,
                    FourfoldTable& y) {
  switch (control) {
    case kMA:
      if (directionality == 1) {
        DrawDensitySymmetric(random, ws, x, y);
      } else {
        DrawDensity(random, ws, x, y);
      }
      return true;
    case kMB: DrawActors(random, ws, x, y); return true;
    case kMC: DrawRowsAndActors(random, ws, x, y); return true;
    case kMD: DrawDyadCensus(random, ws, x, y); return true;
    case kME: DrawOutdegreeDistribution(random, ws, x, y); return true;
    case kMF:
      if (fixed == nullptr) return false;
      DrawWithinGroups(random, ws, *fixed, directionality, x, y);
      return true;
    case kMG:
      if (fixed == nullptr) return false;
      DrawWithinGroupRows(random, ws, *fixed, x, y);
      return true;
    default: return false;
  }
}

std::int64_t PairSampleDrawCount(int n, bool include_diagonal, int control, int directionality,
                                 const std::int8_t* b, const FixedMatrixRecord* fixed) {
  const std::int64_t counted = CountedCellCount(n, include_diagonal);
  const std::int64_t len = include_diagonal ? n : n - 1;
  const std::int64_t loops = include_diagonal ? n : 0;
  switch (control) {
    case kMA: return directionality == 1 ? DyadCount(n) + loops + counted : counted;
    case kMB: return n + counted;
    case kMC:
    case kME: return n + n * len + counted;
    case kMD: return DyadCount(n) + loops + AsymmetricDyads(b, n) + counted;
    case kMF: {
      if (fixed == nullptr) return 0;
      std::int64_t draws = counted;
      for (const CellGroup& group : fixed->Groups) {
        if (group.Cells.size() == 1) continue;
        for (const CellNode& cell : group.Cells) {
          draws += TakesPartInGroup(cell, include_diagonal, directionality == 1) ? 1 : 0;
        }
      }
      return draws;
    }
    case kMG: {
      if (fixed == nullptr) return 0;
      std::int64_t draws = counted;
      for (const CellGroup& group : fixed->Groups) {
        ForEachActorRun(group, [&](std::size_t begin, std::size_t end) {
          if (end - begin < 2) return;
          for (std::size_t i = begin; i < end; ++i) {
            const CellNode& cell = group.Cells[i];
            draws += (include_diagonal || cell.Row != cell.Col) ? 1 : 0;
          }
        });
      }
      return draws;
    }
    default: return 0;
  }
}

}  // namespace quorel
