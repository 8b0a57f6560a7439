#pragma once

#include <cstdint>
#include <vector>

#include "core/fixed_matrix.hpp"
#include "core/storage_gate.hpp"
#include "measures/fourfold_table.hpp"
#include "core/random_source.hpp"
#include "sampling/workspace_status.hpp"

namespace quorel {

// One random sample of a pair of relations (A first, B second) under a measure control. A is
// never randomised; B is randomised through a copy W, and each draw routine fills
//   X, the sample table: over the counted cells, the pair (A[r][c], W[r][c]);
//   Y, the swap table: over the same cells, the pair (A[r][c], B[r][c]) with the two values
//      exchanged at random, cell by cell, for McNemar's statistic.
// Both tables are zeroed first. The randomisation draws of a sample come first, then one swap
// draw per counted cell in row-major order, so a sample's consumption is fixed in advance
// (PairSampleDrawCount).
//
// These routines state the samplers plainly, one draw after another. The pairwise sampling
// itself draws through OverlapSampler (overlap_sampler.hpp), which forms only the draws that
// can change a result and must agree with these routines sample by sample.

// Buffers and prepared data of the pairwise samplers: obtained once for N actors and a measure
// control (one workspace per worker), then prepared once for every pair.
struct PairWorkspace {
  // The pair in work, set by Prepare. The relations must not change while it is sampled.
  const std::int8_t* a = nullptr;  // first relation
  const std::int8_t* b = nullptr;  // second relation
  int n = 0;                       // actors
  int control = -1;                // 0..6 = MA..MG
  bool include_diagonal = false;
  int counted = 0;                 // cells counted per table: N*N or N(N-1)

  std::vector<std::int8_t> ea, eb;     // MA directional: A's and B's counted cells, row-major
  std::vector<std::int8_t> upper;      // MA non-directional: B's dyads, shuffled per sample
  std::vector<std::int8_t> diagonal;   // MA non-directional, MD: B's loops
  std::vector<std::int16_t> identity;  // MB, MC: 0..N-1
  std::vector<std::int16_t> perm;      // MB, MC: the sample's actor permutation; ME: the
                                       // permutation carried from sample to sample of a pair
  std::vector<std::int16_t> table;     // MC: one column permutation per row; MD: dyad codes
  std::vector<std::int8_t> w;          // the randomised copy W of B (MA directional: the values
                                       // of B not yet paired)
  std::vector<std::int8_t> work;       // ME: work buffer of the row-and-actor shuffle
  std::vector<std::int8_t> scratch;    // MF, MG: the values of one group or one actor's run

  // Obtains the buffers `control` needs for N actors; `max_group_size` is the fixed matrix's
  // largest group (MF, MG). Each buffer is one request to `gate`: kSamplerBuffer, except ME's
  // shuffle work buffer, kShuffleWork.
  WorkspaceStatus Obtain(StorageGate& gate, int n, int control, int max_group_size);

  // Starts a pair: records A, B and the diagonal decision, extracts the counted cells for MA
  // and restarts ME's carried permutation at the identity. Cost: O(N^2).
  void Prepare(const std::int8_t* first, const std::int8_t* second, bool include_diagonal);
};

// MA, directional or mixed relations: B's counted cells are paired with A's by a forward
// shuffle done on the fly; one draw per cell serves both the shuffle and the swap table.
// Draws: n (the number of counted cells).
void DrawDensity(RandomSource& random, PairWorkspace& ws, FourfoldTable& x, FourfoldTable& y);

// MA, all relations non-directional: W = B's dyads shuffled among the pairs and mirrored,
// and with the diagonal B's loops shuffled among the actors. Draws: D (+ N) + n.
void DrawDensitySymmetric(RandomSource& random, PairWorkspace& ws, FourfoldTable& x,
                          FourfoldTable& y);

// MB: W = B with its actors relabelled by a fresh permutation. Draws: N + n.
void DrawActors(RandomSource& random, PairWorkspace& ws, FourfoldTable& x, FourfoldTable& y);

// MC: the actor permutation first, then one column permutation per row; W's row r is B's row
// P[r] with its entries permuted. Draws: N + N * len + n (len = N with the diagonal, N - 1
// without).
void DrawRowsAndActors(RandomSource& random, PairWorkspace& ws, FourfoldTable& x,
                       FourfoldTable& y);

// MD: W = B's dyad codes shuffled and re-oriented. Draws: D (+ N) + asymmetric dyads of B + n.
void DrawDyadCensus(RandomSource& random, PairWorkspace& ws, FourfoldTable& x, FourfoldTable& y);

// ME: W = the row-and-actor shuffle of B, its actor permutation continuing from the previous
// sample of the pair. Draws: N * len + N + n.
void DrawOutdegreeDistribution(RandomSource& random, PairWorkspace& ws, FourfoldTable& x,
                               FourfoldTable& y);

// MF: B's values shuffled within each fixed-matrix group of two or more cells. When all
// relations are non-directional (directionality 1) only cells on or above the diagonal take
// part and each is mirrored. Draws: one per cell taking part in such a group, + n.
void DrawWithinGroups(RandomSource& random, PairWorkspace& ws, const FixedMatrixRecord& fixed,
                      int directionality, FourfoldTable& x, FourfoldTable& y);

// MG: B's values shuffled within each actor's cells of each fixed-matrix group. Draws: one
// per cell taking part in a run of two or more cells, + n.
void DrawWithinGroupRows(RandomSource& random, PairWorkspace& ws, const FixedMatrixRecord& fixed,
                         FourfoldTable& x, FourfoldTable& y);

// One sample of the prepared pair under `control`, choosing the directional or symmetric
// density sampler from the directionality (0 all directional, 1 all non-directional,
// 2 mixed). Returns false, drawing nothing, when the control has no sampler (a value outside
// 0..6, or MF / MG without a fixed matrix).
bool DrawPairSample(RandomSource& random, int control, int directionality,
                    const FixedMatrixRecord* fixed, PairWorkspace& ws, FourfoldTable& x,
                    FourfoldTable& y);

// The exact number of draws one sample of a pair consumes under `control`, as DrawPairSample
// would consume them; `b` is the second relation (its asymmetric dyads count under MD). Lets
// every pair start at its own known position of the random stream. Cost: O(N^2).
std::int64_t PairSampleDrawCount(int n, bool include_diagonal, int control, int directionality,
                                 const std::int8_t* b, const FixedMatrixRecord* fixed);

}  // namespace quorel
