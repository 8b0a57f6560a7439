#pragma once

#include <cstdint>
#include <vector>

#include "core/element_relation.hpp"
#include "core/storage_gate.hpp"
#include "omega/product_table.hpp"

namespace quorel {

// Replaces a reflexive relation by its transitive closure (Warshall's algorithm on packed
// rows: for every k, each row that includes k takes in row k). Returns true when pairs were
// added, false when the relation was transitive already. Cost: O(E^2 + E * pairs / 64).
bool TransitiveClosure(ElementRelation& m);

// True when (x, a) and (a, b) in m always give (x, b). Cost: O(pairs * E / 64).
bool IsTransitive(const ElementRelation& m);

// Extends a reflexive relation to its partial algebraic closure: the least relation that
// contains it, is transitive, and is compatible with every product that is an element (if
// b is included in a, then b c is included in a c and c b in c a). Cost: O(E^3 / 64) for
// the transitive part, O(E) per pair of the result for the products, O(E / 64) words per
// row touched by transitivity.
void CloseRelation(ElementRelation& m, const ProductTable& products, StorageGate& gate);

// The same for a multiplication table given as E x E cells (a followed by c, or -1).
void CloseRelation(ElementRelation& m, const std::vector<std::int16_t>& mult, StorageGate& gate);

}  // namespace quorel
