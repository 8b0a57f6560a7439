#pragma once

#include "core/element_relation.hpp"
#include "measures/statistic_matrices.hpp"

namespace quorel {

// How settled Omega is at a cutoff, given that its proportions come from S random samples:
// the number of pairs i < j whose place in Omega would differ were the proportions Omega
// reads (Theta's, standardized kappa's and, when each pair is permuted, McNemar's) anywhere
// within their 95% intervals. Every corner of the intervals is tried, the proportions at
// their lower or upper bounds, and Omega decided again as FillOmega decides it; `omega` is
// the Omega decided from the proportions themselves. 0 without samples. Cost: up to eight
// decisions of Omega, O(E^2) each.
int CountUnsettledPairs(const StatisticMatrices& statistics, int samples, float alpha, float min_kappa, double z,
                        const ElementRelation& partial_order, int permutation_strategy,
                        const ElementRelation& omega);

}  // namespace quorel
