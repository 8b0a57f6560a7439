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
// non-directional. The comparisons use no draws and are spread over the workers. The
// relation matrices are left holding the last sample. Returns 0, or 29 when the
// permutations' buffers cannot be obtained.
std::int16_t SampleGenerators(AnalysisState& state, StatisticMatrices& stats, const SamplingSettings& settings,
                              const std::vector<std::uint8_t>& non_directional);

}  // namespace quorel
