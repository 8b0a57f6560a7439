#pragma once

#include <cstdint>
#include <vector>

#include "core/fixed_matrix.hpp"
#include "core/storage_gate.hpp"
#include "sampling/null_model.hpp"
#include "sampling/positioned_draws.hpp"
#include "sampling/workspace_status.hpp"

namespace quorel {

// The samples of a pair of relations (A first, B second) reduced to the few counts that decide
// them. A sample randomises B under the control's null model (null_model.hpp) into a copy W,
// and counts over the counted cells the sample table X of the pairs (A, W) and the swap table Y
// of the pairs (A, B) with the two values exchanged on a fair draw, cell by cell in row-major
// order. The draws are those of drawing W plainly and then one exchange draw per cell
// (PairSampleDrawCount), taken from their known positions in the stream.
//
// Sample table X. A is never randomised, so X's row totals are A's ties and non-ties on the
// counted cells; and each null model moves B's values among the counted cells without changing
// how many ties W, the randomised copy, has there. The four cells of X are then fixed by one
// number, the overlap T3 = |A and W|, and W itself is never written out. Not every
// randomising draw can change the overlap, and those that cannot are not formed: a shuffle is
// followed only as far as A's values still change (past that point the ties left unplaced all
// meet the same value of A, and the last step of a shuffle never moves anything); a row of B
// without ties or full of ties needs no shuffle; a dyad's direction draw matters only where A
// is asymmetric. Under the actor relabelling the overlap is a sum over the shortest of A's or
// B's lists of ties or non-ties.
// (All relations non-directional under the fixed-matrix control, with a fixed matrix that is
// not symmetric, is the one case where W's ties on the counted cells can vary: a mirror may be
// overwritten by a cell of a one-cell group. The count of W's ties is then formed per sample.)
//
// Swap table Y. Only McNemar's Z reads it, and Z depends only on the discordant cells (A and B
// differ): their total is fixed, and a concordant cell's exchange just moves it between the two
// concordant cells. So Y is fixed by T1, the discordant cells counted as "second only" after
// the exchanges, and only the discordant cells' exchange draws are formed, each straight from
// its known position.
struct OverlapSample {
  int overlap = 0;      // T3 of X: counted cells where A and W both have a tie
  int second_ties = 0;  // T1 + T3 of X: W's ties on the counted cells
  int second_only = 0;  // T1 of Y
};

// Draws the samples of one pair at a time; one sampler per worker. Obtained once for N actors,
// a measure control and the directionality, then prepared for every pair.
class OverlapSampler {
 public:
  // Obtains the buffers for N actors under `control` (0..6 = MA..MG); `fixed` is the fixed
  // matrix (null when there is none). Each buffer is one request to `gate`: kSamplerBuffer,
  // except the row-shuffle work buffer of the outdegree distribution control, kShuffleWork.
  WorkspaceStatus Obtain(StorageGate& gate, int n, int control, int directionality, const FixedMatrixRecord* fixed);

  // The kernel that forms the draws in bulk: the fastest this processor runs, unless chosen
  // here. Every kernel gives the same samples.
  void UseKernel(DrawKernel kernel) { kernel_ = kernel; }

  // Starts a pair: A and B (N x N bytes, which must not change while the pair is sampled) and
  // whether the diagonal is counted. Cost: O(N^2).
  void Prepare(const std::int8_t* first, const std::int8_t* second, bool include_diagonal);

  // False when the control has no sampler (a value outside 0..6, or MF / MG without a fixed
  // matrix): a sample then leaves both tables empty and draws nothing.
  bool Active() const { return active_; }

  // One sample of the prepared pair whose draws start at a source in state `state`; the sample
  // takes DrawsPerSample() draws. Under ME the samples of a pair must be drawn in order, since
  // the actor permutation carries over from one sample to the next.
  OverlapSample Draw(std::uint64_t state);

  int Counted() const { return counted_; }
  int FirstTies() const { return first_ties_; }            // R1 of X
  int SecondTies() const { return second_ties_; }          // C1 of X (its fixed part when
                                                           // SecondTiesVary())
  bool SecondTiesVary() const { return !varying_.empty(); }
  int Discordant() const { return discordant_; }           // T1 + T2 of Y
  std::int64_t DrawsPerSample() const { return draws_per_sample_; }

 private:
  // A forward shuffle of B's values at some cells (`length` slots from `start` of the slot
  // arrays), its draws from `draw` on in the sample. Every slot carries the weight of A it
  // meets (0..2: a mirrored value meets A at two cells); from `steps` on the weights are all
  // `tail_weight`, so the shuffle is followed for `steps` steps only.
  struct Segment {
    int start = 0;
    int length = 0;
    int draw = 0;
    int steps = 0;
    int tail_weight = 0;
  };

