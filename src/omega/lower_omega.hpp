#pragma once

#include "core/element_relation.hpp"
#include "core/storage_gate.hpp"
#include "omega/product_table.hpp"

namespace quorel {

// Lower Omega: the partial order together with every single inclusion of Omega (outside
// the partial order) whose algebraic consequences, the closure of the partial order plus
// that inclusion, stay inside Omega. `omega` is the unclosed Omega.
//
// A pair lying in an extension already merged is skipped (its own extension lies inside
// that one), an extension is abandoned at its first pair outside Omega, and a pair whose
// extension failed fails every extension that reaches it. Cost: one closure per pair of
// Omega outside the partial order at most.
void ComputeLowerOmega(const ElementRelation& omega, const ElementRelation& partial_order,
                       const ProductTable& products, StorageGate& gate, ElementRelation& lower_omega);

}  // namespace quorel
