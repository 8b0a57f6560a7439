#pragma once

#include <cstdint>
#include <vector>

#include "core/fixed_matrix.hpp"
#include "core/random_source.hpp"
#include "core/storage_gate.hpp"
#include "sampling/null_model.hpp"
#include "sampling/workspace_status.hpp"

namespace quorel {

// Randomisation of one generator relation in place under a measure control, as one step of a
// sample of the whole network. Excluded diagonal cells always keep their values.

// Buffers of the generator randomisations, obtained once for N actors and a measure control
// and reused for every generator and sample, with the cell classes last used.
struct PermutationWorkspace {
  int n = 0;
  int control = -1;
  std::vector<std::int8_t> values;   // the classes' values (ME: requested as shuffle work)
  std::vector<std::int8_t> before;   // MB, MC, ME: the generator as it was before the sample
  std::vector<std::int8_t> loops;    // MD: the loops
  std::vector<std::int16_t> perm;    // MB, MC, ME: the actor permutation
  std::vector<std::int16_t> codes;   // MD: the dyad codes

  // The classes of the last model and diagonal decision, per treatment of direction.
  struct ClassCache {
    bool built = false;
    bool include_diagonal = false;
    const FixedMatrixRecord* fixed = nullptr;
    CellClasses classes;
  };
  ClassCache cache[2];  // directional, non-directional

  // Obtains the buffers `control` (0..6 = MA..MG) needs for N actors; `max_group_size` is the
  // fixed matrix's largest group (used by MF and MG only). Each buffer is one request to
  // `gate`: kSamplerBuffer, except ME's row buffer, kShuffleWork.
  WorkspaceStatus Obtain(StorageGate& gate, int n, int control, int max_group_size);
};

// Randomises one generator under `control` (0..6 = MA..MG; any other value does nothing) by
// the control's null model (null_model.hpp), the generator's classes shuffled in place:
// each class's values are shuffled among its cells, class after class, and with a
// non-directional generator under MA or MF written to both cells of their dyad. (Unlike a
// sample of a pair, formed as a copy, a later one-cell group does not take back a cell an
// earlier mirror wrote.) The diagonal takes part only when the diagonal option is 2
// ("include for all relations"); `fixed` is needed for MF and MG. `ws` must have been
// obtained for `control` and N. Draws: RandomisingDrawCount of the generator's null model.
void PermuteUnderControl(RandomSource& random, std::int8_t* matrix, int n, int control,
                         int diagonal_option, bool non_directional,
                         const FixedMatrixRecord* fixed, PermutationWorkspace& ws);

}  // namespace quorel
