#pragma once

#include <cstdint>
#include <vector>

#include "algebra/word_table.hpp"
#include "sampling/compound_sampling.hpp"

namespace quorel {

// "Permute generator matrices": `sample_size` times, every generator is randomised under the
// measure control (each sample starting from the previous one), every compound rebuilt from
// its two factors as `words` tells, and every pair of the `elements` relations compared with
// the observed kappa, standardized kappa and L in the upper cells of `stats`, the counts going
// to its lower cells. The first `generators` relations are the generators;
// `non_directional[g]` tells whether generator g is non-directional; `fixed` is the fixed
// matrix (no groups when there is none). The samples are made in the sampler's own copies, so
// `relations` keep the observed network. The comparisons use no draws and are spread over a
// pool of workers started once: each pair's table follows from the ties its two relations
// share and each one's ties. Of the samples, this process makes and compares its share
// (ShareOf), replaying only the generators' randomisations of the others, so the counters
// of the shares add up to a run alone's and the stream ends where that run's does.
// `progress`, when given, hears how many of the share's samples are done.
// Returns 0, or 29 when `storage` refuses the permutations' buffers. Cost per sample: the
// generators' randomisations and E - G Boolean products, one after another, then E(E-1)/2
// pairs of O(N^2 / 64) word operations and one comparison each, in parallel; a sample
// outside the share costs the randomisations alone.
// The pair table of SampleGenerators for `elements` elements: the pairs, their observed
// statistics and their counts of samples, one storage request of kind kSamplerBuffer.
// Cost: about 26 E^2 bytes.
std::uint64_t PairTableBytes(int elements);

std::int16_t SampleGenerators(const MatrixList& relations, int elements, int generators,
                              const std::vector<WordEntry>& words, const std::vector<std::uint8_t>& non_directional,
                              const FixedMatrixRecord& fixed, const SamplingSettings& settings,
                              StatisticMatrices& stats, RandomSource& random, StorageGate& storage,
                              ProgressObserver* progress);

}  // namespace quorel
