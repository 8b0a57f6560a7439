#include "omega/omega_sensitivity.hpp"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "measures/interval_cache.hpp"
#include "omega/omega.hpp"

namespace quorel {

namespace {

// The proportions (lower cells) of `matrix` moved to the lower or upper bounds of their
// intervals; the observed statistics (upper cells) kept.
std::vector<float> AtBounds(const std::vector<float>& matrix, int e, IntervalCache& intervals, bool high) {
  std::vector<float> moved = matrix;
  for (int i = 0; i < e; ++i) {
    for (int j = i + 1; j < e; ++j) {
      float& proportion = moved[static_cast<std::size_t>(j) * e + i];
      if (const std::optional<ProportionInterval> interval = intervals.Of(proportion)) {
        proportion = static_cast<float>(high ? interval->high : interval->low);
      }
    }
  }
  return moved;
}

}  // namespace

int CountUnsettledPairs(const StatisticMatrices& statistics, int samples, float alpha, float min_kappa, double z,
                        const ElementRelation& partial_order, int permutation_strategy,
                        const ElementRelation& omega) {
  const int e = partial_order.Size();
  if (samples <= 0 || e < 2) return 0;
  IntervalCache intervals(samples);
  const std::vector<float>* read[3] = {&statistics.L, &statistics.StdKappa, &statistics.McNemarZ};
  const int proportions = permutation_strategy == 0 ? 3 : 2;
  std::vector<float> bounds[3][2];
  for (int p = 0; p < proportions; ++p) {
    for (int high = 0; high < 2; ++high) bounds[p][high] = AtBounds(*read[p], e, intervals, high != 0);
  }
  std::vector<std::uint8_t> unsettled(static_cast<std::size_t>(e) * e, 0);
  StatisticMatrices corner = statistics;
  ElementRelation moved;
  for (int mask = 0; mask < (1 << proportions); ++mask) {
    std::vector<float>* targets[3] = {&corner.L, &corner.StdKappa, &corner.McNemarZ};
    for (int p = 0; p < proportions; ++p) *targets[p] = bounds[p][(mask >> p) & 1];
    FillOmega(moved, corner, alpha, min_kappa, z, partial_order, permutation_strategy);
    for (int i = 0; i < e; ++i) {
      for (int j = i + 1; j < e; ++j) {
        if (moved.Get(i, j) != omega.Get(i, j) || moved.Get(j, i) != omega.Get(j, i)) {
          unsettled[static_cast<std::size_t>(i) * e + j] = 1;
        }
      }
    }
  }
  int count = 0;
  for (const std::uint8_t flag : unsettled) count += flag;
  return count;
}

}  // namespace quorel
