#pragma once

#include "measures/fourfold_table.hpp"
#include "measures/pair_measures.hpp"

namespace quorel::testing {

// The observed statistics of a pair whose table over `counted` cells is x, rounded as the
// statistic matrices hold them.
inline ObservedStatistics ObservedStatisticsOf(const FourfoldTable& x, int counted) {
  float r0, r1, c0, c1, n;
  FourfoldMargins(x, r0, r1, c0, c1, n);
  ObservedStatistics o;
  o.kappa = static_cast<float>(KappaStatistic(x, r0, r1, c0, c1, n));
  o.standardized_kappa = static_cast<float>(StandardizedKappa(o.kappa, r0, r1, c0, c1, n));
  o.likelihood_ratio = static_cast<float>(AdjustedLikelihoodRatio(x, counted));
  return o;
}

}  // namespace quorel::testing
