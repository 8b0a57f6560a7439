#pragma once

#include <cstdint>
#include <vector>

#include "core/element_relation.hpp"
#include "core/storage_gate.hpp"
#include "measures/statistic_matrices.hpp"

namespace quorel {

// The proportions of a pair i < j that Omega reads: Theta's, standardized kappa's, and the
// one that decides the direction (McNemar's when each pair is permuted, else the binomial P).
struct OmegaProportions {
  float theta = 0.0f;
  float standardized_kappa = 0.0f;
  float direction = 0.0f;
};

// Omega's decision for one pair i < j, before the partial order is added: bit 1 when j is
// included in i (cell (i, j)), bit 2 when i is included in j (cell (j, i)). FillOmega
// decides every pair with it.
std::uint8_t DecideOmegaPair(const OmegaProportions& proportions, float mcnemar_z, float kappa, float estvar,
                             float alpha, float min_kappa, double z);

// Decides Omega at the cutoff `alpha` from the measures of association: for a pair i < j
// whose Theta and standardized-kappa proportions are both below alpha, the inclusion is
// directional when the McNemar proportion (permutation strategy 0) or the binomial P (any
// other strategy) is below alpha too, and then runs against the sign of the observed
// McNemar Z; otherwise the two elements are equivalent when the lower confidence bound of
// kappa, Kappa - z(alpha) * sqrt(ESTVAR), exceeds `min_kappa`. A proportion that is not a
// number (no random samples drawn) is never below alpha. Omega always contains the partial
// order. `omega` is resized to E x E.
void FillOmega(ElementRelation& omega, const StatisticMatrices& statistics, float alpha, float min_kappa,
               double z, const ElementRelation& partial_order, int permutation_strategy);

}  // namespace quorel
