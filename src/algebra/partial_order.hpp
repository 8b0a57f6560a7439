#pragma once

#include "core/element_relation.hpp"
#include "core/matrix_list.hpp"

namespace quorel {

struct AnalysisState;

// Fills `order` with the containment order of the semigroup's elements (cell (r, c) = 1
// when element c is contained in element r as a relation on the actors; the diagonal is 1)
// and writes the partial order table.
// Cost: E^2 containment tests, most rejected by 64-bit row and column signatures.
void BuildPartialOrder(AnalysisState& state, ElementRelation& order);

// The containment order alone, without the report; `order` must be an all-zero E x E
// relation.
void ComputePartialOrder(const MatrixList& list, int element_count, ElementRelation& order);

}  // namespace quorel
