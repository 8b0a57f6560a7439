#pragma once

#include <cstdint>
#include <vector>

#include "core/fixed_matrix.hpp"
#include "core/storage_gate.hpp"
#include "core/random_source.hpp"
#include "sampling/workspace_status.hpp"

namespace quorel {

// Randomisation of one generator relation in place under a measure control, as one step of a
// sample of the whole network. Excluded diagonal cells always keep their values.

// Buffers of the generator randomisations, obtained once for N actors and a measure control
// and reused for every generator and sample.
struct PermutationWorkspace {
  int n = 0;
  int control = -1;
  std::vector<std::int8_t> cells;     // MA: the cells being permuted; MB, MC, ME: a copy of the
                                      // generator as it was before the sample
  std::vector<std::int8_t> diagonal;  // MA non-directional, MD: the loops
  std::vector<std::int16_t> perm;     // MB, MC, ME: the actor permutation
  std::vector<std::int16_t> table;    // MC: one column permutation per row; MD: dyad codes
  std::vector<std::int8_t> work;      // ME: work buffer of the row-and-actor shuffle
  std::vector<std::int8_t> scratch;   // MF, MG: the values of one group or one actor's run

  // Obtains the buffers `control` (0..6 = MA..MG) needs for N actors; `max_group_size` is the
  // fixed matrix's largest group (used by MF and MG only). Each buffer is one request to
  // `gate`: kSamplerBuffer, except ME's shuffle work buffer, kShuffleWork.
  WorkspaceStatus Obtain(StorageGate& gate, int n, int control, int max_group_size);
};

// MA, directional generator: the counted cells (all N*N with the diagonal, the N(N-1)
// off-diagonal ones without) are shuffled among themselves. Keeps the number of ties.
// Draws: N*N or N(N-1).
void PermuteDensity(RandomSource& random, std::int8_t* matrix, int n, bool include_diagonal,
                    PermutationWorkspace& ws);

// MA, non-directional generator: the dyads are shuffled among themselves and mirrored, then
// (with the diagonal) the loops among themselves. Keeps symmetry, the number of mutual dyads
// and the number of loops. Draws: D, plus N with the diagonal.
void PermuteDensitySymmetric(RandomSource& random, std::int8_t* matrix, int n,
                             bool include_diagonal, PermutationWorkspace& ws);

// MB: the actors are relabelled by a random permutation; the graph stays the same up to
// isomorphism. Without the diagonal every loop stays with its original actor. Draws: N.
void PermuteActors(RandomSource& random, std::int8_t* matrix, int n, bool include_diagonal,
                   PermutationWorkspace& ws);

// MC: each row's entries are permuted within the row (one column permutation per row, drawn
// row by row), then whole rows go to random actors (drawn last). Keeps the multiset of
// outdegrees. Draws: N * len + N, len = N with the diagonal and N - 1 without.
void PermuteRowsAndActors(RandomSource& random, std::int8_t* matrix, int n, bool include_diagonal,
                          PermutationWorkspace& ws);

// MD: the dyad codes are shuffled among the pairs and asymmetric dyads re-oriented; keeps the
// numbers of mutual, asymmetric and null dyads. Draws: D (+ N with the diagonal) + one per
// asymmetric dyad.
void PermuteDyadCensus(RandomSource& random, std::int8_t* matrix, int n, bool include_diagonal,
                       PermutationWorkspace& ws);

// ME: the same null model as MC, built by the row-and-actor shuffle (entries of each row
// first, the actor permutation last). Draws: N * len + N.
void PermuteOutdegreeDistribution(RandomSource& random, std::int8_t* matrix, int n,
                                  bool include_diagonal, PermutationWorkspace& ws);

// MF: within each group of cells sharing a fixed-matrix value the values are shuffled among
// the group's cells; a group of one cell is left alone. For a non-directional generator only
// cells on or above the diagonal take part and each is mirrored. Keeps each group's number of
// ties. Draws: per group of two or more cells, one per cell taking part.
void PermuteWithinGroups(RandomSource& random, std::int8_t* matrix, int n, bool include_diagonal,
                         bool non_directional, const FixedMatrixRecord& fixed,
                         PermutationWorkspace& ws);

// MG: within each group, each actor's cells (a run of one row) are shuffled among themselves;
// keeps, for every actor and every fixed-matrix value, the number of ties from that actor into
// cells of that value. Draws: per run of two or more cells, one per cell taking part.
void PermuteWithinGroupRows(RandomSource& random, std::int8_t* matrix, int n,
                            bool include_diagonal, const FixedMatrixRecord& fixed,
                            PermutationWorkspace& ws);

// Randomises one generator under `control` (0..6 = MA..MG; any other value does nothing).
// The diagonal takes part only when the diagonal option is 2 ("include for all relations").
// `non_directional` matters to MA and MF only; `fixed` is needed for MF and MG.
// `ws` must have been obtained for `control` and N.
void PermuteUnderControl(RandomSource& random, std::int8_t* matrix, int n, int control,
                         int diagonal_option, bool non_directional,
                         const FixedMatrixRecord* fixed, PermutationWorkspace& ws);

}  // namespace quorel
