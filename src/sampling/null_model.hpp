#pragma once

#include <cstdint>
#include <vector>

#include "quorel/options.hpp"
#include "core/fixed_matrix.hpp"

namespace quorel {

// The null models of the measure controls, declared once: the generator permutations, the
// overlap sampler of pairs and the tests' straightforward pair samples all draw what the
// model of their control says, in the order it says. A null model names the cells one
// random sample of a relation shuffles among themselves (its cell classes), whether the
// actors are relabelled, whether a dyad's two cells move as one, and how a non-directional
// relation is treated; what the sample keeps follows from that:
//
//   MA  density: one class of every counted cell; keeps the number of ties. A non-directional
//       relation shuffles its dyads instead (the upper-triangle cells, each written to both
//       cells of its dyad) and, apart from them, its loops; keeps symmetry, the number of
//       mutual dyads and the number of loops.
//   MB  directed graph structure: no class; the actors are relabelled, rows and columns
//       alike; keeps the graph up to isomorphism.
//   MC  density and outdegrees, and
//   ME  outdegree distribution: one class per row (its counted cells), and whole rows handed
//       to relabelled actors; keep the multiset of outdegrees. The two differ only in the
//       order of their draws (and, for pairs, ME's relabelling goes on from sample to sample).
//   MD  mutual, asymmetric and null ties: the dyads shuffled as codes of both their cells,
//       then the loops, and every asymmetric dyad pointed afresh; keeps the dyad census and
//       the number of loops.
//   MF  fixed matrix: one class per fixed-matrix group of two or more cells; keeps each
//       group's number of ties. A non-directional relation shuffles only the group's cells on
//       or above the diagonal, each written to both cells of its dyad.
//   MG  fixed matrix and outdegrees: one class per actor's cells (two or more) of each
//       group; keeps, for every actor and value, the actor's ties into cells of that value.
//
// A loop belongs to a class only when the diagonal is counted. A cell that no class, mirror,
// relabelling or dyad code reaches keeps the relation's value.

enum class CellClassKind : std::uint8_t {
  kNone,           // no cells are shuffled
  kAllCounted,     // one class: every counted cell, row-major
  kDyadsAndLoops,  // one class of the cells (i, j), i < j, row-major, each standing for its
                   // dyad; then, when the diagonal is counted, one class of the loops
  kRows,           // one class per row: its counted cells by column
  kGroups,         // one class per group of the fixed matrix with two or more cells
  kGroupRows,      // one class per actor's cells of a group, where the actor has two or more
};

enum class ActorRelabelling : std::uint8_t {
  kNone,
  kRowsAndColumns,  // cell (r, c) of the sample is cell (P r, P c) of the relation
  kRows,            // row r of the sample holds the shuffled class of row P r
};

struct NullModel {
  bool defined = false;             // a measure control 0..6
  CellClassKind classes = CellClassKind::kNone;
  ActorRelabelling actors = ActorRelabelling::kNone;
  bool dyad_codes = false;          // the dyad class moves both cells of a dyad; asymmetric
                                    // dyads then draw a direction each
  bool mirrored = false;            // each slot is written to both cells of its dyad
  bool needs_fixed_matrix = false;  // without a fixed matrix the control draws nothing

  // The draws of one sample, in order: the classes' shuffles, one draw per slot class after
  // class; the actor permutation's N draws; one direction draw per asymmetric dyad; and for a
  // pair the exchange draws, one per counted cell. The exceptions:
  bool actors_first = false;       // the actor permutation is drawn before the classes
  bool rows_by_source = false;     // row class k's draws shuffle row k of the relation, not the
                                   // values landing in row k of the sample
  bool carried_actors = false;     // the permutation goes on from the pair's previous sample
  bool swaps_share_draws = false;  // a pair's exchange draw of counted cell k is the draw of
                                   // step k of the one class's shuffle
};

// The null model of `control` (0..6 = MA..MG; other values give an undefined model) under a
// strategy. `non_directional`: for pairs, every relation is non-directional; for generators,
// this generator is.
NullModel NullModelOf(int control, bool non_directional, PermutationStrategy strategy);

// Whether the model draws anything: defined, and with the fixed matrix it needs.
inline bool DrawsSamples(const NullModel& model, const FixedMatrixRecord* fixed) {
  return model.defined && (!model.needs_fixed_matrix || fixed != nullptr);
}

// The cell classes of a model for N actors and one diagonal decision. A slot is one shuffled
// position; cells are numbered r * N + c.
struct CellClasses {
  std::vector<int> slot_cell;    // the cell of every slot, class after class
  std::vector<int> class_begin;  // class k holds slots [class_begin[k], class_begin[k+1]), and
                                 // its shuffle takes draws class_begin[k].. of the class draws
  // For models that shuffle cell values (no relabelling, no dyad codes): per cell, the slot
  // whose shuffled value a sample formed as a copy of the relation holds there, or -1 where
  // the copy keeps the relation's value. Classes are laid down in order, so a cell of a
  // one-cell group or run takes the relation's value back from a mirror written before it.
  std::vector<int> source;

  int Count() const { return class_begin.empty() ? 0 : static_cast<int>(class_begin.size()) - 1; }
  int Begin(int k) const { return class_begin[k]; }
  int Size(int k) const { return class_begin[k + 1] - class_begin[k]; }
  int Slots() const { return static_cast<int>(slot_cell.size()); }
};

// Fills `classes` for the model (which must draw samples). Cost: O(N^2).
void BuildCellClasses(const NullModel& model, int n, bool include_diagonal, const FixedMatrixRecord* fixed,
                      CellClasses& classes);

// The draws one randomisation of relation `m` (N x N bytes) takes under the model: its class
// draws, N for an actor permutation, and under MD one per asymmetric dyad of m. 0 when the
// model draws nothing. Cost: O(N^2).
std::int64_t RandomisingDrawCount(const NullModel& model, int n, bool include_diagonal, const std::int8_t* m,
                                  const FixedMatrixRecord* fixed);

// The exact number of draws one sample of a pair takes under `control`, the second relation
// being `b`: its randomisation, then one exchange draw per counted cell unless the shuffle's
// draws serve as exchange draws. `directionality`: 0 all relations directional, 1 all
// non-directional, 2 mixed. Lets every pair start at its own known position of the random
// stream. Cost: O(N^2).
std::int64_t PairSampleDrawCount(int n, bool include_diagonal, int control, int directionality,
                                 const std::int8_t* b, const FixedMatrixRecord* fixed);

}  // namespace quorel
