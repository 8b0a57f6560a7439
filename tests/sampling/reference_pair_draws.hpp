#pragma once

// The straightforward samples of a pair of relations (A first, B second) under a measure
// control: B randomised plainly by the control's null model into a copy W, then, over the
// counted cells in row-major order, X the sample table of the pairs (A, W) and Y the swap
// table of the pairs (A, B) with the two values exchanged on a fair draw, one draw per cell
// after the randomisation's. The oracle the overlap sampler must match sample by sample.

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/fixed_matrix.hpp"
#include "core/random_source.hpp"
#include "measures/fourfold_table.hpp"
#include "sampling/null_model.hpp"
#include "sampling/shuffles.hpp"

namespace quorel::testing_support {

// Buffers and the pair in work; one workspace per stream of samples.
struct ReferencePairWorkspace {
  int n = 0;
  NullModel model;
  const FixedMatrixRecord* fixed = nullptr;
  CellClasses classes[2];  // without and with the diagonal
  bool built[2] = {false, false};

  // The pair in work, set by Prepare. The relations must not change while it is sampled.
  const std::int8_t* a = nullptr;
  const std::int8_t* b = nullptr;
  bool include_diagonal = false;

  std::vector<std::int8_t> ea, eb;   // shared exchange draws: A's and B's values of the one class
  std::vector<std::int8_t> w;        // the randomised copy of B
  std::vector<std::int8_t> values;   // the classes' values
  std::vector<std::int16_t> perm;    // the actor permutation (carried over under ME)
  std::vector<std::int16_t> codes;   // MD: the dyad codes
  std::vector<std::int8_t> loops;    // MD: the loops

  // For N actors under `control` (0..6 = MA..MG), directionality 0 all directional, 1 all
  // non-directional, 2 mixed; `fixed` null when there is no fixed matrix.
  ReferencePairWorkspace(int actors, int control, int directionality, const FixedMatrixRecord* fixed_matrix)
      : n(actors),
        model(NullModelOf(control, directionality == 1, PermutationStrategy::kPairs)),
        fixed(fixed_matrix),
        ea(static_cast<std::size_t>(actors) * actors),
        eb(static_cast<std::size_t>(actors) * actors),
        w(static_cast<std::size_t>(actors) * actors),
        values(static_cast<std::size_t>(actors) * actors),
        perm(actors),
        codes(static_cast<std::size_t>(DyadCount(actors))),
        loops(actors) {}

  // Starts a pair; a carried actor permutation starts from the identity.
  void Prepare(const std::int8_t* first, const std::int8_t* second, bool include) {
    a = first;
    b = second;
    include_diagonal = include;
    for (int i = 0; i < n; ++i) perm[i] = static_cast<std::int16_t>(i);
    if (!DrawsSamples(model, fixed)) return;
    CellClasses& pair_classes = classes[include ? 1 : 0];
    if (!built[include ? 1 : 0]) {
      BuildCellClasses(model, n, include, fixed, pair_classes);
      built[include ? 1 : 0] = true;
    }
    if (model.swaps_share_draws) {
      for (int k = 0; k < pair_classes.Slots(); ++k) {
        ea[k] = a[pair_classes.slot_cell[k]];
        eb[k] = b[pair_classes.slot_cell[k]];
      }
    }
  }
};

// W = B randomised under the workspace's null model.
inline void RandomiseSecond(RandomSource& random, ReferencePairWorkspace& ws) {
  const int n = ws.n;
  const NullModel& model = ws.model;
  const CellClasses& classes = ws.classes[ws.include_diagonal ? 1 : 0];
  std::int8_t* w = ws.w.data();
  if (model.actors == ActorRelabelling::kRowsAndColumns) {
    for (int i = 0; i < n; ++i) ws.perm[i] = static_cast<std::int16_t>(i);
    ShuffleShorts(random, ws.perm.data(), n, ws.perm.data());
    for (int r = 0; r < n; ++r) {
      for (int c = 0; c < n; ++c) w[r * n + c] = ws.b[ws.perm[r] * n + ws.perm[c]];
    }
  } else if (model.actors == ActorRelabelling::kRows) {
    if (!model.carried_actors) {
      for (int i = 0; i < n; ++i) ws.perm[i] = static_cast<std::int16_t>(i);
    }
    ShuffleRows(random, model, n, ws.include_diagonal, ws.b, w, ws.perm.data(), ws.values.data());
  } else if (model.dyad_codes) {
    ShuffleDyads(random, ws.b, n, ws.codes.data(), ws.loops.data(), ws.include_diagonal);
    WriteDyads(w, n, ws.codes.data(), ws.loops.data(), ws.include_diagonal);
  } else {
    // Every class's values shuffled among its slots, then each cell of W takes its source
    // slot's value or B's own.
    std::int8_t* values = ws.values.data();
    for (int s = 0; s < classes.Slots(); ++s) values[s] = ws.b[classes.slot_cell[s]];
    for (int k = 0; k < classes.Count(); ++k) {
      ShuffleBytes(random, values + classes.Begin(k), classes.Size(k), values + classes.Begin(k));
    }
    for (int cell = 0; cell < n * n; ++cell) {
      w[cell] = classes.source[cell] >= 0 ? values[classes.source[cell]] : ws.b[cell];
    }
  }
}

// Counts one counted cell into X and into Y, its two values exchanged when `draw` is 16384
// or more.
inline void CountCell(int a, int b, int w, int draw, FourfoldTable& x, FourfoldTable& y) {
  x[2 * a + w] += 1.0f;
  if (draw >= 16384) {
    y[2 * (1 - a) + (1 - b)] += 1.0f;
  } else {
    y[2 * a + b] += 1.0f;
  }
}

// One sample of the prepared pair: W drawn, then X and Y counted with one exchange draw per
// counted cell. Returns false, drawing nothing and leaving both tables empty, when the
// control has no sampler.
inline bool DrawReferenceSample(RandomSource& random, ReferencePairWorkspace& ws, FourfoldTable& x,
                                FourfoldTable& y) {
  x = FourfoldTable{};
  y = FourfoldTable{};
  if (!DrawsSamples(ws.model, ws.fixed)) return false;
  const int n = ws.n;
  const bool include = ws.include_diagonal;
  const std::int8_t* a = ws.a;
  const std::int8_t* b = ws.b;
  if (ws.model.swaps_share_draws) {
    // One class of every counted cell in counting order, shuffled forward: the draw of step k
    // picks the value W holds at counted cell k and decides that cell's exchange. (W itself
    // is not written.)
    const int count = ws.classes[include ? 1 : 0].Slots();
    const std::int8_t* ea = ws.ea.data();
    const std::int8_t* eb = ws.eb.data();
    std::int8_t* unplaced = ws.values.data();
    if (count > 0) std::memcpy(unplaced, eb, static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
      const int draw = random.Draw();
      const int j = PickIndex(k, count - k, draw);
      CountCell(ea[k], eb[k], unplaced[j], draw, x, y);
      unplaced[j] = unplaced[k];
    }
    return true;
  }
  RandomiseSecond(random, ws);
  const std::int8_t* w = ws.w.data();
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      if (c == r && !include) continue;
      CountCell(a[r * n + c], b[r * n + c], w[r * n + c], random.Draw(), x, y);
    }
  }
  return true;
}

}  // namespace quorel::testing_support
