#pragma once

#include <cstdint>
#include <vector>

#include "core/fixed_matrix.hpp"
#include "core/matrix_list.hpp"
#include "core/process_share.hpp"
#include "core/progress_observer.hpp"
#include "core/random_source.hpp"
#include "core/storage_gate.hpp"
#include "measures/statistic_matrices.hpp"

namespace quorel {

// What the samplers need to know besides the relations.
struct SamplingSettings {
  int sample_size = 0;
  int measure_control = 0;
  int diagonal = 1;
  int workers = 1;
  // The part of the samples this process makes when one analysis is spread over several;
  // the others' counters stay 0 here, and the stream ends where a run alone leaves it.
  ProcessShare share;
};

// "Permute each pair of matrices": for every pair (i, j), i < j, of the `elements` relations
// (the first `generators` of them generators), `sample_size` random versions of the second
// relation under the measure control, each tallied against the observed statistics in the
// upper cells of `stats`, the counts going to its lower cells. `directionality`: 0 all
// relations directional, 1 all non-directional, 2 mixed; `fixed` the fixed matrix (no groups
// when there is none). Every pair's samples consume a number of draws fixed in advance, so
// each pair starts at its own position of the random stream and the pairs run on any
// number of workers with the same result as one after another. The stream is left after
// the last pair's draws. The samples are drawn by OverlapSampler, which forms only the draws
// that can change a result, and each distinct sample table is compared with the observed
// statistics once per pair. Of the pairs, this process samples its share of the numbering
// row by row (ShareOf); the others' counters stay 0. `progress`, when given, hears how many
// of those pairs are done. Returns 0,
// or 29 when `storage` refuses the samplers' buffers.
// Cost: pairs x samples x (the control's shuffle, followed only where A's values change, plus
// one vectorised draw per discordant cell).
std::int16_t SampleCompoundPairs(const MatrixList& relations, int elements, int generators, int directionality,
                                 const FixedMatrixRecord& fixed, const SamplingSettings& settings,
                                 StatisticMatrices& stats, RandomSource& random, StorageGate& storage,
                                 ProgressObserver* progress);

}  // namespace quorel
