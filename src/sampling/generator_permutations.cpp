#include "sampling/generator_permutations.hpp"

#include <cassert>
#include <cstring>

#include "core/analysis_options.hpp"
#include "sampling/shuffles.hpp"

namespace quorel {

namespace {

std::size_t Cells(int n) { return static_cast<std::size_t>(n) * static_cast<std::size_t>(n); }

void SetIdentity(std::int16_t* perm, int n) {
  for (int i = 0; i < n; ++i) perm[i] = static_cast<std::int16_t>(i);
}

const CellClasses& ClassesFor(const NullModel& model, int n, bool include_diagonal, const FixedMatrixRecord* fixed,
                              PermutationWorkspace& ws) {
  PermutationWorkspace::ClassCache& cache = ws.cache[model.mirrored ? 1 : 0];
  if (!cache.built || cache.include_diagonal != include_diagonal || cache.fixed != fixed) {
    BuildCellClasses(model, n, include_diagonal, fixed, cache.classes);
    cache.built = true;
    cache.include_diagonal = include_diagonal;
    cache.fixed = fixed;
  }
  return cache.classes;
}

// MB: the actors relabelled by a random permutation; without the diagonal every loop stays
// with its original actor. Draws: N.
void RelabelActors(RandomSource& random, std::int8_t* matrix, int n, bool include_diagonal,
                   PermutationWorkspace& ws) {
  assert(ws.before.size() >= Cells(n) && ws.perm.size() >= static_cast<std::size_t>(n));
  if (n <= 0) return;
  std::int8_t* before = ws.before.data();
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

// MA, MF, MG: each class's values shuffled among its cells, class after class, and written
// to both cells of a dyad when mirrored. Draws: one per slot.
void ShuffleClassesInPlace(RandomSource& random, std::int8_t* matrix, int n, const CellClasses& classes,
                           bool mirrored, std::int8_t* values) {
  for (int k = 0; k < classes.Count(); ++k) {
    const int* cells = classes.slot_cell.data() + classes.Begin(k);
    const int size = classes.Size(k);
    for (int s = 0; s < size; ++s) values[s] = matrix[cells[s]];
    ShuffleBytes(random, values, size, values);
    for (int s = 0; s < size; ++s) {
      matrix[cells[s]] = values[s];
      if (mirrored) matrix[(cells[s] % n) * n + cells[s] / n] = values[s];
    }
  }
}

}  // namespace

WorkspaceStatus PermutationWorkspace::Obtain(StorageGate& gate, int actors, int measure_control,
                                             int max_group_size) {
  n = actors;
  control = measure_control;
  cache[0].built = cache[1].built = false;
  const std::size_t square = Cells(actors);
  const std::size_t line = static_cast<std::size_t>(actors);
  const auto obtain = [&gate](auto& buffer, std::size_t size) {
    return gate.Obtain(StorageKind::kSamplerBuffer, buffer, size);
  };
  bool ok = true;
  switch (measure_control) {
    case kMA: ok = obtain(values, square); break;
    case kMB: ok = obtain(before, square) && obtain(perm, line); break;
    case kMC: ok = obtain(perm, line) && obtain(before, square) && obtain(values, square); break;
    case kMD: ok = obtain(codes, static_cast<std::size_t>(DyadCount(actors))) && obtain(loops, line); break;
    case kME:
      ok = obtain(before, square) && obtain(perm, line);
      if (ok && !gate.Obtain(StorageKind::kShuffleWork, values, square)) return WorkspaceStatus::kShuffleWorkFailed;
      break;
    case kMF:
    case kMG: ok = obtain(values, static_cast<std::size_t>(max_group_size > 0 ? max_group_size : 0)); break;
    default: break;
  }
  return ok ? WorkspaceStatus::kReady : WorkspaceStatus::kSamplerBufferFailed;
}

void PermuteUnderControl(RandomSource& random, std::int8_t* matrix, int n, int control,
                         int diagonal_option, bool non_directional,
                         const FixedMatrixRecord* fixed, PermutationWorkspace& ws) {
  const NullModel model = NullModelOf(control, non_directional, PermutationStrategy::kGenerators);
  if (!DrawsSamples(model, fixed)) return;
  // A generator's loops take part only under "include for all relations".
  const bool include = diagonal_option == 2;
  if (model.actors == ActorRelabelling::kRowsAndColumns) {
    RelabelActors(random, matrix, n, include, ws);
    return;
  }
  if (model.dyad_codes) {
    assert(ws.codes.size() >= static_cast<std::size_t>(DyadCount(n)));
    assert(!include || ws.loops.size() >= static_cast<std::size_t>(n));
    ShuffleDyads(random, matrix, n, ws.codes.data(), ws.loops.data(), include);
    WriteDyads(matrix, n, ws.codes.data(), ws.loops.data(), include);
    return;
  }
  if (model.actors == ActorRelabelling::kRows) {
    assert(ws.before.size() >= Cells(n) && ws.perm.size() >= static_cast<std::size_t>(n));
    assert(ws.values.size() >= Cells(n));
    if (n <= 0) return;
    std::memcpy(ws.before.data(), matrix, Cells(n));
    SetIdentity(ws.perm.data(), n);
    ShuffleRows(random, model, n, include, ws.before.data(), matrix, ws.perm.data(), ws.values.data());
    return;
  }
  ShuffleClassesInPlace(random, matrix, n, ClassesFor(model, n, include, fixed, ws), model.mirrored,
                        ws.values.data());
}

}  // namespace quorel
