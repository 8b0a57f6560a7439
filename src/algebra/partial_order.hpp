#pragma once

#include "core/element_relation.hpp"
#include "core/matrix_list.hpp"
#include "core/storage_gate.hpp"

namespace quorel {

// The containment order of the first `element_count` relations of `list`: cell (r, c) = 1
// when element c is contained in element r as a relation on the actors; the diagonal is 1.
// Cost: E^2 containment tests, most rejected by 64-bit row and column signatures.
ElementRelation BuildPartialOrder(const MatrixList& list, int element_count, StorageGate& gate);

// The containment order alone, without the report; `order` must be an all-zero E x E
// relation.
void ComputePartialOrder(const MatrixList& list, int element_count, ElementRelation& order);

}  // namespace quorel
