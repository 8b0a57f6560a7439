#pragma once

#include <cstdint>
#include <vector>

#include "sampling/compound_sampling.hpp"

namespace quorel {

struct AnalysisState;
struct StatisticMatrices;

// "Permute generator matrices": `sample_size` times, every generator is randomised in place
// under the measure control (each sample starting from the previous one), every compound
// rebuilt from its two factors, and every pair compared with the observed kappa,
// standardized kappa and L. `non_directional[g]` tells, per generator, whether it is
// non-directional. The comparisons use no draws and are spread over a pool of workers
// started once: each pair's table follows from the ties its two relations share and each
// one's ties. The relation matrices are left holding the last sample. Returns 0, or 29 when
// the permutations' buffers cannot be obtained. Cost per sample: the generators'
// randomisations and E - G Boolean products, one after another, then E(E-1)/2 pairs of
// O(N^2 / 64) word operations and one comparison each, in parallel.
std::int16_t SampleGenerators(AnalysisState& state, StatisticMatrices& stats, const SamplingSettings& settings,
                              const std::vector<std::uint8_t>& non_directional);

}  // namespace quorel
