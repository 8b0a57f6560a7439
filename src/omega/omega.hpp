#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/element_relation.hpp"
#include "core/storage_gate.hpp"
#include "measures/statistic_matrices.hpp"
#include "omega/omega_level.hpp"

namespace quorel {

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

// One cutoff level: builds Omega and writes the Alpha, Z(Alpha) and Minkappa lines and
// Omega. Unless only generator products were formed, it then derives and writes lower
// Omega and its closure, closes Omega in place and writes the closure. It always ends with
// the heading of the factorization section. `omega` and `lower_omega` are the caller's
// buffers, resized to E x E. When `level` is given, it receives copies of the relations
// (its Index is left to the caller).
void BuildOmega(std::FILE* out, ElementRelation& omega, ElementRelation& lower_omega,
                const StatisticMatrices& statistics, float alpha, float min_kappa,
                const ElementRelation& partial_order, int permutation_strategy, bool generator_products_only,
                const std::vector<std::int16_t>& mult, StorageGate& gate, OmegaLevel* level = nullptr);

}  // namespace quorel
