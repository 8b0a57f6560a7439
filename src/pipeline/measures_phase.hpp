#pragma once

#include <cstdint>
#include <vector>

namespace quorel {

struct AnalysisState;

// The options the measures phase works with, copied from the run options by the driver.
struct MeasuresOptions {
  std::int16_t m_SampleSize = 1000;
  std::int32_t m_PermutationStrategy = 1;
  std::int32_t m_Diagonal = 1;
  std::int32_t m_MeasureControl = 0;
  int Threads = 0;  // workers for the sampling; 0: all cores
};

// The measures of association: the observed statistics of every pair of elements, the
// random samples under the permutation strategy and measure control, and the proportions.
// Fills state.Statistics. `non_directional[g]` tells whether
// generator g is non-directional. Returns the completion code: 0; 31 to 36 when a statistic
// matrix cannot be allocated; 29 when the samplers' buffers cannot be obtained.
std::int16_t RunMeasures(AnalysisState& state, const MeasuresOptions& options,
                         const std::vector<std::uint8_t>& non_directional);

}  // namespace quorel
