#pragma once

#include "core/element_relation.hpp"
#include "measures/statistic_matrices.hpp"

namespace quorel {

// How settled Omega is at a cutoff, given that its proportions come from S random samples:
// the number of pairs i < j whose place in Omega would differ were the proportions Omega
// reads (Theta's, standardized kappa's and, when each pair is permuted, McNemar's) anywhere
// within their 95% intervals. Each pair is decided again as FillOmega decides it
// (DecideOmegaPair) at every corner of its intervals, the proportions at their lower or
// upper bounds. 0 without samples. Cost: O(E^2), up to eight decisions for a pair whose
// interval holds the cutoff.
int CountUnsettledPairs(const StatisticMatrices& statistics, int samples, float alpha, float min_kappa, double z,
                        const ElementRelation& partial_order, int permutation_strategy);

}  // namespace quorel
