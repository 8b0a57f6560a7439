#pragma once

#include <cstdint>
#include <vector>

namespace quorel {

struct AnalysisState;
struct StatisticMatrices;

// What the samplers need to know besides the analysis state.
struct SamplingSettings {
  int sample_size = 0;
  int measure_control = 0;
  int diagonal = 1;
  int workers = 1;
};

// "Permute each pair of matrices": for every pair (i, j), i < j, `sample_size` random
// versions of the second relation under the measure control, each tallied against the
// observed statistics. Every pair's samples consume a number of draws fixed in advance, so
// each pair starts at its own position of the random stream and the pairs run on any
// number of workers with the same result as one after another. The stream is left after
// the last pair's draws. The samples are drawn by OverlapSampler, which forms only the draws
// that can change a result, and each distinct sample table is compared with the observed
// statistics once per pair. Returns 0, or 29 when the samplers' buffers cannot be obtained.
// Cost: pairs x samples x (the control's shuffle, followed only where A's values change, plus
// one vectorised draw per discordant cell).
std::int16_t SampleCompoundPairs(AnalysisState& state, StatisticMatrices& stats, const SamplingSettings& settings);

}  // namespace quorel
