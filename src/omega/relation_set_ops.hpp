#pragma once

#include <cstdint>

#include "core/element_relation.hpp"

namespace quorel {

// Set operations on element relations of the same size, word by word.

// True when every pair of `inner` is a pair of `outer`.
bool RelationContains(const ElementRelation& outer, const ElementRelation& inner);

// The number of cells in which the two relations differ (not limited to 16 bits).
std::int64_t CellDistance(const ElementRelation& a, const ElementRelation& b);

// The number of pairs of the relation.
std::int64_t CountPairs(const ElementRelation& m);

// target becomes the union of target and source.
void MergeInto(ElementRelation& target, const ElementRelation& source);

}  // namespace quorel
