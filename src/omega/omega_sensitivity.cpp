#include "omega/omega_sensitivity.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>

#include "measures/interval_cache.hpp"
#include "omega/omega.hpp"

namespace quorel {

namespace {

// A proportion and the bounds it may take: its own value when it has no interval.
struct Range {
  float low;
  float high;
};

Range RangeOf(float proportion, IntervalCache& intervals) {
  const std::optional<ProportionInterval> interval = intervals.Of(proportion);
  if (!interval.has_value()) return {proportion, proportion};
  return {static_cast<float>(interval->low), static_cast<float>(interval->high)};
}

}  // namespace

int CountUnsettledPairs(const StatisticMatrices& statistics, int samples, float alpha, float min_kappa, double z,
                        const ElementRelation& partial_order, int permutation_strategy) {
  const int e = partial_order.Size();
  if (samples <= 0) return 0;
  IntervalCache intervals(samples);
  const bool sampled_direction = permutation_strategy == 0;
  int count = 0;
  for (int i = 0; i < e; ++i) {
    for (int j = i + 1; j < e; ++j) {
      const std::size_t upper = static_cast<std::size_t>(i) * e + j;
      const std::size_t lower = static_cast<std::size_t>(j) * e + i;
      const OmegaProportions observed{statistics.L[lower], statistics.StdKappa[lower],
                                      sampled_direction ? statistics.McNemarZ[lower] : statistics.PValue[lower]};
      const Range ranges[3] = {RangeOf(observed.theta, intervals), RangeOf(observed.standardized_kappa, intervals),
                               sampled_direction ? RangeOf(observed.direction, intervals)
                                                 : Range{observed.direction, observed.direction}};
      // The partial order's inclusions are in Omega whatever the measures say.
      const std::uint8_t ordered =
          static_cast<std::uint8_t>((partial_order.Get(i, j) ? 1 : 0) | (partial_order.Get(j, i) ? 2 : 0));
      const auto decide = [&](const OmegaProportions& p) {
        return static_cast<std::uint8_t>(DecideOmegaPair(p, statistics.McNemarZ[upper], statistics.Kappa[upper],
                                                         statistics.Estvar[upper], alpha, min_kappa, z) |
                                         ordered);
      };
      const std::uint8_t decided = decide(observed);
      bool unsettled = false;
      for (int corner = 0; corner < 8 && !unsettled; ++corner) {
        const OmegaProportions moved{(corner & 1) ? ranges[0].high : ranges[0].low,
                                     (corner & 2) ? ranges[1].high : ranges[1].low,
                                     (corner & 4) ? ranges[2].high : ranges[2].low};
        unsettled = decide(moved) != decided;
      }
      count += unsettled ? 1 : 0;
    }
  }
  return count;
}

}  // namespace quorel