  void PrepareSwaps();
  void PrepareClasses();
  void PrepareActors();
  void PrepareRows();
  void PrepareDyads();
  // The cell classes of the model under the pair's diagonal decision, built once for each.
  const CellClasses& Classes();
  // Makes the `length` slots written at slot_end_ a segment drawn from `draw` on, or adds
  // them to the fixed overlap when no draw can change what they meet.
  void CommitSegment(int length, int draw);

  int SegmentsOverlap(std::uint64_t state);
  int VaryingOverlap(std::uint64_t state, int& second_ties);
  int ActorsOverlap(std::uint64_t state);
  int RowsOverlap(std::uint64_t state);
  int RowOverlap(std::uint64_t state, int row, int source_row, int draw);
  int DyadsOverlap(std::uint64_t state);

  // Set by Obtain.
  int n_ = 0;
  int control_ = -1;
  int directionality_ = 0;
  NullModel model_;
  const FixedMatrixRecord* fixed_ = nullptr;
  DrawKernel kernel_ = DrawKernel::kPlain;

  // Set by Prepare.
  const std::int8_t* a_ = nullptr;
  const std::int8_t* b_ = nullptr;
  bool include_ = false;
  bool active_ = false;
  int counted_ = 0;
  int first_ties_ = 0;
  int second_ties_ = 0;
  int discordant_ = 0;
  std::int64_t draws_per_sample_ = 0;
  int randomising_draws_ = 0;  // draws before the exchange draws of a sample
  int fixed_overlap_ = 0;      // overlap at cells no draw can change

  // Exchange draws of the discordant cells, as counter offsets from a sample's start state.
  std::vector<std::uint64_t> second_only_offsets_;  // A = 0, B = 1
  std::vector<std::uint64_t> first_only_offsets_;   // A = 1, B = 0
  int second_only_count_ = 0;
  int first_only_count_ = 0;

  CellClasses classes_[2];  // without and with the diagonal
  bool classes_built_[2] = {false, false};

  // MA, MF, MG (and MD's loops): the segments; their values (B), weights (A) and, for the
  // fixed-matrix control with varying ties, the number of counted cells each slot's value
  // lands on.
  std::vector<Segment> segments_;
  std::vector<Segment> varying_;
  int slot_end_ = 0;
  std::vector<std::int8_t> slot_values_;
  std::vector<std::uint8_t> slot_weights_;
  std::vector<std::uint8_t> slot_lands_;
  std::vector<std::uint8_t> class_weights_;  // per slot of the classes, while a pair is prepared
  std::vector<std::uint8_t> class_lands_;

  // MB: the shortest of four lists of counted cells (A's ties or non-ties, B's ties or
  // non-ties), row by row, and how the overlap follows from its sum.
  std::vector<int> list_begin_;     // N + 1 row starts
  std::vector<std::int16_t> list_columns_;
  bool list_of_first_ = true;       // A's cells, looked up in B through P; else the reverse
  int list_base_ = 0;
  int list_sign_ = 1;

  // MC, ME: A's and B's rows (without the loop when it is not counted), with per row of A the
  // steps to follow, the tail weight and the ties, and per row of B its ties.
  int row_length_ = 0;
  std::vector<std::int8_t> first_rows_;
  std::vector<std::int8_t> second_rows_;
  std::vector<int> row_steps_;
  std::vector<int> row_tail_;
  std::vector<int> first_row_ties_;
  std::vector<int> second_row_ties_;

  // MD: B's dyad codes, A's dyad states (A[i][j] + 2 A[j][i]), the steps of the code shuffle
  // to follow, the first direction draw, and the dyads waiting for their direction draw (B's
  // loops are a segment).
  std::vector<std::int8_t> codes_;
  std::vector<std::int8_t> first_dyads_;
  int dyad_steps_ = 0;
  int first_direction_ = 0;
  std::vector<int> pending_;

  // Work buffers.
  std::vector<std::int8_t> work_;
  std::vector<std::uint16_t> picks_;
  std::vector<std::int16_t> perm_;     // MB, MC: the sample's actor permutation; ME: carried
  std::vector<std::int16_t> inverse_;  // MB: its inverse
  std::vector<std::int8_t> row_work_;  // ME: the row shuffle's work buffer, requested as
                                       // shuffle work like the generator permutations' own
};

}  // namespace quorel
