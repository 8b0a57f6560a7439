#include "sampling/null_model.hpp"

#include <cstddef>

#include "core/analysis_options.hpp"
#include "measures/diagonal_rule.hpp"

namespace quorel {

namespace {

// Walks the cell classes of a model in order: visit.Slot(cell) for every slot of the class
// being formed, visit.Close() at the end of every class (empty ones included, so that each row
// has its class), visit.Keep(cell) for a cell that a one-cell group or run leaves alone.
template <class Visitor>
void WalkClasses(const NullModel& model, int n, bool include_diagonal, const FixedMatrixRecord* fixed,
                 Visitor& visit) {
  const auto counted = [include_diagonal](int r, int c) { return include_diagonal || r != c; };
  switch (model.classes) {
    case CellClassKind::kNone: break;
    case CellClassKind::kAllCounted:
      for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
          if (counted(r, c)) visit.Slot(r * n + c);
        }
      }
      visit.Close();
      break;
    case CellClassKind::kDyadsAndLoops:
      for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) visit.Slot(i * n + j);
      }
      visit.Close();
      if (include_diagonal) {
        for (int i = 0; i < n; ++i) visit.Slot(i * n + i);
        visit.Close();
      }
      break;
    case CellClassKind::kRows:
      for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
          if (counted(r, c)) visit.Slot(r * n + c);
        }
        visit.Close();
      }
      break;
    case CellClassKind::kGroups:
      if (fixed == nullptr) break;
      for (const CellGroup& group : fixed->Groups) {
        if (group.Cells.size() == 1) {
          visit.Keep(group.Cells.front().Row * n + group.Cells.front().Col);
          continue;
        }
        for (const CellNode& cell : group.Cells) {
          // Mirrored, a cell below the diagonal is carried by its upper mirror.
          if (counted(cell.Row, cell.Col) && !(model.mirrored && cell.Row > cell.Col)) {
            visit.Slot(cell.Row * n + cell.Col);
          }
        }
        visit.Close();
      }
      break;
    case CellClassKind::kGroupRows:
      if (fixed == nullptr) break;
      for (const CellGroup& group : fixed->Groups) {
        // A group's cells are row-major, so each maximal run of one Row is one actor's cells.
        const std::size_t size = group.Cells.size();
        for (std::size_t begin = 0, end = 0; begin < size; begin = end) {
          end = begin + 1;
          while (end < size && group.Cells[end].Row == group.Cells[begin].Row) ++end;
          if (end - begin == 1) {
            visit.Keep(group.Cells[begin].Row * n + group.Cells[begin].Col);
            continue;
          }
          for (std::size_t k = begin; k < end; ++k) {
            if (counted(group.Cells[k].Row, group.Cells[k].Col)) visit.Slot(group.Cells[k].Row * n + group.Cells[k].Col);
          }
          visit.Close();
        }
      }
      break;
  }
}

struct SlotCounter {
  std::int64_t slots = 0;
  void Slot(int) { ++slots; }
  void Close() {}
  void Keep(int) {}
};

struct ClassBuilder {
  CellClasses& classes;
  int n;
  bool sources;
  bool mirrored;

  void Slot(int cell) {
    const int slot = static_cast<int>(classes.slot_cell.size());
    classes.slot_cell.push_back(cell);
    if (!sources) return;
    classes.source[cell] = slot;
    if (mirrored) classes.source[(cell % n) * n + cell / n] = slot;
  }
  void Close() { classes.class_begin.push_back(static_cast<int>(classes.slot_cell.size())); }
  void Keep(int cell) {
    if (sources) classes.source[cell] = -1;
  }
};

int AsymmetricDyads(const std::int8_t* m, int n) {
  int count = 0;
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) count += (m[i * n + j] != 0) != (m[j * n + i] != 0);
  }
  return count;
}

}  // namespace

NullModel NullModelOf(int control, bool non_directional, PermutationStrategy strategy) {
  const bool pairs = strategy == PermutationStrategy::kPairs;
  NullModel model;
  model.defined = control >= kMA && control <= kMG;
  switch (control) {
    case kMA:
      model.classes = non_directional ? CellClassKind::kDyadsAndLoops : CellClassKind::kAllCounted;
      model.mirrored = non_directional;
      model.swaps_share_draws = pairs && !non_directional;
      break;
    case kMB: model.actors = ActorRelabelling::kRowsAndColumns; break;
    case kMC:
      model.classes = CellClassKind::kRows;
      model.actors = ActorRelabelling::kRows;
      model.actors_first = pairs;
      break;
    case kMD:
      model.classes = CellClassKind::kDyadsAndLoops;
      model.dyad_codes = true;
      break;
    case kME:
      model.classes = CellClassKind::kRows;
      model.actors = ActorRelabelling::kRows;
      model.rows_by_source = true;
      model.carried_actors = pairs;
      break;
    case kMF:
      model.classes = CellClassKind::kGroups;
      model.mirrored = non_directional;
      model.needs_fixed_matrix = true;
      break;
    case kMG:
      model.classes = CellClassKind::kGroupRows;
      model.needs_fixed_matrix = true;
      break;
    default: break;
  }
  return model;
}

void BuildCellClasses(const NullModel& model, int n, bool include_diagonal, const FixedMatrixRecord* fixed,
                      CellClasses& classes) {
  const bool sources = !model.dyad_codes && model.actors == ActorRelabelling::kNone;
  classes.slot_cell.clear();
  classes.class_begin.assign(1, 0);
  classes.source.assign(sources ? static_cast<std::size_t>(n) * n : 0, -1);
  ClassBuilder builder{classes, n, sources, model.mirrored};
  WalkClasses(model, n, include_diagonal, fixed, builder);
}

std::int64_t RandomisingDrawCount(const NullModel& model, int n, bool include_diagonal, const std::int8_t* m,
                                  const FixedMatrixRecord* fixed) {
  if (!DrawsSamples(model, fixed)) return 0;
  SlotCounter counter;
  WalkClasses(model, n, include_diagonal, fixed, counter);
  std::int64_t draws = counter.slots;
  if (model.actors != ActorRelabelling::kNone) draws += n;
  if (model.dyad_codes) draws += AsymmetricDyads(m, n);
  return draws;
}

std::int64_t PairSampleDrawCount(int n, bool include_diagonal, int control, int directionality,
                                 const std::int8_t* b, const FixedMatrixRecord* fixed) {
  const NullModel model = NullModelOf(control, directionality == 1, PermutationStrategy::kPairs);
  if (!DrawsSamples(model, fixed)) return 0;
  const std::int64_t randomising = RandomisingDrawCount(model, n, include_diagonal, b, fixed);
  return model.swaps_share_draws ? randomising : randomising + CountedCells(n, include_diagonal);
}

}  // namespace quorel
